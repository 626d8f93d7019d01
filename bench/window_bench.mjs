// Shared pieces of the benches that drive the real window through
// WebKitWebDriver (bench/queue_estimate, bench/probe_latency): generated
// clips, a program folder with a settings file and an encoder wrapper that
// logs when each run starts and ends, and small statistics.
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {DrivenProgram} from '../tests/e2e/driven_program.mjs';

// A clip of `seconds` from ffmpeg's lavfi sources: `video` is a filter
// graph ("testsrc2=size=960x540:rate=25"), with a tone.
export function makeClip(file, seconds, video, tone = 440) {
  const made = spawnSync('ffmpeg', ['-nostdin', '-loglevel', 'error', '-y',
    '-f', 'lavfi', '-i', video, '-f', 'lavfi', '-i', `sine=frequency=${tone}`, '-t', String(seconds),
    '-c:v', 'mpeg4', '-q:v', '4', '-c:a', 'aac', file], {encoding: 'utf8', timeout: 600000});
  if (made.status !== 0) throw new Error(`ffmpeg could not make ${file}: ${made.stderr}`);
  return file;
}

// A driven program whose copy has `settings` as config.ini and, as its
// encoder, a wrapper of ffmpeg that appends "start T" and "end T" (seconds
// since the epoch) to `encoderLog` for each conversion. The program's
// listing of a source before its conversion (a run without -codec:v) is
// not recorded.
export function programWith(buildDir, settings, encoderLog) {
  const program = new DrivenProgram(buildDir);
  fs.mkdirSync(program.programDir, {recursive: true});
  program.copyProgramFolder();
  const xenc = path.join(program.programDir, 'xenc');
  fs.rmSync(xenc, {force: true});
  fs.writeFileSync(xenc, `#!/bin/sh
case " $* " in *" -codec:v "*) log='${encoderLog}' ;; *) log=/dev/null ;; esac
echo "start $(date +%s.%N)" >>"$log"
/usr/bin/ffmpeg "$@"
status=$?
echo "end $(date +%s.%N)" >>"$log"
exit $status
`, {mode: 0o755});
  fs.writeFileSync(path.join(program.programDir, 'config.ini'), JSON.stringify(settings));
  return program;
}

// The encoder log's runs: {starts: [s...], ends: [s...]}.
export function encoderRuns(encoderLog) {
  const text = fs.existsSync(encoderLog) ? fs.readFileSync(encoderLog, 'utf8') : '';
  const starts = [];
  const ends = [];
  for (const line of text.split('\n')) {
    const [word, at] = line.split(' ');
    if (word === 'start') starts.push(Number(at));
    if (word === 'end') ends.push(Number(at));
  }
  return {starts, ends};
}

export function median(values) {
  const v = [...values].sort((a, b) => a - b);
  if (v.length === 0) return NaN;
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
}

export const percent = (x) => `${x >= 0 ? '+' : ''}${(x * 100).toFixed(1)} %`;
