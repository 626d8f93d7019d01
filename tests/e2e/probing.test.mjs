// End to end, what the window learns of each source before converting it:
// clips opened in the real window get a thumbnail in the freedesktop cache
// ($XDG_CACHE_HOME/thumbnails/normal/<MD5 of the file URI>.png with the
// Thumb::URI and Thumb::MTime keys, XDG_CACHE_HOME inside the test's folder)
// that the page shows, and one that a file manager made before is used as it
// is; then 200 files dropped at once probe in the background while the
// page's calls to the host keep answering, and every row gets its duration.
// They convert one at a time meanwhile (conTasks 1), as they would for a
// user. Run under Xvfb.
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import zlib from 'node:zlib';

import {DrivenProgram, waitFor} from './driven_program.mjs';
import {dropAndSample, manyClips} from './many_files.mjs';

const buildDir = process.env.CW_BUILD_DIR;

let program;
let clipsDir;
let thumbnails;
const run = (...a) => program.run(...a);

function makeClip(name, seconds) {
  const file = path.join(clipsDir, name);
  const made = spawnSync('ffmpeg', ['-nostdin', '-loglevel', 'error', '-y', '-f', 'lavfi', '-i',
    `testsrc2=size=320x240:rate=25:duration=${seconds}`, '-c:v', 'mpeg4', file], {encoding: 'utf8', timeout: 60000});
  assert.equal(made.status, 0, made.stderr);
  return file;
}

// The cache's file for a source, named after the MD5 of its file URI.
const uriOf = (file) => pathToFileURL(file).href;
const thumbnailOf = (file) => path.join(thumbnails, crypto.createHash('md5').update(uriOf(file)).digest('hex') + '.png');
const mtimeOf = (file) => String(Math.floor(fs.statSync(file).mtimeMs / 1000));

// The PNG's chunks: [{type, data}], checked against their CRC-32.
function pngChunks(bytes) {
  assert.deepEqual([...bytes.subarray(0, 8)], [137, 80, 78, 71, 13, 10, 26, 10], 'a PNG signature');
  const chunks = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const typeAndData = bytes.subarray(at + 4, at + 8 + length);
    assert.equal(bytes.readUInt32BE(at + 8 + length), crc32(typeAndData), 'the chunk CRC');
    chunks.push({type: typeAndData.subarray(0, 4).toString('latin1'), data: typeAndData.subarray(4)});
    at += 12 + length;
  }
  return chunks;
}

// The tEXt pairs of a PNG.
function pngText(bytes) {
  const pairs = {};
  for (const {type, data} of pngChunks(bytes)) {
    if (type !== 'tEXt') continue;
    const nul = data.indexOf(0);
    pairs[data.subarray(0, nul).toString('latin1')] = data.subarray(nul + 1).toString('latin1');
  }
  return pairs;
}

function crc32(bytes) {
  let crc = 0xffffffff;
  for (const b of bytes) {
    crc ^= b;
    for (let k = 0; k < 8; k++) crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
  }
  return (crc ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const typeAndData = Buffer.concat([Buffer.from(type, 'latin1'), data]);
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(typeAndData));
  return Buffer.concat([length, typeAndData, crc]);
}

// A small RGB PNG of one colour with the given text pairs, as a file manager
// would leave it in the cache.
function solidPng(width, height, rgb, pairs) {
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(width, 0);
  ihdr.writeUInt32BE(height, 4);
  ihdr.set([8, 2, 0, 0, 0], 8);  // 8 bits, RGB, deflate, no filter choice, no interlace
  const row = Buffer.concat([Buffer.from([0]), Buffer.concat(Array(width).fill(Buffer.from(rgb)))]);
  const texts = Object.entries(pairs).map(([k, v]) => chunk('tEXt', Buffer.from(`${k}\0${v}`, 'latin1')));
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', ihdr), ...texts,
    chunk('IDAT', zlib.deflateSync(Buffer.concat(Array(height).fill(row)))), chunk('IEND', Buffer.alloc(0))]);
}

// The row of the task for `file`: its thumbnail's state in the page.
const rowImage = (file) => run(`
  var file = arguments[0];
  var t = page.tasks.filter(function (x) { return x.fromPath === file; })[0];
  if (!t) return null;
  var img = page.rows[t.guid] && page.rows[t.guid].querySelector('img.thumb');
  if (!img) return null;
  return {src: img.getAttribute('src'), hidden: img.hidden, complete: img.complete, width: img.naturalWidth,
          duration: t.duration};`, [file]);

