// End-to-end tests of the window's looks on the desktop: the dark style taken
// from the desktop's settings portal (a stand-in on a private session bus)
// and from GTK_THEME, text contrast (WCAG AA) in both styles, and a screen of
// scale 2 (GDK_SCALE=2). Screenshots land in e2e-artifacts/ of the build
// folder. Needs a display large enough for a doubled window (xvfb-run).
// Usage: CW_BUILD_DIR=<build folder> node --test appearance.test.mjs
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawn, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import {DrivenProgram, sleep, waitFor} from './driven_program.mjs';

const buildDir = process.env.CW_BUILD_DIR;
const artifacts = path.join(buildDir || '.', 'e2e-artifacts');

let work;
let bus;
let busAddress;
let portal;
let portalOutput = '';
let program;

// A session bus of our own, with nothing to activate, and the stand-in portal
// on it saying "prefer dark".
before(async () => {
  assert.ok(buildDir, 'CW_BUILD_DIR must name the build folder');
  fs.mkdirSync(artifacts, {recursive: true});
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'cw-e2e-look-'));
  const config = path.join(work, 'bus.conf');
  fs.writeFileSync(config, `<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=${path.join(work, 'bus')}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
`);
  bus = spawn('dbus-daemon', ['--config-file', config, '--nofork', '--print-address'], {stdio: ['ignore', 'pipe', 'inherit']});
  let busOut = '';
  bus.stdout.on('data', (d) => { busOut += d; });
  busAddress = await waitFor('the session bus', () => busOut.includes('\n') && busOut.trim());
  portal = spawn(path.join(buildDir, 'e2e_fake_portal'), ['1'], {
    env: {...process.env, DBUS_SESSION_BUS_ADDRESS: busAddress},
    stdio: ['pipe', 'pipe', 'inherit'],
  });
  portal.stdout.on('data', (d) => { portalOutput += d; });
  await waitFor('the portal', () => portalOutput.includes('ready\n'));
});

after(async () => {
  if (program) await program.stop();
  if (portal) portal.stdin.end();
  await sleep(200);
  for (const p of [portal, bus]) {
    if (p && p.exitCode === null && p.signalCode === null) p.kill('SIGKILL');
  }
  if (work) fs.rmSync(work, {recursive: true, force: true});
});

async function startProgram(env) {
  program = new DrivenProgram(buildDir, {env: {DBUS_SESSION_BUS_ADDRESS: busAddress, NO_AT_BRIDGE: '1', GTK_THEME: undefined,
                                                GDK_SCALE: undefined, GDK_DPI_SCALE: undefined, ...env}});
  await program.start();
}
async function stopProgram() {
  await program.stop();
  program = null;
}

const prefersDark = () => program.run("return matchMedia('(prefers-color-scheme: dark)').matches;");

function setPortalScheme(value) {
  const seen = portalOutput.length;
  portal.stdin.write(`${value}\n`);
  return waitFor('the portal to signal the change', () => portalOutput.slice(seen).includes(`changed ${value}\n`));
}

// Width and height of a PNG, from its header.
function pngSize(png) {
  assert.equal(png.subarray(1, 4).toString(), 'PNG');
  return {width: png.readUInt32BE(16), height: png.readUInt32BE(20)};
}

async function screenshot(file) {
  const png = await program.screenshot();
  fs.writeFileSync(path.join(artifacts, file), png);
  return png;
}

// A queue with a task in every state, shown by the page only, with one task
// selected.
async function showSampleQueue() {
  const rows = [
    ['Summer holiday 2024.mov', 'Smartphone HD', 'High', 2, '1 hour 12 minutes', '\u2248 41 M', 37.25],
    ['interview_raw & notes.avi', 'Tablet', 'Normal', 1, '...', '...', 0],
    ['drone-footage-4k.mp4', 'Smartphone HD', 'Low', 3, '25 minutes', '\u2248 118 M', 12.5],
    ['birthday.mkv', 'Basic phone', 'Normal', 4, '...', '\u2248 6 M', 100],
    ['corrupted file.wmv', 'Tablet', 'Normal', 5, '...', '...', 3.1],
  ];
  const list = JSON.stringify(rows.map(([fileName, targetDevice, outputQuality, iStatus, timeTip, fileSize, progress], i) => ({
    fileName, fromPath: `/home/me/Videos/${fileName}`, toPath: '', targetDevice, outputQuality, iStatus, timeTip,
    fileSize, progress, guid: `{0000000${i}-58B2-4c7d-A1E4-0F9B2D3C4E5F}`,
  })));
  // The host's ticks are held off meanwhile, so that screenshots and checks
  // see this queue.
  const shown = await program.run(`
    if (!window.__render) { window.__render = window.updateProgress; window.updateProgress = function () {}; }
    closePanels(); document.getElementById('parmContainer').textContent = arguments[0];
    window.__render(); select('{00000002-58B2-4c7d-A1E4-0F9B2D3C4E5F}');
    return document.querySelectorAll('#taskRows tr').length;`, [list]);
  assert.equal(shown, 5);
}

