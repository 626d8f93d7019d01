// End-to-end tests of the desktop window: the real clipwright, driven through
// WebKitWebDriver (run under Xvfb). The program runs from a copy of the
// program folder in a temporary folder, with HOME and the XDG folders there
// too, so that config.ini and everything else it writes stays inside it.
// Usage: CW_BUILD_DIR=<build folder> node --test window.test.mjs
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

const buildDir = process.env.CW_BUILD_DIR;
const sourceDir = process.env.CW_SOURCE_DIR || path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const artifacts = path.join(buildDir || '.', 'e2e-artifacts');
const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';

let work;        // temporary folder: program folder + home
let programDir;
let driver;      // the WebKitWebDriver process
let base;        // http://127.0.0.1:PORT
let session;     // WebDriver session id
let sessionRequestedAt;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const {port} = server.address();
      server.close(() => resolve(port));
    });
    server.on('error', reject);
  });
}

async function wd(method, route, body) {
  const response = await fetch(base + route, {
    method,
    headers: {'Content-Type': 'application/json'},
    body: body === undefined ? undefined : JSON.stringify(body),
    signal: AbortSignal.timeout(30000),
  });
  const json = await response.json();
  if (!response.ok) throw new Error(`${method} ${route}: ${response.status} ${JSON.stringify(json.value)}`);
  return json.value;
}
const s = (route) => `/session/${session}${route}`;
const run = (script, args = []) => wd('POST', s('/execute/sync'), {script, args});
async function find(css) {
  const value = await wd('POST', s('/element'), {using: 'css selector', value: css});
  return value[ELEMENT];
}
const click = async (css) => wd('POST', s(`/element/${await find(css)}/click`), {});
async function type(css, text) {
  const id = await find(css);
  await wd('POST', s(`/element/${id}/clear`), {});
  await wd('POST', s(`/element/${id}/value`), {text});
}

async function waitFor(what, probe, timeoutMs = 15000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    try {
      const value = await probe();
      if (value) return value;
    } catch (e) {
      if (Date.now() > end) throw e;
    }
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await sleep(100);
  }
}

// The pids of processes running our copy of the program (ours alone: the
// copy lives in our temporary folder).
function programPids() {
  const exe = path.join(programDir, 'clipwright');
  const pids = [];
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      if (fs.readlinkSync(`/proc/${entry}/exe`) === exe) pids.push(Number(entry));
    } catch { /* gone or not ours to read */ }
  }
  return pids;
}

function copyProgramFolder() {
  for (const name of ['clipwright', 'app.ico', 'data.dat']) {
    fs.copyFileSync(path.join(buildDir, name), path.join(programDir, name));
  }
  fs.chmodSync(path.join(programDir, 'clipwright'), 0o755);
  fs.cpSync(path.join(buildDir, 'htm'), path.join(programDir, 'htm'), {recursive: true});
  const xenc = path.join(buildDir, 'xenc');
  if (fs.existsSync(xenc)) fs.symlinkSync(fs.realpathSync(xenc), path.join(programDir, 'xenc'));
}

before(async () => {
  assert.ok(buildDir, 'CW_BUILD_DIR must name the build folder');
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'cw-e2e-'));
  programDir = path.join(work, 'program');
  const home = path.join(work, 'home');
  for (const dir of [programDir, home, path.join(home, 'Videos')]) fs.mkdirSync(dir, {recursive: true});
  copyProgramFolder();
  fs.mkdirSync(artifacts, {recursive: true});

  const port = await freePort();
  base = `http://127.0.0.1:${port}`;
  driver = spawn('WebKitWebDriver', [`--port=${port}`], {
    env: {
      ...process.env,
      HOME: home,
      XDG_CONFIG_HOME: path.join(home, '.config'),
      XDG_DATA_HOME: path.join(home, '.local/share'),
      XDG_CACHE_HOME: path.join(home, '.cache'),
      XDG_VIDEOS_DIR: path.join(home, 'Videos'),
    },
    stdio: ['ignore', 'ignore', 'pipe'],
  });
  driver.stderr.on('data', (d) => process.stderr.write(`[driver] ${d}`));
  await waitFor('the driver', async () => (await wd('GET', '/status')).ready !== undefined);

  sessionRequestedAt = Date.now();
  const created = await wd('POST', '/session', {
    capabilities: {alwaysMatch: {'webkitgtk:browserOptions': {binary: path.join(programDir, 'clipwright'), args: []}}},
  });
  session = created.sessionId;
  await waitFor('the page', () =>
    run("return document.readyState === 'complete' && typeof window.external.getModelJson === 'function';"));
});

