// Tests of the page's own logic (htm/app.js) outside the browser: reading the
// host's JSON, whose text values are escaped, and the removal of finished
// tasks when "shut down when done" is on. The script runs in a VM context with
// a minimal document; the rendering itself is checked in the real window by
// the end-to-end suite.
// Usage: node --test page_script.test.mjs
import {test} from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const source = fs.readFileSync(path.join(root, 'htm/app.js'), 'utf8');

// A page context: element texts for the two data elements, a recorder of
// host calls, and no-op stand-ins for everything the renderer touches.
function loadPage() {
  const texts = {parmContainer: '', configParmContainer: ''};
  const calls = [];
  const element = (id) => ({
    get textContent() { return texts[id] || ''; },
    set textContent(v) { texts[id] = v; },
    hidden: false, disabled: false, title: '', style: {}, dataset: {}, children: [], classList: {toggle() {}},
    addEventListener() {}, appendChild() {}, insertBefore() {}, removeChild() {}, querySelector: () => null,
  });
  const elements = {};
  const document = {
    getElementById: (id) => (elements[id] = elements[id] || element(id)),
    addEventListener() {},
  };
  const external = {};
  for (const m of ['deleteFinishedTask', 'deleteFile', 'pauseTask', 'resumeTask', 'getConfigJson']) {
    external[m] = () => calls.push(`${m} ${texts.parmContainer}`);
  }
  const context = vm.createContext({document, window: {external}, console});
  context.window.confirm = () => true;
  vm.runInContext(source, context);
  // Rendering is not under test here.
  vm.runInContext('renderTasks = function () {};', context);
  return {context, texts, calls};
}

// A task object as the host writes it: fixed member order, texts escaped.
const q = (text) => JSON.stringify(text);
const task = (fields) => '{' + [
  `"fileName": ${q(fields.fileName ?? 'clip.avi')}`,
  `"fromPath": ${q(fields.fromPath ?? '/v/clip.avi')}`,
  `"toPath": ${q(fields.toPath ?? '')}`,
  `"targetDevice": ${q(fields.targetDevice ?? 'Tablet')}`,
  `"outputQuality": "Normal"`,
  `"iStatus": ${fields.iStatus ?? 1}`,
  `"timeTip": "..."`,
  `"fileSize": "..."`,
  `"progress": ${fields.progress ?? '0.000000'}`,
  `"guid": ${q(fields.guid ?? '{A}')}`,
].join(',') + '}';

test('names with quotes, backslashes, look-alike members and markup read back exactly', () => {
  const {context} = loadPage();
  const tricky = [
    {fileName: 'a"b.avi', fromPath: '/v/a"b.avi', guid: '{1}'},
    {fileName: 'C:\\new\\x.avi', fromPath: 'C:\\new\\x.avi', guid: '{2}'},
    {fileName: 'a","fromPath": 1.avi', guid: '{3}'},
    {fileName: 'x","iStatus": 4,"', fromPath: '/v/"}]', guid: '{4}', iStatus: 2, progress: '66.660000'},
    {fileName: '<script>alert(1)</script> & co.avi', guid: '{5}'},
    {fileName: 'line\nbreak\ttab.avi', guid: '{6}'},
  ];
  const text = '[' + tricky.map(task).join(',') + ']';
  const parsed = context.parseTaskList(text);
  assert.equal(parsed.length, tricky.length);
  tricky.forEach((t, i) => {
    assert.equal(parsed[i].fileName, t.fileName);
    assert.equal(parsed[i].fromPath, t.fromPath ?? '/v/clip.avi');
    assert.equal(parsed[i].guid, t.guid);
    assert.equal(parsed[i].iStatus, t.iStatus ?? 1);
  });
  assert.equal(parsed[3].progress, 66.66);
});

