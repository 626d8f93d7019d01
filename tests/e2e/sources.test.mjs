// End to end, the road of a file: two generated clips added through the real
// file chooser (from the File menu and from the page), converted by the real
// encoder into the output folder, one paused, resumed and deleted while it
// runs, the output folder opened, the About box, and the "shut down when
// done" switch whose countdown window is cancelled. The keyboard and mouse
// are driven with xdotool as a user would; run under Xvfb.
//
// A program that a WebDriver controls never runs the shutdown command (it
// only reports the request on stderr); and the shutdown and file-manager
// programs it could start are recording fakes placed first on PATH.
// Screenshots land in e2e-artifacts/ of the build folder.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {DrivenProgram, sleep, waitFor} from './driven_program.mjs';
import {xdotool, windowNamed, focus, keys, geometry, drag} from './desktop_input.mjs';

const buildDir = process.env.CW_BUILD_DIR;
const artifacts = path.join(buildDir || '.', 'e2e-artifacts');

let program;
let work;
let outDir;
let clipsDir;
let record;
const run = (...a) => program.run(...a);



async function typeText(text) {
  xdotool('type', '--delay', '15', text);
  await sleep(300);
}


// A PNG of a toolkit window (the About box, the countdown), grabbed from the screen.
function grabWindow(id, file) {
  const w = geometry(id);
  const [screenW, screenH] = xdotool('getdisplaygeometry').stdout.trim().split(' ').map(Number);
  const x = Math.max(0, w.x);
  const y = Math.max(0, w.y);
  const g = {x, y, width: Math.min(w.width, screenW - x), height: Math.min(w.height, screenH - y)};
  const grabbed = spawnSync('ffmpeg', ['-loglevel', 'error', '-y', '-f', 'x11grab', '-draw_mouse', '0', '-video_size',
    `${g.width}x${g.height}`, '-i', `${process.env.DISPLAY}+${g.x},${g.y}`, '-frames:v', '1',
    path.join(artifacts, file)], {encoding: 'utf8', timeout: 20000});
  assert.equal(grabbed.status, 0, grabbed.stderr);
}

function makeClip(name, seconds, size) {
  const made = spawnSync('ffmpeg', ['-nostdin', '-loglevel', 'error', '-y',
    '-f', 'lavfi', '-i', `testsrc=duration=${seconds}:size=${size}:rate=25`,
    '-f', 'lavfi', '-i', `sine=frequency=440:duration=${seconds}`,
    '-c:v', 'mpeg4', '-c:a', 'aac', '-shortest', path.join(clipsDir, name)], {encoding: 'utf8', timeout: 120000});
  assert.equal(made.status, 0, made.stderr);
  return path.join(clipsDir, name);
}

// Recording stand-ins for the programs the desktop side may start.
function installFakeTools() {
  const bin = path.join(work, 'fakebin');
  fs.mkdirSync(bin, {recursive: true});
  for (const name of ['systemctl', 'shutdown', 'xdg-open']) {
    const script = `#!/bin/sh\necho "${name} $*" >> '${record}'\n`;
    fs.writeFileSync(path.join(bin, name), script, {mode: 0o755});
  }
  process.env.PATH = `${bin}:${process.env.PATH}`;  // inherited by the driver and the program
}
// What the program writes on stderr (it reaches us through the driver).
let programErrors = '';
const writeStderr = process.stderr.write.bind(process.stderr);
process.stderr.write = (chunk, ...rest) => {
  programErrors += String(chunk);
  return writeStderr(chunk, ...rest);
};

const recorded = () => (fs.existsSync(record) ? fs.readFileSync(record, 'utf8') : '');

const tasks = () => run('return page.tasks.map(function (t) { return {name: t.fileName, guid: t.guid, state: t.iStatus, to: t.toPath}; });');
const taskNamed = async (name) => (await tasks()).find((t) => t.name === name);

// Processes of the encoder writing `output` (its last argument).
function encoderPids(output) {
  const pids = [];
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const args = fs.readFileSync(`/proc/${entry}/cmdline`, 'utf8').split('\0').filter(Boolean);
      if (args[args.length - 1] === output) pids.push(Number(entry));
    } catch { /* gone */ }
  }
  return pids;
}
const processState = (pid) => fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1][0];

// Picks one file in the open file chooser by typing its path.
async function chooseInFileChooser(file) {
  const chooser = await waitFor('the file chooser', () => windowNamed('^Open$'), 20000);
  await focus(chooser);
  await keys('ctrl+l');
  await typeText(file);
  await keys('Return');
  await waitFor('the chooser to close', () => !windowNamed('^Open$'), 10000);
}

