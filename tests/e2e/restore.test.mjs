// End to end, the queue that survives an unclean end: five generated clips
// queued in the real window (two of them paused), the window killed with
// SIGKILL or ended with SIGTERM, and the next start's restore question
// answered with the keyboard as a user would (xdotool): Yes brings the five
// back with their states (read from the page through WebDriver), No leaves an
// empty list and no journal. Run under Xvfb.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {DrivenProgram, sleep, waitFor} from './driven_program.mjs';
import {xdotool, geometry} from './desktop_input.mjs';

const buildDir = process.env.CW_BUILD_DIR;
const NAMES = ['one.avi', 'two.avi', 'three.avi', 'four.avi', 'five.avi'];
const PAUSED = [1, 3];  // the indexes of the tasks paused before the end

let program;
let clips;
let journal;
const run = (...a) => program.run(...a);
const tasks = () => run('return page.tasks.map(function (t) { return {name: t.fileName, guid: t.guid, state: t.iStatus}; });');


// The visible windows of our program whose title matches `pattern`.
function windowsNamed(pattern) {
  const pids = program.programPids();
  const found = [];
  for (const pid of pids) {
    const out = xdotool('search', '--onlyvisible', '--pid', String(pid)).stdout.trim();
    for (const id of out ? out.split('\n') : []) {
      const name = xdotool('getwindowname', id).stdout.trim();
      if (pattern.test(name)) found.push(id);
    }
  }
  return found;
}


// Answers the restore question (a toolkit dialog titled with the program's
// name) by its button's mnemonic, with the keyboard given to the dialog
// (there is no window manager under Xvfb).
async function answerRestoreQuestion(key) {
  const [dialog] = await waitFor('the restore question', () => {
    const found = windowsNamed(/^clipwright$/);
    return found.length > 0 && found;
  }, 20000);
  const g = geometry(dialog);
  xdotool('mousemove', String(g.x + Math.floor(g.width / 2)), String(g.y + 5));
  xdotool('windowfocus', dialog);
  await sleep(300);
  xdotool('key', '--clearmodifiers', key);
  await waitFor('the question to close', () => windowsNamed(/^clipwright$/).length === 0, 10000);
}

// The journal's tasks, or null when there is none.
function journalTasks() {
  if (!fs.existsSync(journal)) return null;
  return JSON.parse(fs.readFileSync(journal, 'utf8')).tasks;
}

function makeClips(dir) {
  const first = path.join(dir, NAMES[0]);
  // Long enough not to finish while a test runs; only one converts at a time.
  const made = spawnSync('ffmpeg', ['-nostdin', '-loglevel', 'error', '-y', '-f', 'lavfi', '-i',
    'testsrc=size=320x240:rate=10', '-t', '300', '-c:v', 'mpeg4', '-q:v', '20', first], {encoding: 'utf8'});
  assert.equal(made.status, 0, made.stderr);
  for (const name of NAMES.slice(1)) fs.copyFileSync(first, path.join(dir, name));
  return NAMES.map((n) => path.join(dir, n));
}

// Starts our copy afresh: a run that a failed step left behind ends first,
// so that no second instance meets the first one's journal lock.
async function startProgram(options) {
  await program.endDriver();
  return program.start(options);
}

// Starts the program with the five clips opened, pauses two of them, and
// waits until the journal holds the five with those states.
async function queueFive() {
  await startProgram({args: clips});
  const queued = await waitFor('five tasks', async () => {
    const t = await tasks();
    return t.length === 5 && t;
  }, 15000);
  assert.deepEqual(queued.map((t) => t.name), NAMES);
  for (const i of PAUSED) await run('pauseOne(arguments[0]);', [queued[i].guid]);
  await waitFor('the journal of five with two paused', () => {
    const kept = journalTasks();
    return kept && kept.length === 5 && PAUSED.every((i) => kept[i].iStatus === 3);
  }, 10000);
  assert.deepEqual(journalTasks().map((t) => path.basename(t.fromPath)), NAMES);
}

// Kills every process of our copy with `signal` and waits until they are gone.
async function endProgram(signal) {
  const pids = program.programPids();
  assert.ok(pids.length > 0, 'the program runs');
  for (const pid of pids) process.kill(pid, signal);
  await waitFor('the program to end', () => program.programPids().length === 0, 15000);
  await program.endDriver();
}

// Starts again and answers Yes: the five are back, paused ones paused, the
// others waiting or running.
async function restoreWithYes() {
  const started = startProgram();
  await answerRestoreQuestion('alt+y');
  await started;
  const back = await waitFor('five restored tasks', async () => {
    const t = await tasks();
    return t.length === 5 && t;
  }, 10000);
  assert.deepEqual(back.map((t) => t.name), NAMES);
  back.forEach((t, i) => {
    if (PAUSED.includes(i)) assert.equal(t.state, 3, `${t.name} stays paused`);
    else assert.ok(t.state === 1 || t.state === 2, `${t.name} waits or runs again (state ${t.state})`);
  });
  assert.equal(back.filter((t) => t.state === 2).length <= 1, true, 'at most one converts (conTasks 1)');
}

before(() => {
  assert.ok(buildDir, 'CW_BUILD_DIR must name the build folder');
  program = new DrivenProgram(buildDir);
  const clipsDir = path.join(program.work, 'clips');
  fs.mkdirSync(clipsDir, {recursive: true});
  clips = makeClips(clipsDir);
  journal = path.join(program.programDir, 'queue.json');
});

after(async () => {
  if (program) await program.stop();
});

test('after kill -9 the restore question brings the five back with their states', async () => {
  await queueFive();
  await endProgram('SIGKILL');
  assert.equal(journalTasks().length, 5, 'the journal outlives the kill');
  await restoreWithYes();
});

test('after kill -9, No leaves an empty list and no journal', async () => {
  await waitFor('the restored queue journaled', () => (journalTasks() || []).length === 5, 10000);
  await endProgram('SIGKILL');
  const started = startProgram();
  await answerRestoreQuestion('alt+n');
  await started;
  await sleep(1500);  // a restore would show by now
  assert.deepEqual(await tasks(), []);
  assert.equal(fs.existsSync(journal), false, 'the journal is discarded');
  await endProgram('SIGKILL');
});

test('after SIGTERM the window keeps the queue, and Yes brings it back', async () => {
  await queueFive();
  await endProgram('SIGTERM');
  assert.equal(journalTasks().length, 5, 'SIGTERM keeps the queue in the journal');
  await restoreWithYes();
});