test('empty lists, other member orders, wrong kinds and broken text', () => {
  const {context} = loadPage();
  const {parseTaskList} = context;
  assert.deepEqual(Array.from(parseTaskList('[]')), []);
  const strict = parseTaskList('[{"guid": "{A}", "fileName": "a\\\\b", "iStatus": 4}]');
  assert.equal(strict[0].fileName, 'a\\b');
  assert.equal(strict[0].iStatus, 4);
  // A structure where a text belongs is never shown as one.
  const odd = parseTaskList('[{"guid": "{A}", "fileName": {"x": 1}, "iStatus": [4], "progress": "12.5"}]');
  assert.equal(odd[0].fileName, '');
  assert.equal(odd[0].iStatus, 0);
  assert.equal(odd[0].progress, 12.5);
  // Members a newer host adds after the fixed ones are kept.
  assert.equal(parseTaskList('[{"guid": "{A}", "failReason": "disk full"}]')[0].failReason, 'disk full');
  for (const broken of ['', '[', '[{"fileName": "x"', 'not json', '{"a": 1}', '[1]', '[null]',
    '[{"fileName": "a","fromPath": 1.avi"}]']) {
    assert.equal(parseTaskList(broken), null, broken);
  }
});

test('settings read as JSON; text that is not one JSON object is refused', () => {
  const {context} = loadPage();
  const escaped = JSON.stringify({targetDevice: '4', targetDeviceDesc: 'Media "Player"', outputQuality: 'Normal',
    outputDir: 'D:\\Videos & <Films>\\', conTasks: 2, needShutdown: 1}).replace(/":/g, '": ');
  const config = context.parseConfig(escaped);
  assert.equal(config.outputDir, 'D:\\Videos & <Films>\\');
  assert.equal(config.targetDeviceDesc, 'Media "Player"');
  assert.equal(config.conTasks, 2);
  assert.equal(context.parseConfig('{"conTasks": '), null);
  assert.equal(context.parseConfig('[1]'), null);
});

test('a broken task list keeps the last good one', () => {
  const {context, texts} = loadPage();
  texts.parmContainer = '[' + task({guid: '{A}'}) + ']';
  context.updateProgress();
  texts.parmContainer = '[{"fileName": ';
  context.updateProgress();
  assert.equal(vm.runInContext('page.tasks.length', context), 1);
});

test('finished tasks leave the list at once only when shutting down when done', () => {
  const list = '[' + [task({guid: '{W}', iStatus: 1}), task({guid: '{D}', iStatus: 4}),
    task({guid: '{F}', iStatus: 5})].join(',') + ']';
  for (const needShutdown of [0, 1]) {
    const {context, texts, calls} = loadPage();
    vm.runInContext(`page.config = {needShutdown: ${needShutdown}};`, context);
    texts.parmContainer = list;
    context.updateProgress();
    texts.parmContainer = list;  // the next tick may still list them
    context.updateProgress();
    const kept = vm.runInContext('page.tasks.map(function (t) { return t.guid; })', context);
    if (needShutdown) {
      assert.deepEqual(calls, ['deleteFinishedTask {D}', 'deleteFinishedTask {F}']);
      assert.deepEqual(Array.from(kept), ['{W}']);
    } else {
      assert.deepEqual(calls, []);
      assert.deepEqual(Array.from(kept), ['{W}', '{D}', '{F}']);
    }
  }
});

test('the functions the host calls all exist', () => {
  const {context} = loadPage();
  for (const name of ['updateProgress', 'addFile', 'updateConfig', 'startTask', 'pauseTask', 'deleteTask',
    'configPanel', 'onlineHelp']) {
    assert.equal(typeof context[name], 'function', name);
  }
});

test('menu commands act on the selected task by its state', () => {
  const {context, texts, calls} = loadPage();
  texts.parmContainer = '[' + [task({guid: '{R}', iStatus: 2}), task({guid: '{P}', iStatus: 3}),
    task({guid: '{D}', iStatus: 4})].join(',') + ']';
  context.updateProgress();
  const pick = (guid) => vm.runInContext(`page.selected = ${JSON.stringify(guid)};`, context);
  pick('{R}'); context.startTask(); context.pauseTask();
  pick('{P}'); context.pauseTask(); context.startTask();
  pick('{D}'); context.deleteTask();
  pick('{R}'); context.deleteTask();
  assert.deepEqual(calls, ['pauseTask {R}', 'resumeTask {P}', 'deleteFinishedTask {D}', 'deleteFile {R}']);
});

test('the options panel sends the typed number of conversions for the host to check', () => {
  const cases = [['3', 3], ['16', 16], ['500', 500], ['1e9', 1e9], ['-5', -5], [' 2 ', 2], ['', ''], ['x', 'x']];
  for (const [typed, sent] of cases) {
    const {context, texts} = loadPage();
    const sentTexts = [];
    vm.runInContext('window.external', context).setConfigJson = () => sentTexts.push(texts.configParmContainer);
    const el = (id) => context.document.getElementById(id);
    el('optConTasks').value = typed;
    el('optDevice').value = '4';
    el('optQuality').value = 'Normal';
    el('optOutputDir').value = '/v/out';
    el('optShutdown').checked = false;
    vm.runInContext('renderStatus = function () {};', context);
    context.saveOptions();
    assert.equal(sentTexts.length, 1, typed);
    assert.deepEqual(JSON.parse(sentTexts[0]).conTasks, sent, typed);
  }
});

// A node of a small element tree: enough of the DOM for the name cell.
function fakeNode(tag) {
  const attributes = {};
  const node = {
    tagName: tag, className: '', title: '', hidden: false, textContent: '', children: [],
    appendChild(child) { node.children.push(child); return child; },
    setAttribute(k, v) { attributes[k] = String(v); },
    getAttribute(k) { return k in attributes ? attributes[k] : null; },
    removeAttribute(k) { delete attributes[k]; },
    querySelector(selector) {
      const [wantTag, wantClass] = selector.split('.');
      for (const child of node.children) {
        if ((!wantTag || child.tagName === wantTag) && child.className.split(' ').includes(wantClass)) return child;
      }
      return null;
    },
  };
  return node;
}

test('the source members are read, shown in the name cell and make the row change', () => {
  const {context} = loadPage();
  context.document.createElement = fakeNode;
  const probed = task({guid: '{P}'}).slice(0, -1) +
      ',"duration": "1:07","frameSize": "320x240","sourceInfo": "h264 320x240 25 fps, aac",' +
      `"thumbnail": ${q('file:///c/thumbnails/normal/ab.png')}}`;
  const [before, after] = [context.parseTaskList('[' + task({guid: '{P}'}) + ']')[0],
    context.parseTaskList('[' + probed + ']')[0]];
  assert.equal(after.thumbnail, 'file:///c/thumbnails/normal/ab.png');
  assert.equal(after.sourceInfo, 'h264 320x240 25 fps, aac');
  assert.notEqual(context.rowKey(before), context.rowKey(after));
  assert.notEqual(context.rowKey(after), context.rowKey({...after, thumbnail: 'file:///other.png'}));

  const cell = fakeNode('td');
  context.fillSource(cell, before);
  const [img, name, facts] = cell.children;
  assert.equal(img.hidden, true);
  assert.equal(img.getAttribute('src'), null);
  assert.equal(name.textContent, 'clip.avi');
  assert.equal(facts.textContent, '');
  assert.equal(cell.title, '/v/clip.avi');

  context.fillSource(cell, after);
  assert.equal(cell.children.length, 3);  // filled in place, not rebuilt
  assert.equal(img.hidden, false);
  assert.equal(img.getAttribute('src'), 'file:///c/thumbnails/normal/ab.png');
  assert.equal(facts.textContent, '1:07 \u00b7 320x240');
  assert.equal(cell.title, '/v/clip.avi\nh264 320x240 25 fps, aac');
});

test('a failed task says why: the host\'s reason first, else the encoder\'s last line', () => {
  const {context} = loadPage();
  const list = '[' + task({guid: '{F}', iStatus: 5}).replace(/}$/, ',"failReason": "the source ended early: 2.0 s of 4.0 s converted",' +
      '"failDetails": "[mov] moov atom not found\\nin.mp4: Invalid data found when processing input"}') + ',' +
      task({guid: '{G}', iStatus: 5}).replace(/}$/, ',"failReason": "","failDetails": "first\\nlast line"}') + ',' +
      task({guid: '{H}', iStatus: 5}) + ']';
  const parsed = context.parseTaskList(list);
  assert.equal(context.failureSummary(parsed[0]), 'the source ended early: 2.0 s of 4.0 s converted');
  assert.equal(parsed[0].failDetails.split('\n').length, 2);
  assert.equal(context.failureSummary(parsed[1]), 'last line');
  assert.equal(context.failureSummary(parsed[2]), 'the encoder could not convert the file');
});

