// Benchmark: the expected size of a running conversion against the size of
// the finished file, through clipwright-cli --events (its progress lines
// carry the text the user sees, "size", and the KiB behind it, "sizeKB").
// Short clips (3-10 s) and a longer one of different content (testsrc2,
// mandelbrot, noise, still bars) are converted one at a time with the real encoder from a
// program folder of the bench's own. For each clip it prints every figure
// from 25 % of the run on and the largest error; goal: within 10 %.
//   node bench/size_estimate.mjs BUILD [DEVICE QUALITY]     (default: 7 Low)
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {makeClip, percent} from './window_bench.mjs';

const buildDir = path.resolve(process.argv[2] || 'build');
const device = process.argv[3] || '7';
const quality = process.argv[4] || 'Low';
const SIZE = '1280x720:rate=25';
const CLIPS = [
  ['testsrc2 3s', 3, `testsrc2=size=${SIZE}`],
  ['mandelbrot 5s', 5, `mandelbrot=size=${SIZE}`],
  ['noise 6s', 6, `color=c=gray:size=${SIZE},noise=alls=40:allf=t`],
  ['testsrc2 10s', 10, `testsrc2=size=${SIZE}`],
  ['noise 10s', 10, `color=c=gray:size=${SIZE},noise=alls=40:allf=t`],
  ['mandelbrot 45s', 45, `mandelbrot=size=${SIZE}`],
  // A picture with little in it (slides, a screen): far below the target.
  ['still bars 20s', 20, `smptebars=size=${SIZE}`],
];
const GOAL = 0.10;

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'cw-bench-size-'));
try {
  const prog = path.join(work, 'prog');
  fs.mkdirSync(prog);
  for (const name of ['clipwright-cli', 'data.dat']) fs.copyFileSync(path.join(buildDir, name), path.join(prog, name));
  fs.chmodSync(path.join(prog, 'clipwright-cli'), 0o755);
  fs.symlinkSync('/usr/bin/ffmpeg', path.join(prog, 'xenc'));
  const out = path.join(work, 'out');
  fs.writeFileSync(path.join(prog, 'config.ini'), JSON.stringify({targetDevice: device, outputQuality: quality,
    outputDir: out, conTasks: 1, needShutdown: 0}));
  fs.mkdirSync(path.join(work, 'clips'));
  const files = CLIPS.map(([name, seconds, video], i) =>
    makeClip(path.join(work, 'clips', `${name.replace(' ', '-')}.avi`), seconds, video, 300 + 40 * i));
  const home = path.join(work, 'home');
  const ran = spawnSync(path.join(prog, 'clipwright-cli'), ['--events', '--jobs', '1', ...files], {
    encoding: 'utf8', timeout: 1800000,
    env: {...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, '.config'), XDG_CACHE_HOME: path.join(home, '.cache')},
  });
  if (ran.status !== 0) throw new Error(`clipwright-cli ended with ${ran.status}: ${ran.stderr}`);
  report(ran.stdout.split('\n').filter(Boolean).map((l) => JSON.parse(l)), files);
} finally {
  fs.rmSync(work, {recursive: true, force: true});
}

function report(events, files) {
  console.log(`clipwright-cli --events, device ${device} ${quality}, one file at a time`);
  const byId = {};
  for (const e of events) {
    if (e.id === undefined) continue;
    (byId[e.id] ||= {source: '', output: '', progress: []});
    if (e.event === 'queued') byId[e.id].source = e.source;
    if (e.event === 'done') byId[e.id].output = e.output;
    if (e.event === 'progress') byId[e.id].progress.push(e);
  }
  let allMet = true;
  let worstText = 0;
  for (const [i, file] of files.entries()) {
    const run = Object.values(byId).find((r) => r.source === file);
    if (!run || !run.output) throw new Error(`${file} did not convert`);
    const finalKB = fs.statSync(run.output).size / 1024;
    const late = run.progress.filter((p) => p.percent >= 25 && p.sizeKB > 0);
    const errors = late.map((p) => (p.sizeKB - finalKB) / finalKB);
    const worst = errors.reduce((w, e) => (Math.abs(e) > Math.abs(w) ? e : w), 0);
    const met = late.length > 0 && Math.abs(worst) <= GOAL;
    allMet &&= met;
    console.log(`${CLIPS[i][0].padEnd(15)} final ${(finalKB / 1024).toFixed(2)} MiB; from 25 % on ` +
        `${late.length} figures, largest error ${late.length ? percent(worst) : 'none'} ` +
        `(goal within ${GOAL * 100} %: ${met ? 'met' : 'MISSED'})`);
    for (const p of late) {
      // The text counts whole MiB, cut: "≈ N M" is right when N <= final < N + 1.
      const shown = /^\u2248 (\d+) M$/.exec(p.size);
      const textRight = shown ? Number(shown[1]) <= finalKB / 1024 && finalKB / 1024 < Number(shown[1]) + 1
        : p.size === '< 1 M' && finalKB < 1024;
      if (!textRight) worstText++;
      console.log(`    ${String(p.percent).padStart(5)} %  sizeKB ${String(p.sizeKB).padStart(7)}  ` +
          `error ${percent((p.sizeKB - finalKB) / finalKB).padStart(8)}  text "${p.size}"${textRight ? '' : ' (off)'}`);
    }
  }
  console.log(`clipwright-cli: ${allMet ? 'all goals met' : 'goals missed'}; ` +
      `${worstText} texts from 25 % on named another whole MiB than the final size`);
}