before(async () => {
  assert.ok(buildDir, 'CW_BUILD_DIR must name the build folder');
  fs.mkdirSync(artifacts, {recursive: true});
  program = new DrivenProgram(buildDir);
  work = program.work;
  outDir = path.join(work, 'out');
  clipsDir = path.join(work, 'clips');
  record = path.join(work, 'started-commands.txt');
  fs.mkdirSync(clipsDir, {recursive: true});
  installFakeTools();
  await program.start();
  await run(`
    document.getElementById('configParmContainer').textContent = arguments[0];
    window.external.setConfigJson();
    loadConfig();`, [JSON.stringify({conTasks: 2, outputDir: outDir, needShutdown: 0})]);
});

let dragSource = null;

after(async () => {
  if (dragSource && dragSource.exitCode === null) dragSource.kill('SIGKILL');
  if (program) await program.stop();
});

let shortClip;
let longClip;
let mainWindow;

test('two clips added through the file chooser, from the menu and from the page', async () => {
  shortClip = makeClip('short clip.avi', 2, '320x240');
  longClip = makeClip('long clip.avi', 240, '480x360');
  mainWindow = windowNamed('^Clipwright v');
  assert.ok(mainWindow, 'the main window');

  await focus(mainWindow);
  await keys('alt+f', 'f');  // File > Add File(s)...
  await chooseInFileChooser(shortClip);
  await waitFor('the first task', async () => (await tasks()).length === 1, 10000);

  await run("setTimeout(function () { document.getElementById('btnAddFiles').click(); }, 100);");
  await chooseInFileChooser(longClip);
  await waitFor('the second task', async () => (await tasks()).length === 2, 10000);
  const listed = await tasks();
  assert.deepEqual(listed.map((t) => t.name), ['short clip.avi', 'long clip.avi']);
  assert.notEqual(listed[0].guid, listed[1].guid);
});

test('both convert into the output folder under their own names', async () => {
  // The short clip may be done already: it started while the chooser was open.
  const running = await waitFor('both started', async () => {
    const t = await tasks();
    return t[1].state === 2 && (t[0].state === 2 || t[0].state === 4) && t;
  }, 15000);
  assert.deepEqual(running.map((t) => t.to), [path.join(outDir, 'short clip.mp4'), path.join(outDir, 'long clip.mp4')]);
  fs.writeFileSync(path.join(artifacts, 'running-queue-page.png'), await program.screenshot());
  grabWindow(mainWindow, 'running-queue-window.png');  // with its title and menu bar

  await waitFor('the short clip done', async () => (await taskNamed('short clip.avi')).state === 4, 60000);
  const mp4 = fs.readFileSync(path.join(outDir, 'short clip.mp4'));
  assert.equal(mp4.subarray(4, 8).toString(), 'ftyp');
  const probe = spawnSync('ffprobe', ['-v', 'error', '-show_entries', 'format=duration', '-of', 'csv=p=0',
    path.join(outDir, 'short clip.mp4')], {encoding: 'utf8'});
  assert.ok(Math.abs(Number(probe.stdout) - 2) < 0.5, probe.stdout);

  // While the long clip converts, the status bar shows the queue's remaining
  // time, its seconds beside the text (data-seconds) agreeing with it.
  const shown = await waitFor('the queue estimate', () => run(`
    var e = document.getElementById('queueEstimate');
    return /^Queue: /.test(e.textContent) && /^\\d+$/.test(e.dataset.seconds || '') &&
        {text: e.textContent, seconds: Number(e.dataset.seconds)};`), 20000);
  const minutes = /^Queue: (\d+) minutes$/.exec(shown.text);
  if (minutes) assert.ok(Math.abs(shown.seconds / 60 - Number(minutes[1])) <= 1, JSON.stringify(shown));
  else assert.ok(/^Queue: < (1 minute|2 minutes)$/.test(shown.text) && shown.seconds < 130, JSON.stringify(shown));
});

