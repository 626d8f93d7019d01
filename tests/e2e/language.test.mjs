// End-to-end tests of the window in the desktop's language: the real program
// under LC_ALL=de_DE.UTF-8 (and fr_FR.UTF-8) with the translations of the
// build folder. The page says its language (document.documentElement.lang),
// shows its texts, a task row and the status line in German, keeps no text
// in English that the catalogue translates, and the menu bar and the About
// box are German too. Screenshots land in e2e-artifacts/ of the build
// folder, beside the other suites'.
// Usage: CW_BUILD_DIR=<build folder> node --test language.test.mjs
import {test, before, after} from 'node:test';
import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {DrivenProgram, sleep, waitFor} from './driven_program.mjs';
import {xdotool, windowNamed, focus, geometry, keys} from './desktop_input.mjs';

const buildDir = process.env.CW_BUILD_DIR;
const artifacts = path.join(buildDir || '.', 'e2e-artifacts');
let program = null;
const timings = {};  // start-up figures per language, written to e2e-artifacts/language-timings.json

before(() => {
  assert.ok(buildDir, 'CW_BUILD_DIR must name the build folder');
  fs.mkdirSync(artifacts, {recursive: true});
});

after(async () => {
  if (program) await program.stop();
  fs.writeFileSync(path.join(artifacts, 'language-timings.json'), JSON.stringify(timings, null, 2) + '\n');
});

// The first paint, and what the one call for the page's texts costs through
// the bridge (the call made again, as the page makes it at start-up).
async function recordTimings(language) {
  const paint = await program.firstPaint();
  const call = await program.run(`
    var list = SCRIPT_TEXTS.slice();
    eachDocumentText(document.body, function (text) { list.push(text); });
    var times = [];
    for (var i = 0; i < 20; i++) {
      var t0 = performance.now();
      callHost('getPageTexts', JSON.stringify(list));
      times.push(performance.now() - t0);
    }
    times.sort(function (a, b) { return a - b; });
    return {texts: list.length, medianMs: times[10], maxMs: times[19]};`);
  timings[language] = {launchToFirstPaintMs: paint.launchToFirstPaintMs, getPageTexts: call};
}

// A PNG of a toolkit window, grabbed from the screen.
function grabWindow(id, file) {
  const g = geometry(id);
  const grabbed = spawnSync('ffmpeg', ['-loglevel', 'error', '-y', '-f', 'x11grab', '-draw_mouse', '0', '-video_size',
    `${g.width}x${g.height}`, '-i', `${process.env.DISPLAY}+${Math.max(0, g.x)},${Math.max(0, g.y)}`, '-frames:v', '1',
    path.join(artifacts, file)], {encoding: 'utf8', timeout: 20000});
  assert.equal(grabbed.status, 0, grabbed.stderr);
}

function makeClip(dir, name) {
  const file = path.join(dir, name);
  const made = spawnSync('ffmpeg', ['-nostdin', '-loglevel', 'error', '-y', '-f', 'lavfi', '-i',
    'testsrc=duration=20:size=320x240:rate=25', '-c:v', 'mpeg4', file], {encoding: 'utf8', timeout: 120000});
  assert.equal(made.status, 0, made.stderr);
  return file;
}

// Starts the program in `locale` (none: the "C" messages) with one clip
// queued from its command line (as "Open with" does), so that a task row is
// shown too.
async function startIn(locale, language) {
  const env = locale ? {LC_ALL: locale, LANGUAGE: language} : {LANGUAGE: language};
  program = new DrivenProgram(buildDir, {env});
  fs.mkdirSync(path.join(program.work, 'clips'), {recursive: true});
  const clip = makeClip(path.join(program.work, 'clips'), 'clip.avi');
  await program.start({args: [clip]});
  await waitFor('the queued clip', () => program.run('return page.tasks.length === 1;'), 20000);
}

// What the page shows that its catalogue translates and is still English.
const untranslatedLeft = () => program.run(`
  var left = [];
  eachDocumentText(document.body, function (text) { if (T(text) !== text) left.push(text); });
  return left;`);

const texts = () => program.run(`
  var q = function (css) { var e = document.querySelector(css); return e ? e.textContent.trim() : null; };
  return {
    lang: document.documentElement.lang,
    addFiles: q('#btnAddFiles span'), addFilesTitle: document.getElementById('btnAddFiles').title,
    firstHeader: q('#taskTable th'), options: q('#optionsTitle'), save: q('#btnOptionsSave'),
    emptyTitle: q('.empty-title'), summary: q('#statusSummary'), state: q('#taskRows .state'),
    helpFirst: document.querySelector('#helpPanel .help-text p').innerHTML,
    translated: Object.keys(TRANSLATED).filter(function (k) { return TRANSLATED[k] !== k; }).length
  };`);