before(() => {
  assert.ok(buildDir, 'CW_BUILD_DIR must name the build folder');
  program = new DrivenProgram(buildDir);
  clipsDir = path.join(program.work, 'clips');
  thumbnails = path.join(program.home, '.cache', 'thumbnails', 'normal');
  fs.mkdirSync(clipsDir, {recursive: true});
  fs.mkdirSync(program.programDir, {recursive: true});
  program.copyProgramFolder();
  fs.writeFileSync(path.join(program.programDir, 'config.ini'), JSON.stringify({targetDevice: '1',
    outputQuality: 'Normal', outputDir: path.join(program.work, 'out'), conTasks: 1, needShutdown: 0}));
});

after(async () => {
  if (program) await program.stop();
});

test('opened clips get a thumbnail in the shared cache with its keys, shown in their rows', async () => {
  const clips = [makeClip('first clip.avi', 4), makeClip('second-clip.avi', 2)];
  const premade = makeClip('made by the file manager.avi', 3);
  // A thumbnail the file manager made already: valid for the file, so it is used unchanged.
  fs.mkdirSync(thumbnails, {recursive: true});
  const theirs = solidPng(64, 48, [200, 30, 30], {'Thumb::URI': uriOf(premade), 'Thumb::MTime': mtimeOf(premade),
    Software: 'a file manager'});
  fs.writeFileSync(thumbnailOf(premade), theirs);

  await program.start({args: [...clips, premade]});
  for (const clip of clips) {
    const file = thumbnailOf(clip);
    await waitFor(`the thumbnail of ${path.basename(clip)}`, () => fs.existsSync(file), 30000);
    const keys = pngText(fs.readFileSync(file));
    assert.equal(keys['Thumb::URI'], uriOf(clip));
    assert.equal(keys['Thumb::MTime'], mtimeOf(clip));
    const ihdr = pngChunks(fs.readFileSync(file))[0];
    assert.equal(ihdr.type, 'IHDR');
    const [width, height] = [ihdr.data.readUInt32BE(0), ihdr.data.readUInt32BE(4)];
    assert.ok(width > 0 && height > 0 && Math.max(width, height) <= 128, `a normal-size thumbnail, ${width}x${height}`);
  }
  for (const clip of [...clips, premade]) {
    const shown = await waitFor(`the thumbnail of ${path.basename(clip)} in its row`, async () => {
      const img = await rowImage(clip);
      return img && img.src && !img.hidden && img.complete && img.width > 0 && img;
    }, 20000);
    assert.equal(fileURLToPath(shown.src), thumbnailOf(clip), 'the row shows the cache file');
    assert.ok(shown.duration, 'and the source duration');
  }
  assert.equal((await rowImage(premade)).width, 64, 'the file manager\'s own picture');
  assert.ok(fs.readFileSync(thumbnailOf(premade)).equals(theirs), 'the file manager\'s thumbnail is left as it was');
});

test('200 files dropped at once probe in the background: page calls keep answering, every row gets its duration',
  async () => {
    const files = manyClips(path.join(program.work, 'many'), 200);
    const {samples, probeSeconds, durations} = await dropAndSample(program, buildDir, files);
    assert.equal(durations.length, 200);
    assert.ok(durations.every((d) => d === '0:01'), `durations ${[...new Set(durations)]}`);
    // The page called the host all along: at least one answered call per
    // second of probing, each answered, none waiting longer than a generous 3 s.
    assert.ok(samples.length >= Math.floor(probeSeconds), `${samples.length} calls in ${probeSeconds.toFixed(1)} s`);
    assert.ok(samples.every((s) => s.answer === 'None'), 'every call answered');
    const slowest = Math.max(...samples.map((s) => s.ms));
    assert.ok(slowest < 3000, `the slowest page call took ${slowest.toFixed(0)} ms`);
    for (let i = 1; i < samples.length; i++) {
      const gap = samples[i].at - samples[i - 1].at;
      assert.ok(gap < 3000, `the page stood still for ${gap.toFixed(0)} ms`);
    }
  });
