// Benchmark: the accuracy of the whole queue's remaining time in the real
// window. Eight generated clips of different lengths are opened in the
// window (as "Open with" does) and converted two at a time (conTasks 2); the
// page records every estimate the host writes to the status bar (its
// seconds, data-seconds of #queueEstimate, and its text) and an encoder
// wrapper records when each run starts and ends. Prints every estimate
// against the true remaining time, then the error at 25 %, 50 % and 75 % of
// the wall time (from the first run's start to the last run's end).
// Goal: within 15 % at 25 %, within 10 % at 50 % and 75 %. With
// CW_BENCH_DETAIL=1 each line also shows every task's state and progress.
// Needs a display:  xvfb-run -a node bench/queue_estimate.mjs BUILD
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {sleep, waitFor} from '../tests/e2e/driven_program.mjs';
import {encoderRuns, makeClip, percent, programWith} from './window_bench.mjs';

const buildDir = path.resolve(process.argv[2] || 'build');
// Different lengths in a mixed order, so that long and short ones share the slots.
const LENGTHS = (process.env.CW_BENCH_LENGTHS || '24,4,40,9,29,14,34,19').split(',').map(Number);
const VIDEO = process.env.CW_BENCH_VIDEO || 'testsrc2=size=960x540:rate=25';
const DEVICE = process.env.CW_BENCH_DEVICE || '2';
const QUALITY = process.env.CW_BENCH_QUALITY || 'Normal';
const GOALS = [[0.25, 0.15], [0.5, 0.10], [0.75, 0.10]];

const work = fs.mkdtempSync('/tmp/cw-bench-queue-');
const encoderLog = path.join(work, 'encoder.log');
const outDir = path.join(work, 'out');
fs.mkdirSync(path.join(work, 'clips'), {recursive: true});
const clips = LENGTHS.map((seconds, i) =>
  makeClip(path.join(work, 'clips', `clip${i + 1}-${seconds}s.avi`), seconds, VIDEO, 300 + 20 * i));
console.log(`clips: ${LENGTHS.join(' s, ')} s (${VIDEO}), device ${DEVICE} ${QUALITY}, conTasks 2`);
// The machine's load before and after: other programs change the encoders' speed as they go.
const load = () => fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ');
console.log(`load average before: ${load()} (${os.cpus().length} processors)`);

const program = programWith(buildDir,
  {targetDevice: DEVICE, outputQuality: QUALITY, outputDir: outDir, conTasks: 2, needShutdown: 0}, encoderLog);
let failed = false;
try {
  await program.start({args: clips});
  // Every write of the host to the status bar's estimate, with the page's clock.
  await program.run(`
    var e = document.getElementById('queueEstimate');
    window.__estimates = [];
    function note() {
      window.__estimates.push([Date.now() / 1000, e.dataset.seconds, e.textContent,
        page.tasks.map(function (t) { return t.iStatus + ':' + Math.round(t.progress); }).join(' ')]);
    }
    new MutationObserver(note).observe(e, {attributes: true, attributeFilter: ['data-seconds'], childList: true,
      characterData: true, subtree: true});
    note();`);
  await waitFor('every run to end', () => encoderRuns(encoderLog).ends.length >= clips.length, 900000);
  await sleep(2500);  // the refresh that notices the last end
  const states = await program.run('return page.tasks.map(function (t) { return t.iStatus; });');
  const estimates = await program.run('return window.__estimates;');
  const {starts, ends} = encoderRuns(encoderLog);
  if (!states.every((s) => s === 4)) throw new Error(`not every task converted: states ${states}`);
  console.log(`load average after: ${load()}`);
  report(starts, ends, estimates);
} catch (e) {
  failed = true;
  console.error(e);
} finally {
  await program.stop();
  fs.rmSync(work, {recursive: true, force: true});
}
console.log('clipwright-cli: shows no whole-queue estimate (per-file remaining times only), nothing to measure');
process.exit(failed ? 1 : 0);

// The estimates written while the queue ran, against the true remaining
// time at each; then the error at the quarter points of the wall time.
function report(starts, ends, estimates) {
  const first = Math.min(...starts);
  const last = Math.max(...ends);
  const wall = last - first;
  console.log(`window: wall time ${wall.toFixed(1)} s from the first run's start to the last run's end`);
  const known = [];
  for (const [at, seconds, text, states] of estimates) {
    if (seconds === undefined || seconds === null || seconds === '' || at < first || at > last) continue;
    const truth = last - at;
    const error = (Number(seconds) - truth) / truth;
    known.push({at, seconds: Number(seconds), truth, error});
    console.log(`  t=${(at - first).toFixed(1).padStart(6)} s  estimate ${String(seconds).padStart(5)} s  ` +
        `true ${truth.toFixed(1).padStart(6)} s  error ${percent(error).padStart(9)}  "${text}"` +
        (process.env.CW_BENCH_DETAIL ? `  tasks (state:%) ${states}` : ''));
  }
  let met = true;
  for (const [fraction, goal] of GOALS) {
    const at = first + fraction * wall;
    const shown = known.filter((k) => k.at <= at).pop();
    if (!shown) {
      console.log(`window: at ${fraction * 100} % of the wall time: no estimate shown yet (goal within ${goal * 100} %)`);
      met = false;
      continue;
    }
    const ok = Math.abs(shown.error) <= goal;
    met &&= ok;
    console.log(`window: at ${fraction * 100} % of the wall time (t=${(shown.at - first).toFixed(1)} s): ` +
        `estimate ${shown.seconds} s, true ${shown.truth.toFixed(1)} s, error ${percent(shown.error)} ` +
        `(goal within ${goal * 100} %: ${ok ? 'met' : 'MISSED'})`);
  }
  console.log(`window: ${met ? 'all goals met' : 'goals missed'}`);
}