after(async () => {
  if (session) {
    try { await wd('DELETE', `/session/${session}`); } catch { /* the program may have ended already */ }
  }
  if (driver) {
    driver.kill('SIGTERM');
    await sleep(300);
  }
  if (programDir) {
    for (const pid of programPids()) {
      try { process.kill(pid, 'SIGKILL'); } catch { /* already gone */ }
    }
  }
  if (driver && driver.exitCode === null) driver.kill('SIGKILL');
  if (work) fs.rmSync(work, {recursive: true, force: true});
});

test('the window carries the product name and version of the catalog', () => {
  const catalog = JSON.parse(fs.readFileSync(path.join(sourceDir, 'catalog/catalog.json'), 'utf8'));
  const title = `${catalog.ProgramName} v${catalog.Version}`;
  const found = spawnSync('xdotool', ['search', '--name', `^${title.replace(/[.]/g, '\\.')}$`], {encoding: 'utf8'});
  assert.equal(found.status, 0, `no window titled "${title}"`);
  assert.match(found.stdout, /^\d+/);
});

// When the process started, in ms since the epoch (from /proc, 10 ms steps).
function processStartedAt(pid) {
  const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  const startTicks = Number(fields[19]);  // field 22 of stat: start time in clock ticks after boot
  const uptimeMs = Number(fs.readFileSync('/proc/uptime', 'utf8').split(' ')[0]) * 1000;
  const bootedAt = Date.now() - uptimeMs;
  return bootedAt + startTicks * 10;
}

test('first paint of the page (reported)', async () => {
  const painted = await run(`
    var paint = performance.getEntriesByType('paint').filter(function (e) { return e.name === 'first-contentful-paint'; })[0]
        || performance.getEntriesByType('paint')[0];
    return {origin: performance.timeOrigin, paint: paint ? paint.startTime : null,
            load: performance.timing.loadEventEnd - performance.timeOrigin};`);
  const [pid] = programPids();
  const started = processStartedAt(pid);
  const paintAt = painted.origin + (painted.paint !== null ? painted.paint : painted.load);
  const report = {
    launchToFirstPaintMs: Math.round(paintAt - started),
    launchToNavigationMs: Math.round(painted.origin - started),
    navigationToPaintMs: Math.round(paintAt - painted.origin),
    sessionRequestToFirstPaintMs: Math.round(paintAt - sessionRequestedAt),
    paintEntry: painted.paint !== null ? 'first-contentful-paint' : 'load event',
  };
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
  const list = `[{"fileName": "${name}","fromPath": "/v/${name}","toPath": "","targetDevice": "Tablet & <b>",` +
      `"outputQuality": "Normal","iStatus": 5,"timeTip": "...","fileSize": "...","progress": 12.500000,` +
      `"guid": "{6A1F0C3E-58B2-4c7d-A1E4-0F9B2D3C4E5F}"}]`;
  const shown = await run(`
    document.getElementById('parmContainer').textContent = arguments[0];
    updateProgress();
    var row = document.querySelector('#taskRows tr');
    return {name: row.cells[0].textContent, device: row.cells[1].textContent, state: row.cells[5].textContent,
            pct: row.querySelector('.pct').textContent, images: document.querySelectorAll('#taskRows img, #taskRows b').length};`,
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

// The driver's screenshot waits for the view's next rendering update, which a
// still page without accelerated compositing does not produce by itself; an
// invisible opacity flicker for a moment provides one.
async function screenshot(file) {
  await run(`var n = 0; var t = setInterval(function () {
      document.body.style.opacity = (n++ % 2) ? '0.999' : '';
      if (n > 60) { clearInterval(t); document.body.style.opacity = ''; }
    }, 30);`);
  const png = Buffer.from(await wd('GET', s('/screenshot')), 'base64');
  assert.equal(png.subarray(1, 4).toString(), 'PNG');
  fs.writeFileSync(path.join(artifacts, file), png);
}

// A queue in every state, as the host renders it (shown by the page only;
// the next tick replaces it with the real, empty list).
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
  await run("closePanels(); document.getElementById('parmContainer').textContent = arguments[0]; updateProgress();",
      [sampleQueue()]);
  assert.equal(await run("return document.querySelectorAll('#taskRows tr').length;"), 5);
  await screenshot('queue.png');
  await run("document.getElementById('parmContainer').textContent = '[]'; updateProgress();");
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