// Every visible text of the page (and the value of every form field) whose
// contrast with the background it is drawn on is below WCAG AA: 4.5:1, or
// 3:1 for large text. Disabled controls are exempt, as in WCAG.
const CONTRAST_FAILURES = `
  function parse(text) {
    var m = /rgba?\\(([^)]+)\\)/.exec(text);
    if (!m) return null;
    var p = m[1].split(/[\\s,\\/]+/).filter(Boolean).map(Number);
    return {r: p[0], g: p[1], b: p[2], a: p.length > 3 ? p[3] : 1};
  }
  function over(top, below) {
    return {r: top.r * top.a + below.r * (1 - top.a), g: top.g * top.a + below.g * (1 - top.a),
            b: top.b * top.a + below.b * (1 - top.a), a: 1};
  }
  function luminance(c) {
    function f(v) { v /= 255; return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4); }
    return 0.2126 * f(c.r) + 0.7152 * f(c.g) + 0.0722 * f(c.b);
  }
  function backgroundOf(element) {
    var layers = [];
    for (var e = element; e; e = e.parentElement) {
      var c = parse(getComputedStyle(e).backgroundColor);
      if (c && c.a > 0) { layers.push(c); if (c.a >= 1) break; }
    }
    var colour = {r: 255, g: 255, b: 255, a: 1};
    for (var i = layers.length - 1; i >= 0; i--) colour = over(layers[i], colour);
    return colour;
  }
  function hasOwnText(e) {
    if (e.tagName === 'SELECT' || e.tagName === 'INPUT') return true;
    for (var n = e.firstChild; n; n = n.nextSibling) if (n.nodeType === 3 && n.nodeValue.trim()) return true;
    return false;
  }
  var failures = [], checked = 0;
  document.querySelectorAll('body *').forEach(function (e) {
    if (!hasOwnText(e) || e.closest(':disabled, .visually-hidden, script, style, [hidden]')) return;
    if (!e.getClientRects().length) return;
    var style = getComputedStyle(e);
    if (style.visibility !== 'visible') return;
    var bg = backgroundOf(e);
    var fg = over(parse(style.color), bg);
    var a = luminance(fg), b = luminance(bg);
    var ratio = (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05);
    var size = parseFloat(style.fontSize), bold = Number(style.fontWeight) >= 700;
    var needed = size >= 24 || (size >= 18.66 && bold) ? 3 : 4.5;
    checked++;
    if (ratio < needed) {
      failures.push((e.id ? '#' + e.id : e.tagName + '.' + e.className) + ' "' + (e.value || e.textContent).trim().slice(0, 30) +
                    '" ' + ratio.toFixed(2) + ' < ' + needed + ' (' + style.color + ' on rgb(' +
                    [bg.r, bg.g, bg.b].map(Math.round) + '))');
    }
  });
  return {checked: checked, failures: failures};`;

// The contrast of the queue, the options and the help, in the current style.
async function assertContrast(style) {
  const views = {
    queue: 'closePanels();',
    empty: "closePanels(); document.getElementById('parmContainer').textContent = '[]'; window.__render();",
    options: 'configPanel();',
    help: 'onlineHelp();',
  };
  for (const [name, show] of Object.entries(views)) {
    if (name === 'queue') await showSampleQueue();
    await program.run(show);
    const result = await program.run(CONTRAST_FAILURES);
    assert.ok(result.checked >= 5, `${style} ${name}: only ${result.checked} texts checked`);
    assert.deepEqual(result.failures, [], `${style} ${name}`);
  }
  await program.run('closePanels();');
}

const bodyLuminance = () => program.run(`
  var m = /rgba?\\((\\d+), (\\d+), (\\d+)/.exec(getComputedStyle(document.body).backgroundColor);
  return (0.2126 * m[1] + 0.7152 * m[2] + 0.0722 * m[3]) / 255;`);

