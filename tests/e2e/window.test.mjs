// End-to-end tests of the desktop window: the real clipwright, driven through
// WebKitWebDriver (run under Xvfb). The program runs from a copy of the
// program folder in a temporary folder, with HOME and the XDG folders there
// too, so that config.ini and everything else it writes stays inside it.
// Usage: CW_BUILD_DIR=<build folder> node --test window.test.mjs
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {DrivenProgram, sleep, waitFor} from './driven_program.mjs';

const buildDir = process.env.CW_BUILD_DIR;
const sourceDir = process.env.CW_SOURCE_DIR || path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const artifacts = path.join(buildDir || '.', 'e2e-artifacts');

let program;
let work;
let programDir;
const wd = (...a) => program.wd(...a);
const s = (route) => program.s(route);
const run = (...a) => program.run(...a);
const click = (css) => program.click(css);
const type = (css, text) => program.type(css, text);
const programPids = () => program.programPids();

before(async () => {
  assert.ok(buildDir, 'CW_BUILD_DIR must name the build folder');
  fs.mkdirSync(artifacts, {recursive: true});
  program = new DrivenProgram(buildDir);
  work = program.work;
  programDir = program.programDir;
  await program.start();
});

after(async () => {
  if (program) await program.stop();
});

test('the window carries the product name and version of the catalog', () => {
  const catalog = JSON.parse(fs.readFileSync(path.join(sourceDir, 'catalog/catalog.json'), 'utf8'));
  const title = `${catalog.ProgramName} v${catalog.Version}`;
  const found = spawnSync('xdotool', ['search', '--name', `^${title.replace(/[.]/g, '\\.')}$`], {encoding: 'utf8'});
  assert.equal(found.status, 0, `no window titled "${title}"`);
  assert.match(found.stdout, /^\d+/);
});

test('first paint of the page (reported)', async () => {
  const report = await program.firstPaint();
  fs.writeFileSync(path.join(artifacts, 'first-paint.json'), JSON.stringify(report, null, 2) + '\n');
  console.log(`# first paint: ${JSON.stringify(report)}`);
  assert.ok(report.launchToFirstPaintMs > 0 && report.launchToFirstPaintMs < 30000);
});

test('updateProgress arrives every 2 s with the task list', async () => {
  await run(`
    window.__ticks = [];
    var original = window.updateProgress;
    window.updateProgress = function () {
      window.__ticks.push({at: Date.now(), text: document.getElementById('parmContainer').textContent});
      return original.apply(this, arguments);
    };`);
  await sleep(8500);
  const ticks = await run('return window.__ticks;');
  assert.ok(ticks.length >= 3 && ticks.length <= 6, `${ticks.length} ticks in 8.5 s`);
  const gaps = ticks.slice(1).map((t, i) => t.at - ticks[i].at);
  for (const gap of gaps) assert.ok(gap > 1000 && gap < 4000, `ticks ${gap} ms apart`);
  const mean = gaps.reduce((a, b) => a + b, 0) / gaps.length;
  assert.ok(mean > 1700 && mean < 3000, `ticks ${mean} ms apart on average`);
  for (const t of ticks) assert.deepEqual(JSON.parse(t.text), []);
});

test('a page without parmContainer still receives updateProgress', async () => {
  await run(`
    window.__bare = 0;
    var element = document.getElementById('parmContainer');
    window.__parked = element;
    element.remove();
    var original = window.updateProgress;
    window.updateProgress = function () { window.__bare++; };
    window.__restore = function () { document.body.appendChild(window.__parked); window.updateProgress = original; };`);
  await sleep(4500);
  const calls = await run('var n = window.__bare; window.__restore(); return n;');
  assert.ok(calls >= 1 && calls <= 3, `${calls} calls`);
});

test('getModelJson hands the page the whole catalog', async () => {
  const text = await run(`
    window.external.getModelJson();
    return document.getElementById('configParmContainer').textContent;`);
  const expected = JSON.parse(fs.readFileSync(path.join(sourceDir, 'catalog/catalog.json'), 'utf8'));
  assert.deepEqual(JSON.parse(text), expected);
  const options = await run("configPanel(); var n = document.querySelectorAll('#optDevice option').length; closePanels(); return n;");
  assert.equal(options, expected.Devices.length);
});

test('options changed in the page are saved to config.ini and read back as text', async () => {
  const folder = path.join(work, 'out & <films>');
  await click('#btnOptions');
  await click('#optDevice option[value="2"]');
  await click('#optQuality option[value="High"]');
  await type('#optConTasks', '3');
  await type('#optOutputDir', folder);
  await click('#btnOptionsSave');
  const saved = fs.readFileSync(path.join(programDir, 'config.ini'), 'utf8');
  assert.match(saved, /"targetDevice": "2"/);
  assert.match(saved, /"outputQuality": "High"/);
  assert.match(saved, /"conTasks": 3/);
  assert.ok(saved.includes(folder), saved);
  const text = await run(`
    window.external.getConfigJson();
    return document.getElementById('configParmContainer').textContent;`);
  assert.ok(text.includes(`"outputDir": "${folder}"`), text);
  assert.equal(await run("return document.getElementById('optionsPanel').hidden;"), true);
});

