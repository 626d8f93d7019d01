// Many files dropped on the real window while the page keeps calling the
// host: shared by the end-to-end test (every call answers, every row gets
// its duration) and bench/probe_latency (how long the calls took). The
// files come from the stand-in file manager (e2e_drag_source) by a real drag
// and drop with the mouse (xdotool); run under Xvfb.
import {spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {sleep, waitFor, waitForProgress} from './driven_program.mjs';
import {drag, geometry, windowNamed, xdotool} from './desktop_input.mjs';

export {windowNamed};





// `count` names for one tiny generated clip in `dir` (hard links of it).
export function manyClips(dir, count) {
  fs.mkdirSync(dir, {recursive: true});
  const first = path.join(dir, 'tiny 000.avi');
  const made = spawnSync('ffmpeg', ['-nostdin', '-loglevel', 'error', '-y', '-f', 'lavfi', '-i',
    'testsrc=size=160x120:rate=10:duration=1', '-c:v', 'mpeg4', first], {encoding: 'utf8', timeout: 60000});
  if (made.status !== 0) throw new Error(made.stderr);
  const files = [first];
  for (let i = 1; i < count; ++i) {
    const name = path.join(dir, `tiny ${String(i).padStart(3, '0')}.avi`);
    fs.linkSync(first, name);
    files.push(name);
  }
  return files;
}

// Starts a sampler in the page that calls the host every `everyMs` (a call
// that answers "None" for an unknown task) and notes how long each took and
// what it answered.
export async function startSampler(program, everyMs) {
  await program.run(`
    window.__samples = [];
    window.__sampler = setInterval(function () {
      var begin = performance.now();
      var answer = window.external.getOutputFilePath('{no such task}');
      window.__samples.push([begin, performance.now() - begin, answer]);
    }, arguments[0]);`, [everyMs]);
}

export async function stopSampler(program) {
  return program.run('clearInterval(window.__sampler); return window.__samples;');
}

// Drops `files` on the main window from the stand-in file manager while the
// page's sampler runs, and waits until every dropped task has its duration:
// as long as rows keep coming and keep getting their durations (it fails when
// nothing advanced for `stallMs`, not after a fixed time, so a loaded machine
// only makes it slower). Returns {samples: [{at, ms, answer}], probeSeconds,
// durations} where probeSeconds runs from the drop to the last duration and
// `durations` are the dropped rows' duration texts.
export async function dropAndSample(program, buildDir, files, {stallMs = 60000, everyMs = 50} = {}) {
  const before = await program.run('return page.tasks.length;');
  const source = spawn(path.join(buildDir, 'e2e_drag_source'), files, {stdio: 'ignore'});
  try {
    const sourceWindow = await waitFor('the drag source', () => windowNamed('^cw-drag-source$'), 10000);
    const mainWindow = await waitFor('the main window', () => windowNamed('^Clipwright v'), 10000);
    await sleep(500);
    const g = geometry(sourceWindow);
    const m = geometry(mainWindow);
    await startSampler(program, everyMs);
    const droppedAt = performance.now();
    await drag({x: g.x + 100, y: g.y + 60}, {x: m.x + Math.floor(m.width / 2), y: m.y + Math.floor(m.height / 2)});
    const {rows} = await waitForProgress('every dropped row with its duration', async () => {
      const rows = await program.run('return page.tasks.slice(arguments[0]).map(function (t) { return t.duration; });',
        [before]);
      const probed = rows.filter((d) => typeof d === 'string' && d !== '').length;
      return {done: rows.length === files.length && probed === rows.length, progress: rows.length + probed, rows};
    }, stallMs);
    const probeSeconds = (performance.now() - droppedAt) / 1000;
    const samples = (await stopSampler(program)).map(([at, ms, answer]) => ({at, ms, answer}));
    return {samples, probeSeconds, durations: rows};
  } finally {
    source.kill('SIGKILL');
  }
}