test('the page takes the dark style from the desktop\'s colour-scheme setting and follows its change', async () => {
  await startProgram({});
  assert.equal(await waitFor('the dark style', prefersDark), true);
  assert.ok(await bodyLuminance() < 0.15, 'the page background is not dark');
  await showSampleQueue();
  await screenshot('queue-dark.png');
  await program.run('configPanel();');
  await screenshot('options-dark.png');
  await assertContrast('dark');

  await setPortalScheme(2);  // the desktop switches to light
  await waitFor('the light style', async () => !(await prefersDark()), 10000);
  assert.ok(await bodyLuminance() > 0.85, 'the page background is not light');
  await assertContrast('light');
  await setPortalScheme(1);  // and back to dark
  assert.equal(await waitFor('the dark style again', prefersDark, 10000), true);
  await stopProgram();
});

test('GTK_THEME with the dark variant wins over the desktop\'s setting', async () => {
  await setPortalScheme(2);
  await startProgram({GTK_THEME: 'Adwaita:dark'});
  await sleep(1500);  // time for the portal's (light) answer, which must not count
  assert.equal(await prefersDark(), true);
  await stopProgram();
  await startProgram({GTK_THEME: 'Adwaita'});
  await setPortalScheme(1);
  await sleep(1500);
  assert.equal(await prefersDark(), false, 'a light theme named by the user is overridden');
  await stopProgram();
});

function xdotool(...args) {
  return spawnSync('xdotool', args, {encoding: 'utf8', timeout: 10000});
}
function geometry(id) {
  const out = xdotool('getwindowgeometry', '--shell', id).stdout;
  const value = (k) => Number((out.match(new RegExp(`^${k}=(-?\\d+)`, 'm')) || [])[1]);
  return {x: value('X'), y: value('Y'), width: value('WIDTH'), height: value('HEIGHT')};
}

// The image widths in a _NET_WM_ICON value: width, height, then width x
// height pixels, for each image in turn.
function iconSizes(values) {
  const sizes = [];
  for (let at = 0; at + 2 <= values.length && values[at] > 0;) {
    const [width, height] = values.slice(at, at + 2);
    sizes.push(width);
    at += 2 + width * height;
  }
  return sizes;
}

test('at scale 2 the page, the window and its icon have twice the pixels', async () => {
  await setPortalScheme(2);
  await startProgram({GDK_SCALE: '2'});
  const page = await program.run('return {ratio: devicePixelRatio, width: innerWidth, height: innerHeight};');
  assert.equal(page.ratio, 2);
  await showSampleQueue();
  const png = await screenshot('queue-scale2.png');
  // The page is drawn at device pixels, not enlarged from a 1x picture.
  assert.deepEqual(pngSize(png), {width: page.width * 2, height: page.height * 2});

  const [pid] = program.programPids();
  const found = xdotool('search', '--onlyvisible', '--pid', String(pid));
  assert.equal(found.status, 0, 'no visible window of the program');
  const ids = found.stdout.trim().split('\n');
  const id = ids.find((w) => geometry(w).width >= page.width * 2) || ids[0];
  const g = geometry(id);
  assert.ok(g.width >= page.width * 2, `window ${g.width} px wide for a page of ${page.width}`);
  const grabbed = spawnSync('ffmpeg', ['-loglevel', 'error', '-y', '-f', 'x11grab', '-draw_mouse', '0', '-video_size',
    `${g.width}x${g.height}`, '-i', `${process.env.DISPLAY}+${Math.max(0, g.x)},${Math.max(0, g.y)}`, '-frames:v', '1',
    path.join(artifacts, 'window-scale2.png')], {encoding: 'utf8', timeout: 20000});
  assert.equal(grabbed.status, 0, grabbed.stderr);

  // The window's icon offers an image large enough for a doubled 64-pixel place.
  const icon = spawnSync('xprop', ['-id', id, '-notype', '-f', '_NET_WM_ICON', '32c', ' $0+', '_NET_WM_ICON'],
    {encoding: 'utf8', timeout: 20000, maxBuffer: 64 << 20});
  const sizes = iconSizes(icon.stdout.replace(/^[^ ]* /, '').split(',').map(Number));
  assert.ok(sizes.length > 0, `no _NET_WM_ICON: ${icon.stdout.slice(0, 200)}`);
  assert.ok(Math.max(...sizes) >= 128, `icon sizes ${sizes}`);
  await stopProgram();
});