test('markup in a file name is shown as text and never runs', async () => {
  const name = '<img src=x onerror="window.__ran=1">.avi';
  // The host escapes its texts as JSON strings.
  const q = JSON.stringify;
  const list = `[{"fileName": ${q(name)},"fromPath": ${q('/v/' + name)},"toPath": "","targetDevice": "Tablet & <b>",` +
      `"outputQuality": "Normal","iStatus": 5,"timeTip": "...","fileSize": "...","progress": 12.500000,` +
      `"guid": "{6A1F0C3E-58B2-4c7d-A1E4-0F9B2D3C4E5F}"}]`;
  const shown = await run(`
    document.getElementById('parmContainer').textContent = arguments[0];
    updateProgress();
    var row = document.querySelector('#taskRows tr');
    return {name: row.cells[0].textContent, device: row.cells[1].textContent, state: row.cells[5].querySelector('.state').textContent,
            pct: row.querySelector('.pct').textContent, images: document.querySelectorAll('#taskRows img:not(.thumb), #taskRows b').length};`,
  [list]);
  assert.deepEqual(shown, {name, device: 'Tablet & <b>', state: 'Failed', pct: '12.5%', images: 0});
  await sleep(300);
  assert.equal(await run('return window.__ran === undefined;'), true);
});

test('window.external cannot be replaced by the page', async () => {
  const kind = await run("try { window.external = {}; } catch (e) {} return typeof window.external.pauseTask;");
  assert.equal(kind, 'function');
});

test('navigation away from the page is refused', async () => {
  const before = await wd('GET', s('/url'));
  for (const target of ['file:///etc/hostname', 'https://example.com/', 'about:blank']) {
    await run('location.href = arguments[0];', [target]);
    await sleep(600);
    assert.equal(await wd('GET', s('/url')), before, target);
  }
  assert.equal(await run("return typeof window.external.getConfigJson;"), 'function');
});

test('prompts that are not bridge calls behave normally', async () => {
  await run("setTimeout(function () { window.__answer = prompt('Your name?', 'x'); }, 0);");
  await waitFor('the prompt', () => wd('GET', s('/alert/text')));
  assert.equal(await wd('GET', s('/alert/text')), 'Your name?');
  await wd('POST', s('/alert/text'), {text: 'Ada'});
  await wd('POST', s('/alert/accept'), {});
  assert.equal(await waitFor('the answer', () => run('return window.__answer;')), 'Ada');
});

async function screenshot(file) {
  const png = await program.screenshot();
  assert.equal(png.subarray(1, 4).toString(), 'PNG');
  fs.writeFileSync(path.join(artifacts, file), png);
}

// A queue in every state, as the host renders it (shown by the page only;
// the host's ticks, which would replace it with the real, empty list, are
// held while it is shown).
function sampleQueue() {
  const rows = [
    ['Summer holiday 2024.mov', 'Smartphone HD', 'High', 2, '1 hour 12 minutes', '\u2248 41 M', 37.25],
    ['interview_raw & notes.avi', 'Tablet', 'Normal', 1, '...', '...', 0],
    ['drone-footage-4k.mp4', 'Smartphone HD', 'Low', 3, '25 minutes', '\u2248 118 M', 12.5],
    ['birthday.mkv', 'Basic phone', 'Normal', 4, '...', '\u2248 6 M', 100],
    ['corrupted file.wmv', 'Tablet', 'Normal', 5, '...', '...', 3.1],
  ];
  return '[' + rows.map(([name, device, quality, state, time, size, progress], i) =>
    `{"fileName": "${name}","fromPath": "/home/me/Videos/${name}","toPath": "","targetDevice": "${device}",` +
    `"outputQuality": "${quality}","iStatus": ${state},"timeTip": "${time}","fileSize": "${size}",` +
    `"progress": ${progress.toFixed(6)},"guid": "{0000000${i}-58B2-4c7d-A1E4-0F9B2D3C4E5F}"}`).join(',') + ']';
}

test('a screenshot of the window is kept', async () => {
  await run(`
    closePanels();
    window.__hostTick = window.updateProgress;
    window.updateProgress = function () {};
    document.getElementById('parmContainer').textContent = arguments[0];
    window.__hostTick();`, [sampleQueue()]);
  assert.equal(await run("return document.querySelectorAll('#taskRows tr').length;"), 5);
  await screenshot('queue.png');
  await run(`
    window.updateProgress = window.__hostTick;
    document.getElementById('parmContainer').textContent = '[]';
    updateProgress();`);
  await screenshot('window.png');
  await run('configPanel();');
  await screenshot('options.png');
  await run('closePanels();');
});

test('ButtonCancel with an empty list closes at once and writes config.ini', async () => {
  fs.rmSync(path.join(programDir, 'config.ini'), {force: true});
  assert.equal(programPids().length, 1);
  await run(`
    var b = document.createElement('button');
    b.id = 'ButtonCancel';
    document.body.appendChild(b);
    setTimeout(function () { b.click(); }, 300);`);
  await waitFor('the program to end', () => programPids().length === 0, 10000);
  assert.ok(fs.existsSync(path.join(programDir, 'config.ini')));
  assert.match(fs.readFileSync(path.join(programDir, 'config.ini'), 'utf8'), /"conTasks": 3/);
});