test('texts: English without an answer from the host, the host\'s translations and values in their places', () => {
  const {context} = loadPage();
  const remaining = ['< 1 minute', '< 2 minutes', '7 minutes', '1 hour 1 minute', '1 hour 2 minutes',
    '23 hours 59 minutes', '...', '2 hours', 'soon'];
  // No translations: every text, the remaining time included, as the host wrote it.
  for (const r of remaining) assert.equal(context.remainingText(r), r);
  assert.equal(context.fill(context.T('%1 tasks'), 3), '3 tasks');
  assert.equal(context.fill(context.T('Delete "%1"?\nIts conversion stops and the partial output file is removed.'),
    'a %2 b.avi'), 'Delete "a %2 b.avi"?\nIts conversion stops and the partial output file is removed.');
  vm.runInContext(`TRANSLATED = ${JSON.stringify({
    '< 1 minute': '< 1 Minute', '1 minute': '1 Minute', '%1 minutes': '%1 Minuten', '1 hour %1': '1 Stunde %1',
    '%1 hours %2': '%1 Stunden %2', '%1 tasks': '%1 Aufgaben', 'Ready': '', 'toString': 'x',
  })};`, context);
  assert.deepEqual(remaining.map((r) => context.remainingText(r)),
    ['< 1 Minute', '< 2 minutes', '7 Minuten', '1 Stunde 1 Minute', '1 Stunde 2 Minuten', '23 Stunden 59 Minuten',
      '...', '2 hours', 'soon']);
  assert.equal(context.fill(context.T('%1 tasks'), 3), '3 Aufgaben');
  // An empty translation and names of the object's own machinery are no translations.
  assert.equal(context.T('Ready'), 'Ready');
  assert.equal(context.T('hasOwnProperty'), 'hasOwnProperty');
  assert.equal(context.fill('%2 of %1, %3', 'a', 'b'), 'b of a, %3');
});