test('the long clip pauses, resumes, and when deleted its partial file goes', async () => {
  const long = await taskNamed('long clip.avi');
  assert.equal(long.state, 2);
  // The encoder writes a marked partial file; the final name comes only with success.
  const partial = long.to + '.clipwright-partial';
  const [pid] = await waitFor('its encoder', () => encoderPids(partial).length && encoderPids(partial), 10000);

  await run('pauseOne(arguments[0]);', [long.guid]);
  await waitFor('paused in the list', async () => (await taskNamed('long clip.avi')).state === 3, 6000);
  await waitFor('the encoder stopped', () => processState(pid) === 'T', 5000);

  await run('resumeOne(arguments[0]);', [long.guid]);
  await waitFor('running again', async () => (await taskNamed('long clip.avi')).state === 2, 8000);
  await waitFor('the encoder going on', () => processState(pid) !== 'T', 5000);
  await waitFor('some output written', () => fs.existsSync(partial) && fs.statSync(partial).size > 0, 30000);
  assert.equal(fs.existsSync(long.to), false, 'no final name before the end');

  await run("callHostWithTask('deleteFile', arguments[0]);", [long.guid]);
  await waitFor('the encoder gone', () => encoderPids(partial).length === 0, 10000);
  assert.equal(fs.existsSync(partial), false, 'the partial output file was removed');
  assert.equal(fs.existsSync(long.to), false, 'nothing under the final name');
  await waitFor('the task gone', async () => (await taskNamed('long clip.avi')) === undefined, 6000);
});

test('the output folder and the finished file are shown through the file manager', async () => {
  const short = await taskNamed('short clip.avi');
  await run('window.external.openOutputDir();');
  await run("callHost('locateOutputFile', arguments[0]);", [short.guid]);
  await waitFor('both requests', () => recorded().split('\n').filter(Boolean).length >= 2, 10000);
  assert.deepEqual(recorded().split('\n').filter(Boolean), [`xdg-open ${outDir}`, `xdg-open ${outDir}`]);
  fs.rmSync(record);
});


test('files and a folder dropped from a file manager become tasks; what cannot be read fails', async () => {
  const clip = makeClip('dropped clip.avi', 1, '160x120');
  const notes = path.join(clipsDir, 'notes.avi');
  fs.writeFileSync(notes, 'not a video at all\n');
  const folder = path.join(clipsDir, 'a folder');
  fs.mkdirSync(folder);
  dragSource = spawn(path.join(buildDir, 'e2e_drag_source'), [clip, notes, folder], {stdio: 'ignore'});
  const source = await waitFor('the drag source', () => windowNamed('^cw-drag-source$'), 10000);
  await sleep(500);
  const g = geometry(source);
  const m = geometry(mainWindow);
  await drag({x: g.x + 100, y: g.y + 60}, {x: m.x + Math.floor(m.width / 2), y: m.y + Math.floor(m.height / 2)});

  const names = ['dropped clip.avi', 'notes.avi', 'a folder'];
  await waitFor('the dropped tasks', async () => (await tasks()).length === 4, 10000);
  assert.deepEqual((await tasks()).slice(1).map((t) => t.name), names);
  const ended = await waitFor('the dropped tasks ended', async () => {
    const t = (await tasks()).slice(1);
    return t.every((x) => x.state === 4 || x.state === 5) && t;
  }, 60000);
  // The clip converts; a file the encoder cannot read and a folder fail.
  assert.deepEqual(ended.map((t) => t.state), [4, 5, 5]);
  // The failed row says why, and its details view holds the encoder's lines.
  const why = await run(`
    var t = page.tasks.filter(function (x) { return x.fileName === 'notes.avi'; })[0];
    var row = page.rows[t.guid];
    showDetails(t.guid);
    var shown = {reason: row.querySelector('.reason').textContent, host: t.failReason,
                 details: document.getElementById('detailsText').value,
                 open: !document.getElementById('detailsPanel').hidden};
    closePanels();
    return shown;`);
  assert.ok(why.reason.length > 0, JSON.stringify(why));
  assert.equal(why.reason, why.host || why.reason);
  assert.ok(why.open && why.details.length > 0, JSON.stringify(why));
  assert.ok(!/ffmpeg version|configuration:/.test(why.details), why.details);
  assert.ok(fs.existsSync(path.join(outDir, 'dropped clip.mp4')));
  dragSource.kill('SIGKILL');
});