test('the window in German: the page, a task, the menu bar and the About box', async () => {
  await startIn('de_DE.UTF-8', 'de');
  await recordTimings('de');
  const shown = await texts();
  assert.equal(shown.lang, 'de');
  assert.equal(shown.addFiles, 'Dateien hinzufügen');
  assert.equal(shown.addFilesTitle, 'Videodateien zur Warteschlange hinzufügen');
  assert.equal(shown.firstHeader, 'Datei');
  assert.equal(shown.options, 'Optionen');
  assert.equal(shown.save, 'Speichern');
  assert.equal(shown.emptyTitle, 'Keine Videos in der Warteschlange');
  assert.match(shown.summary, /^1 Aufgabe( · 1 (in Arbeit|wartend|fertig))?$/);
  assert.ok(['Wartet', 'Läuft', 'Fertig'].includes(shown.state), shown.state);
  assert.match(shown.helpFirst, /^<strong>Videos einreihen<\/strong> mit <em>Dateien hinzufügen<\/em>/);
  assert.ok(shown.translated > 60, `only ${shown.translated} texts came translated`);
  assert.deepEqual(await untranslatedLeft(), []);
  // The remaining time comes from the host in English (the task list is
  // machine-readable) and is shown in German: a row filled as the refresh fills it.
  const remaining = await program.run(`
    var row = createRow('{TEST}');
    return ['< 1 minute', '7 minutes', '1 hour 2 minutes', '3 hours 1 minute'].map(function (tip) {
      fillRow(row, {fileName: 'x.avi', fromPath: '/x.avi', toPath: '', targetDevice: 'Tablet', outputQuality: 'Low',
                    iStatus: 2, timeTip: tip, fileSize: '1 MB', progress: 5, guid: '{TEST}'});
      return row.cells[3].textContent + ' | ' + row.querySelector('.state').textContent;
    });`);
  assert.deepEqual(remaining, ['< 1 Minute | Läuft', '7 Minuten | Läuft', '1 Stunde 2 Minuten | Läuft',
    '3 Stunden 1 Minute | Läuft']);
  // So do a failed task's reason and a stalled one's, matched against the host's reason patterns.
  const reasons = await program.run(`
    var row = createRow('{TEST2}');
    var task = {fileName: 'x.avi', fromPath: '/x.avi', toPath: '', targetDevice: 'Tablet', outputQuality: 'Low',
                timeTip: '...', fileSize: '...', progress: 5, guid: '{TEST2}'};
    task.iStatus = 5; task.failReason = 'the encoder failed (exit status 1)';
    fillRow(row, task);
    var failed = row.querySelector('.state').textContent + ' | ' + row.querySelector('.reason').textContent;
    task.iStatus = 2; task.failReason = ''; task.stalled = 'no progress for 75 s';
    fillRow(row, task);
    return [failed, row.querySelector('.state').textContent + ' | ' + row.querySelector('.reason').textContent];`);
  assert.deepEqual(reasons, ['Fehler | der Encoder ist fehlgeschlagen (Exit-Status 1)', 'Hängt | seit 75 s kein Fortschritt']);
  // The status line's estimate of the whole queue, written by the host, while it shows one.
  const estimate = await program.run("return document.getElementById('queueEstimate').textContent;");
  if (estimate) assert.match(estimate, /^Warteschlange: /);
  fs.writeFileSync(path.join(artifacts, 'german-window.png'), await program.screenshot());
  // The options, with their longer German labels.
  const labels = await program.run(`configPanel();
    return Array.prototype.map.call(document.querySelectorAll('#optionsPanel label'), function (l) { return l.textContent; });`);
  assert.deepEqual(labels, ['Gerät', 'Qualität', 'Ausgabeordner', 'Gleichzeitige Umwandlungen',
    'Computer herunterfahren, wenn die Warteschlange abgearbeitet ist']);
  fs.writeFileSync(path.join(artifacts, 'german-options.png'), await program.screenshot());
  await program.run('closePanels();');

  // The menu bar: Hilfe > Über... has the mnemonic b (the English About... has a).
  const main = await waitFor('the main window', () => windowNamed('Clipwright'), 10000);
  await focus(main);
  await keys('alt+h', 'b');
  const about = await waitFor('the German About box', () => windowNamed('^Über Clipwright$'), 10000);
  await sleep(500);
  grabWindow(about, 'german-about-box.png');
  await focus(about);
  await keys('Return');
  await waitFor('the About box closed', () => !windowNamed('^Über Clipwright$'), 10000);
  await program.stop();
  program = null;
});

test('the window in French', async () => {
  await startIn('fr_FR.UTF-8', 'fr');
  await recordTimings('fr');
  const shown = await texts();
  assert.equal(shown.lang, 'fr');
  assert.equal(shown.addFiles, 'Ajouter des fichiers');
  assert.equal(shown.firstHeader, 'Fichier');
  assert.equal(shown.save, 'Enregistrer');
  assert.match(shown.summary, /^1 tâche/);
  assert.ok(['En attente', 'En cours', 'Terminé'].includes(shown.state), shown.state);
  assert.deepEqual(await untranslatedLeft(), []);
  fs.writeFileSync(path.join(artifacts, 'french-window.png'), await program.screenshot());
  await program.stop();
  program = null;
});

test('without a language the window stays English', async () => {
  await startIn(null, 'de');  // LANGUAGE alone, under the "C" messages
  await recordTimings('en');
  const shown = await texts();
  assert.equal(shown.lang, 'en');
  assert.equal(shown.addFiles, 'Add files');
  assert.equal(shown.emptyTitle, 'No videos in the queue');
  assert.match(shown.summary, /^1 task/);
  assert.ok(['Waiting', 'Running', 'Done'].includes(shown.state), shown.state);
  assert.equal(shown.translated, 0);
  await program.stop();
  program = null;
});