test('reasons: matched against the host\'s patterns, translated with their values, else as they came', () => {
  const {context} = loadPage();
  assert.equal(context.reasonText('the encoder failed (exit status 1)'), 'the encoder failed (exit status 1)');
  vm.runInContext(`REASONS = ${JSON.stringify({
    'the encoder failed (exit status %1)': 'der Encoder ist fehlgeschlagen (Exit-Status %1)',
    'the source ended early: %1 s of %2 s converted': 'nur %1 s von %2 s',
    'the encoder could not be started: %1': 'nicht gestartet: %1',
    'the output file is missing': '',
  })};`, context);
  assert.equal(context.reasonText('the encoder failed (exit status 183)'), 'der Encoder ist fehlgeschlagen (Exit-Status 183)');
  assert.equal(context.reasonText('the source ended early: 2.5 s of 10 s converted'), 'nur 2.5 s von 10 s');
  // Values may hold the pattern's own characters (a path with brackets and %1).
  assert.equal(context.reasonText('the encoder could not be started: /a (b) %1/xenc'), 'nicht gestartet: /a (b) %1/xenc');
  // No match, an empty value or an empty translation: as it came.
  assert.equal(context.reasonText('the encoder failed (exit status )'), 'the encoder failed (exit status )');
  assert.equal(context.reasonText('the output file is missing'), 'the output file is missing');
  assert.equal(context.reasonText('[mp4 @ 0x1] Invalid data'), '[mp4 @ 0x1] Invalid data');
  // A failed task's short reason is the translated one.
  assert.equal(context.failureSummary({failReason: 'the encoder failed (exit status 2)'}),
    'der Encoder ist fehlgeschlagen (Exit-Status 2)');
});