test('a folder from the folder chooser adds its files, not hidden ones nor subfolders', async () => {
  const batch = path.join(clipsDir, 'batch');
  fs.mkdirSync(path.join(batch, 'sub'), {recursive: true});
  for (const name of ['one.avi', 'two.avi', '.hidden.avi', 'sub/three.avi']) {
    fs.writeFileSync(path.join(batch, name), 'not a video\n');
  }
  const before = (await tasks()).length;
  await run("setTimeout(function () { document.getElementById('btnAddDir').click(); }, 100);");
  const chooser = await waitFor('the folder chooser', () => windowNamed('^选择路径$'), 20000);
  await focus(chooser);
  await keys('ctrl+l');
  await typeText(batch);
  await sleep(300);
  await keys('alt+s');  // the chooser's Select button: the folder typed
  await waitFor('the chooser to close', () => !windowNamed('^选择路径$'), 10000);
  const added = await waitFor('the folder\'s tasks', async () => {
    const t = await tasks();
    return t.length === before + 2 && t.slice(before);
  }, 10000);
  assert.deepEqual(added.map((t) => t.name).sort(), ['one.avi', 'two.avi']);
  await waitFor('both failed', async () => (await tasks()).slice(before).every((t) => t.state === 5), 30000);
});

test('Browse in the options chooses the output folder; the page shows it', async () => {
  const chosen = path.join(work, 'chosen output');
  fs.mkdirSync(chosen);
  await run('configPanel();');
  await run("setTimeout(function () { document.getElementById('btnBrowse').click(); }, 100);");
  const chooser = await waitFor('the folder chooser', () => windowNamed('^选择路径$'), 20000);
  await focus(chooser);
  await keys('ctrl+l');
  await typeText(chosen);
  await sleep(300);
  await keys('alt+s');
  await waitFor('the chooser to close', () => !windowNamed('^选择路径$'), 10000);
  await waitFor('the page to show it', () => run("return document.getElementById('optOutputDir').value === arguments[0];", [chosen]), 8000);
  const text = await run("window.external.getConfigJson(); return document.getElementById('configParmContainer').textContent;");
  assert.ok(text.includes(`"outputDir": "${chosen}"`), text);
  // Put the test's output folder back for what follows.
  await run(`document.getElementById('configParmContainer').textContent = arguments[0];
    window.external.setConfigJson(); closePanels(); loadConfig();`, [JSON.stringify({outputDir: outDir})]);
});

test('the About box opens from the Help menu and OK closes it', async () => {
  await focus(mainWindow);
  await keys('alt+h', 'a');  // Help > About...
  const about = await waitFor('the About box', () => windowNamed('^About Clipwright$'), 10000);
  await sleep(500);
  grabWindow(about, 'about-box.png');
  await focus(about);
  await keys('Return');
  await waitFor('the About box closed', () => !windowNamed('^About Clipwright$'), 10000);
});

test('the shutdown switch from the menu, then the countdown cancelled with nothing run', async () => {
  await focus(mainWindow);
  await keys('alt+c', 's');  // Configuration > Shutdown computer on completed
  await waitFor('the switch on', () => run('return page.config.needShutdown === 1;'), 8000);
  // The page now takes the finished and failed tasks off the list; it is empty.
  const countdown = await waitFor('the countdown window', () => windowNamed('^Reelmarch - Auto Shutdown$'), 10000);
  assert.deepEqual(await tasks(), []);
  await sleep(1500);
  grabWindow(countdown, 'countdown.png');

  await focus(countdown);
  await keys('Tab', 'space');  // from the default button to "Cancel Shutdown", pressed
  await waitFor('the countdown closed', () => !windowNamed('^Reelmarch - Auto Shutdown$'), 10000);
  await sleep(2500);
  assert.equal(recorded(), '', 'no shutdown command was started');

  // Another file done with the switch on: a new countdown. Enter presses
  // "Shutdown Right Now", which a remote-controlled program only reports;
  // the window stays until Escape.
  await run("setTimeout(function () { document.getElementById('btnAddFiles').click(); }, 100);");
  await chooseInFileChooser(shortClip);
  const again = await waitFor('a second countdown', () => windowNamed('^Reelmarch - Auto Shutdown$'), 60000);
  await focus(again);
  await keys('Return');
  await waitFor('the shutdown request', () => programErrors.includes('shutdown requested, not run'), 5000);
  assert.ok(windowNamed('^Reelmarch - Auto Shutdown$'), 'the countdown stays open');
  await keys('Escape');
  await waitFor('the countdown closed by Escape', () => !windowNamed('^Reelmarch - Auto Shutdown$'), 10000);
  assert.equal(recorded(), '', 'no shutdown command was started');

  // The switch goes back off from the menu.
  await focus(mainWindow);
  await keys('alt+c', 's');
  await waitFor('the switch off', () => run('return page.config.needShutdown === 0;'), 8000);
});
