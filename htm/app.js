// Clipwright's page: the task queue, the options and the help, talking to the
// host through window.external and the two data elements. Every value from
// the host is shown as text, never as markup.
'use strict';

var STATE_NAMES = {1: 'Waiting', 2: 'Running', 3: 'Paused', 4: 'Done', 5: 'Failed'};

// ---- Texts ------------------------------------------------------------------
// The page is written in English. At start-up it hands the host every text it
// shows (those of the document and those below, marked with N_ for the
// catalogue) and shows the host's translations from then on: T() gives a
// text in the user's language, fill() puts values in for %1, %2, ...
function N_(text) { return text; }
var SCRIPT_TEXTS = [
  N_('Waiting'), N_('Running'), N_('Paused'), N_('Done'), N_('Failed'), N_('Stalled'),
  N_('Pause'), N_('Resume'), N_('Delete'), N_('Show the source file'), N_('Show the converted file'),
  N_('Show why (details)'), N_('Remove from the list'), N_('the encoder could not convert the file'),
  N_('1 task'), N_('%1 tasks'), N_('%1 running'), N_('%1 waiting'), N_('%1 paused'), N_('%1 done'),
  N_('%1 failed'), N_('Ready'),
  N_('Delete "%1"?\nIts conversion stops and the partial output file is removed.'),
  N_('Unknown device (%1)'), N_('%1 kbit/s video'), N_('up to %1 kbit/s video'), N_('%1 kbit/s audio'),
  // The remaining time as the host writes it, in the host's own entries.
  N_('< 1 minute'), N_('< 2 minutes'), N_('1 minute'), N_('%1 minutes'), N_('1 hour %1'), N_('%1 hours %2')
];
var TRANSLATED = {};
var REASONS = {};  // the host's reason patterns ("... (exit status %1)") and their translations

function T(english) {
  return Object.prototype.hasOwnProperty.call(TRANSLATED, english) && typeof TRANSLATED[english] === 'string' &&
    TRANSLATED[english] !== '' ? TRANSLATED[english] : english;
}

function fill(pattern) {
  var args = arguments;
  return pattern.replace(/%([1-9])/g, function (all, n) { return n < args.length ? String(args[n]) : all; });
}

// The remaining time of a task, which the host writes in English ("3 minutes",
// "1 hour 2 minutes", "< 1 minute"), in the user's language.
function remainingText(english) {
  var m;
  function minutes(n) { return n === 1 ? T('1 minute') : fill(T('%1 minutes'), n); }
  if (english === '< 1 minute' || english === '< 2 minutes') return T(english);
  if ((m = /^(\d+) (hour|hours) (\d+) (minute|minutes)$/.exec(english))) {
    var h = Number(m[1]);
    return h === 1 ? fill(T('1 hour %1'), minutes(Number(m[3]))) : fill(T('%1 hours %2'), h, minutes(Number(m[3])));
  }
  if ((m = /^(\d+) minutes$/.exec(english))) return minutes(Number(m[1]));
  return english;
}

// A failed or stalled task's reason, which the host writes in English, in
// the user's language: the first of the host's reason patterns it matches,
// translated, with its values put in; else as it came.
function reasonText(english) {
  var patterns = Object.keys(REASONS);
  for (var i = 0; i < patterns.length; i++) {
    var order = [];
    var source = patterns[i].replace(/[.*+?^${}()|[\]\\]/g, '\\$&').replace(/%([1-9])/g, function (all, n) {
      order.push(Number(n));
      return '(.+?)';
    });
    var m = new RegExp('^' + source + '$').exec(english);
    if (!m || typeof REASONS[patterns[i]] !== 'string' || REASONS[patterns[i]] === '') continue;
    var values = [];
    order.forEach(function (n, k) { values[n - 1] = m[k + 1]; });
    return REASONS[patterns[i]].replace(/%([1-9])/g, function (all, n) { return n <= values.length ? values[n - 1] : all; });
  }
  return english;
}

// What of the document is shown as text, by one rule for the page and for
// the check of the catalogues (scripts/page-texts.mjs follows the same rule):
// every text node of the body outside script, style, svg, textarea, select
// and the data elements, whitespace folded; the whole inner markup of an
// element marked data-tr-html (a paragraph with emphasis); and the title,
// aria-label, placeholder and alt attributes. `visit(text, apply)` is called
// for each; apply(translated) puts a translation in its place.
var SKIPPED_TAGS = {SCRIPT: 1, STYLE: 1, svg: 1, TEXTAREA: 1, SELECT: 1};
var TEXT_ATTRIBUTES = ['title', 'aria-label', 'placeholder', 'alt'];
function folded(text) { return text.replace(/\s+/g, ' ').trim(); }

function eachDocumentText(root, visit) {
  TEXT_ATTRIBUTES.forEach(function (name) {
    var value = root.getAttribute && root.getAttribute(name);
    if (value && folded(value)) visit(folded(value), function (t) { root.setAttribute(name, t); });
  });
  if (root.hasAttribute && root.hasAttribute('data-tr-html')) {
    visit(folded(root.innerHTML), function (t) { root.innerHTML = t; });
    return;
  }
  for (var node = root.firstChild; node; node = node.nextSibling) {
    if (node.nodeType === 3) {
      var text = folded(node.nodeValue);
      if (text) visit(text, (function (n) { return function (t) { n.nodeValue = t; }; })(node));
    } else if (node.nodeType === 1 && !SKIPPED_TAGS[node.tagName] && !node.classList.contains('data')) {
      eachDocumentText(node, visit);
    }
  }
}

// Asks the host once for the translations of every text and puts them in.
// Outside the program (or with an old host) the page stays English.
function translatePage() {
  var list = SCRIPT_TEXTS.slice();
  eachDocumentText(document.body, function (text) { list.push(text); });
  var answer = callHost('getPageTexts', JSON.stringify(list));
  var parsed = null;
  try { parsed = typeof answer === 'string' ? JSON.parse(answer) : null; } catch (e) { parsed = null; }
  if (!isObject(parsed) || !isObject(parsed.texts)) return;
  TRANSLATED = parsed.texts;
  if (isObject(parsed.reasons)) REASONS = parsed.reasons;
  if (typeof parsed.lang === 'string' && /^[A-Za-z_@-]+$/.test(parsed.lang)) {
    document.documentElement.lang = parsed.lang.replace('_', '-');
  }
  eachDocumentText(document.body, function (text, apply) { if (T(text) !== text) apply(T(text)); });
}
var TASK_FIELDS = [['fileName', 's'], ['fromPath', 's'], ['toPath', 's'], ['targetDevice', 's'],
  ['outputQuality', 's'], ['iStatus', 'n'], ['timeTip', 's'], ['fileSize', 's'], ['progress', 'n'], ['guid', 's']];
var CONFIG_FIELDS = [['targetDevice', 's'], ['targetDeviceDesc', 's'], ['outputQuality', 's'],
  ['outputDir', 's'], ['conTasks', 'n'], ['needShutdown', 'n']];

var page = {
  tasks: [],
  rows: {},          // guid -> table row
  selected: null,    // guid of the selected task
  config: null,
  catalog: null,
  removing: {}       // guids already handed to deleteFinishedTask
};

function $(id) { return document.getElementById(id); }
function readData(id) { var e = $(id); return e ? e.textContent : ''; }
function writeData(id, text) { var e = $(id); if (e) e.textContent = text; }

// Calls a host method; the page still works (without effect) outside the program.
function callHost(method, arg) {
  var ext = window.external;
  if (!ext || typeof ext[method] !== 'function') return undefined;
  return arg === undefined ? ext[method]() : ext[method](arg);
}
function callHostWithTask(method, guid) {
  writeData('parmContainer', guid);
  callHost(method);
}

// ---- Reading the host's JSON -------------------------------------------
// The host escapes every text value, so its JSON is read as JSON. A member
// of the wrong kind (a structure where a text or a number belongs) is read
// as an empty text or 0, never shown as a structure.
function pickFields(value, fields) {
  var item = {};
  fields.forEach(function (f) {
    var v = value[f[0]];
    if (f[1] === 's') item[f[0]] = typeof v === 'string' ? v : (typeof v === 'number' ? String(v) : '');
    else item[f[0]] = typeof v === 'number' ? v : (typeof v === 'string' && v !== '' && isFinite(v) ? Number(v) : 0);
  });
  // Members the host adds after the fixed ones are kept as they came.
  Object.keys(value).forEach(function (k) { if (!(k in item)) item[k] = value[k]; });
  return item;
}

function isObject(v) { return v !== null && typeof v === 'object' && !Array.isArray(v); }

function parseTaskList(text) {
  var value;
  try { value = JSON.parse(text); } catch (e) { return null; }
  if (!Array.isArray(value)) return null;
  var tasks = [];
  for (var i = 0; i < value.length; i++) {
    if (!isObject(value[i])) return null;
    tasks.push(pickFields(value[i], TASK_FIELDS));
  }
  return tasks;
}

function parseConfig(text) {
  try {
    var value = JSON.parse(text);
    return isObject(value) ? pickFields(value, CONFIG_FIELDS) : null;
  } catch (e) { return null; }
}

// ---- Task list ----------------------------------------------------------
function updateProgress() { receiveTasks(readData('parmContainer')); }
function addFile() { receiveTasks(readData('parmContainer')); }

function receiveTasks(text) {
  var tasks = parseTaskList(text);
  if (!tasks) return;  // keep showing the last good list
  if (page.config && page.config.needShutdown === 1) tasks = removeFinishedForShutdown(tasks);
  page.tasks = tasks;
  renderTasks();
}

// With "shut down when done" on, finished tasks leave the list as soon as
// they are done, so the countdown starts after the last one.
function removeFinishedForShutdown(tasks) {
  var kept = [];
  tasks.forEach(function (t) {
    if (t.iStatus === 4 || t.iStatus === 5) {
      if (!page.removing[t.guid]) {
        page.removing[t.guid] = true;
        callHostWithTask('deleteFinishedTask', t.guid);
      }
    } else {
      kept.push(t);
    }
  });
  return kept;
}

var ICONS = {
  pause: 'M6 5h4v14H6zM14 5h4v14h-4z',
  resume: 'M7 4v16l13-8z',
  source: 'M10 4H4a2 2 0 0 0-2 2v12a2 2 0 0 0 2 2h16a2 2 0 0 0 2-2V8a2 2 0 0 0-2-2h-8z',
  output: 'M19 19H5V5h7V3H5a2 2 0 0 0-2 2v14a2 2 0 0 0 2 2h14a2 2 0 0 0 2-2v-7h-2zM14 3v2h3.6l-9.8 9.8 1.4 1.4L19 6.4V10h2V3z',
  remove: 'M19 6.4 17.6 5 12 10.6 6.4 5 5 6.4 10.6 12 5 17.6 6.4 19 12 13.4 17.6 19 19 17.6 13.4 12z'
};

function svgIcon(path) {
  var ns = 'http://www.w3.org/2000/svg';
  var svg = document.createElementNS(ns, 'svg');
  svg.setAttribute('viewBox', '0 0 24 24');
  svg.setAttribute('aria-hidden', 'true');
  var p = document.createElementNS(ns, 'path');
  p.setAttribute('d', path);
  svg.appendChild(p);
  return svg;
}

function iconButton(action, title, danger) {
  var b = document.createElement('button');
  b.type = 'button';
  b.className = 'icon-button' + (danger ? ' danger' : '');
  b.dataset.action = action;
  b.title = title;
  b.appendChild(svgIcon(ICONS[action]));
  return b;
}

function cell(row, className) {
  var td = document.createElement('td');
  if (className) td.className = className;
  row.appendChild(td);
  return td;
}

function createRow(guid) {
  var tr = document.createElement('tr');
  tr.dataset.guid = guid;
  cell(tr, 'name');
  cell(tr, 'device');
  var progress = document.createElement('div');
  progress.className = 'progress';
  var bar = document.createElement('div');
  bar.className = 'bar';
  var fill = document.createElement('div');
  fill.className = 'fill';
  bar.appendChild(fill);
  var pct = document.createElement('span');
  pct.className = 'pct';
  progress.appendChild(bar);
  progress.appendChild(pct);
  cell(tr, 'progress-cell').appendChild(progress);
  cell(tr, 'num time');
  cell(tr, 'num size');
  var state = document.createElement('span');
  state.className = 'state';
  var stateCell = cell(tr, 'state-cell');
  stateCell.appendChild(state);
  // Why a task failed or is stuck, in short; the details view has it all.
  var reason = document.createElement('span');
  reason.className = 'reason';
  stateCell.appendChild(reason);
  var actions = document.createElement('div');
  actions.className = 'row-actions';
  actions.appendChild(iconButton('pause', T('Pause')));
  actions.appendChild(iconButton('source', T('Show the source file')));
  actions.appendChild(iconButton('output', T('Show the converted file')));
  actions.appendChild(iconButton('remove', T('Delete'), true));
  cell(tr, 'actions-cell').appendChild(actions);
  return tr;
}

function setText(node, text) { if (node.textContent !== text) node.textContent = text; }

function percentText(p) {
  if (!(p >= 0)) p = 0;
  if (p >= 100) return '100%';
  return (Math.floor(p * 10) / 10).toFixed(1) + '%';
}

// The name cell: the thumbnail (when the host has one in the shared cache),
// the name, and the source's duration and frame size; the path and the
// codecs in the tooltip.
function fillSource(cell, t) {
  var img = cell.querySelector('img.thumb');
  var name = cell.querySelector('.name-text');
  var facts = cell.querySelector('.source-facts');
  if (!name) {
    cell.textContent = '';
    img = document.createElement('img');
    img.className = 'thumb';
    img.alt = '';
    name = document.createElement('span');
    name.className = 'name-text';
    facts = document.createElement('span');
    facts.className = 'source-facts muted';
    cell.appendChild(img);
    cell.appendChild(name);
    cell.appendChild(facts);
  }
  var thumb = typeof t.thumbnail === 'string' ? t.thumbnail : '';
  if (img.getAttribute('src') !== thumb) { if (thumb) img.setAttribute('src', thumb); else img.removeAttribute('src'); }
  img.hidden = !thumb;
  setText(name, t.fileName);
  var parts = [];
  if (t.duration) parts.push(t.duration);
  if (t.frameSize) parts.push(t.frameSize);
  setText(facts, parts.join(' \u00b7 '));
  cell.title = t.fromPath + (t.sourceInfo ? '\n' + t.sourceInfo : '');
}

function fillRow(tr, t) {
  var c = tr.cells;
  fillSource(c[0], t);
  setText(c[1], t.targetDevice);
  c[1].title = t.targetDevice + (t.outputQuality ? ' \u00b7 ' + t.outputQuality : '');
  var p = Math.max(0, Math.min(100, Number(t.progress) || 0));
  tr.querySelector('.fill').style.width = p + '%';
  setText(tr.querySelector('.pct'), percentText(p));
  // "..." is the host's "not known yet".
  var finished = t.iStatus === 4 || t.iStatus === 5;
  setText(c[3], finished ? '' : (t.timeTip === '...' ? (t.iStatus === 2 ? '\u2026' : '') : remainingText(t.timeTip)));
  setText(c[4], t.fileSize === '...' ? '' : t.fileSize);
  c[3].title = c[3].textContent;
  c[4].title = c[4].textContent;
  var state = tr.querySelector('.state');
  var stalled = t.iStatus === 2 && typeof t.stalled === 'string' && t.stalled !== '';
  setText(state, stalled ? T('Stalled') : (STATE_NAMES[t.iStatus] ? T(STATE_NAMES[t.iStatus]) : String(t.iStatus)));
  state.className = 'state s' + t.iStatus + (stalled ? ' stalled' : '');
  var why = tr.querySelector('.reason');
  var whyText = t.iStatus === 5 ? failureSummary(t) : (stalled ? reasonText(t.stalled) : '');
  setText(why, whyText);
  why.title = t.iStatus === 5 ? T('Show why (details)') : whyText;
  why.hidden = whyText === '';
  tr.className = 's-' + (STATE_NAMES[t.iStatus] || 'unknown').toLowerCase() +
      (t.guid === page.selected ? ' selected' : '');
  var toggle = tr.querySelector('[data-action=pause],[data-action=resume]');
  var paused = t.iStatus === 3;
  if (toggle.dataset.action !== (paused ? 'resume' : 'pause')) {
    var fresh = iconButton(paused ? 'resume' : 'pause', paused ? T('Resume') : T('Pause'));
    toggle.parentNode.replaceChild(fresh, toggle);
    toggle = fresh;
  }
  toggle.disabled = t.iStatus === 4 || t.iStatus === 5;
  tr.querySelector('[data-action=remove]').title = t.iStatus === 4 || t.iStatus === 5 ? T('Remove from the list') : T('Delete');
}

// The short reason of a failed task: the host's own, else the encoder's
// last line, else a general word.
function failureSummary(t) {
  if (typeof t.failReason === 'string' && t.failReason) return reasonText(t.failReason);
  var lines = typeof t.failDetails === 'string' ? t.failDetails.split('\n').filter(Boolean) : [];
  return lines.length ? lines[lines.length - 1] : T('the encoder could not convert the file');
}

// The details view of a failed task: its reason and the encoder's last
// lines, selectable so that they can be copied.
function showDetails(guid) {
  var t = taskByGuid(guid);
  if (!t || t.iStatus !== 5) return;
  closePanels();
  setText($('detailsFile'), t.fromPath);
  setText($('detailsReason'), failureSummary(t));
  $('detailsText').value = typeof t.failDetails === 'string' ? t.failDetails : '';
  $('detailsPanel').hidden = false;
  $('btnDetailsClose').focus();
}

function copyDetails() {
  var text = $('detailsReason').textContent + '\n' + $('detailsText').value;
  if (navigator.clipboard && navigator.clipboard.writeText) {
    navigator.clipboard.writeText(text).catch(function () {});
  }
  $('detailsText').select();
  try { document.execCommand('copy'); } catch (e) { /* the selection stays for Ctrl+C */ }
}

function rowKey(t) {
  return [t.fileName, t.fromPath, t.targetDevice, t.outputQuality, t.iStatus, t.timeTip, t.fileSize,
    t.progress, t.guid === page.selected, t.failReason, t.failDetails, t.stalled, t.duration, t.frameSize, t.sourceInfo, t.thumbnail].join('\u0000');
}

function renderTasks() {
  var body = $('taskRows');
  var seen = {};
  page.tasks.forEach(function (t, i) {
    seen[t.guid] = true;
    var tr = page.rows[t.guid];
    if (!tr) {
      tr = createRow(t.guid);
      page.rows[t.guid] = tr;
    }
    // Only rows whose task changed are touched: a refresh of a long list
    // in which two tasks moved costs two row updates.
    var key = rowKey(t);
    if (tr.cwKey !== key) {
      fillRow(tr, t);
      tr.cwKey = key;
    }
    if (body.children[i] !== tr) body.insertBefore(tr, body.children[i] || null);
  });
  Object.keys(page.rows).forEach(function (guid) {
    if (!seen[guid]) {
      body.removeChild(page.rows[guid]);
      delete page.rows[guid];
    }
  });
  if (page.selected && !seen[page.selected]) page.selected = null;
  $('emptyState').hidden = page.tasks.length > 0;
  renderSummary();
  renderToolbar();
}

function renderSummary() {
  var counts = {1: 0, 2: 0, 3: 0, 4: 0, 5: 0};
  page.tasks.forEach(function (t) { counts[t.iStatus] = (counts[t.iStatus] || 0) + 1; });
  var n = page.tasks.length;
  var parts = [n === 1 ? T('1 task') : fill(T('%1 tasks'), n)];
  if (counts[2]) parts.push(fill(T('%1 running'), counts[2]));
  if (counts[1]) parts.push(fill(T('%1 waiting'), counts[1]));
  if (counts[3]) parts.push(fill(T('%1 paused'), counts[3]));
  if (counts[4]) parts.push(fill(T('%1 done'), counts[4]));
  if (counts[5]) parts.push(fill(T('%1 failed'), counts[5]));
  setText($('statusSummary'), n ? parts.join(' \u00b7 ') : T('Ready'));
}

function taskByGuid(guid) {
  for (var i = 0; i < page.tasks.length; i++) if (page.tasks[i].guid === guid) return page.tasks[i];
  return null;
}

function renderToolbar() {
  var t = page.selected ? taskByGuid(page.selected) : null;
  $('btnPause').disabled = !t || !(t.iStatus === 1 || t.iStatus === 2);
  $('btnResume').disabled = !t || t.iStatus !== 3;
  $('btnDelete').disabled = !t;
}

function select(guid) {
  page.selected = guid;
  Object.keys(page.rows).forEach(function (g) { page.rows[g].classList.toggle('selected', g === guid); });
  renderToolbar();
}

// ---- Task commands --------------------------------------------------------
function pauseOne(guid) { callHostWithTask('pauseTask', guid); }
function resumeOne(guid) { callHostWithTask('resumeTask', guid); }

function deleteOne(guid) {
  var t = taskByGuid(guid);
  if (!t) return;
  if (t.iStatus === 4 || t.iStatus === 5) {
    callHostWithTask('deleteFinishedTask', guid);  // the converted file stays
  } else {
    if (!window.confirm(fill(T('Delete "%1"?\nIts conversion stops and the partial output file is removed.'), t.fileName))) return;
    callHostWithTask('deleteFile', guid);
  }
  page.tasks = page.tasks.filter(function (x) { return x.guid !== guid; });
  renderTasks();
}

function rowAction(action, guid) {
  if (action === 'pause') pauseOne(guid);
  else if (action === 'resume') resumeOne(guid);
  else if (action === 'remove') deleteOne(guid);
  else if (action === 'source') callHost('locateInputFile', guid);
  else if (action === 'output') callHost('locateOutputFile', guid);
}

// Functions the host's menu calls; they act on the selected task.
function startTask() {
  var t = page.selected && taskByGuid(page.selected);
  if (t && t.iStatus === 3) resumeOne(t.guid);
}
function pauseTask() {
  var t = page.selected && taskByGuid(page.selected);
  if (t && (t.iStatus === 1 || t.iStatus === 2)) pauseOne(t.guid);
}
function deleteTask() {
  if (page.selected) deleteOne(page.selected);
}

// ---- Settings and catalog ---------------------------------------------
function loadConfig() {
  callHost('getConfigJson');
  var parsed = parseConfig(readData('configParmContainer'));
  if (parsed) page.config = parsed;
  renderStatus();
}

function loadCatalog() {
  callHost('getModelJson');
  try {
    var catalog = JSON.parse(readData('configParmContainer'));
    page.catalog = catalog && Array.isArray(catalog.Devices) ? catalog : {Devices: []};
  } catch (e) {
    page.catalog = {Devices: []};
  }
}

function findById(list, id) {
  for (var i = 0; i < list.length; i++) {
    if (list[i] && String(list[i].id).toLowerCase() === String(id).toLowerCase()) return list[i];
  }
  return null;
}

function renderStatus() {
  var c = page.config;
  if (!c) return;
  var quality = c.outputQuality ? ' \u00b7 ' + c.outputQuality : '';
  setText($('statusTarget'), (c.targetDeviceDesc || c.targetDevice) + quality + ' \u2192 ' + c.outputDir);
  $('statusTarget').title = c.outputDir;
  $('statusShutdown').hidden = c.needShutdown !== 1;
}

// Called by the host after it changed a setting (output folder, shutdown switch).
function updateConfig() {
  loadConfig();
  if (!$('optionsPanel').hidden && page.config) {
    $('optOutputDir').value = page.config.outputDir;
    $('optShutdown').checked = page.config.needShutdown !== 0;
  }
}

function option(value, label) {
  var o = document.createElement('option');
  o.value = value;
  o.textContent = label;
  return o;
}

function fillDevices(selectedId) {
  var select = $('optDevice');
  select.textContent = '';
  var devices = page.catalog ? page.catalog.Devices : [];
  devices.forEach(function (d) { if (d && d.id !== undefined) select.appendChild(option(String(d.id), String(d.name || d.id))); });
  if (!findById(devices, selectedId)) select.appendChild(option(selectedId, fill(T('Unknown device (%1)'), selectedId)));
  var match = findById(devices, selectedId);
  select.value = match ? String(match.id) : selectedId;
}

function fillQualities(selectedId) {
  var device = findById(page.catalog ? page.catalog.Devices : [], $('optDevice').value);
  var formats = device && Array.isArray(device.DeviceAry) ? device.DeviceAry : [];
  var select = $('optQuality');
  select.textContent = '';
  formats.forEach(function (f) { if (f && f.id !== undefined) select.appendChild(option(String(f.id), String(f.name || f.id))); });
  var match = findById(formats, selectedId);
  if (match) select.value = String(match.id);
  else if (formats.length) select.value = String((findById(formats, 'Normal') || formats[0]).id);
  setText($('optDeviceDesc'), device && device.desc ? String(device.desc) : '');
  describeQuality();
}

function describeQuality() {
  var device = findById(page.catalog ? page.catalog.Devices : [], $('optDevice').value);
  var f = device && Array.isArray(device.DeviceAry) ? findById(device.DeviceAry, $('optQuality').value) : null;
  var parts = [];
  if (f) {
    if (f.desc) parts.push(String(f.desc));
    if (f.solution) parts.push(String(f.solution));
    // With a quality ("crf") the rate is a ceiling the picture may stay far below.
    if (f.videoKBS) parts.push(fill(f.crf ? T('up to %1 kbit/s video') : T('%1 kbit/s video'), f.videoKBS));
    if (f.audioBitrate) parts.push(fill(T('%1 kbit/s audio'), f.audioBitrate));
  }
  setText($('optQualityDesc'), parts.join(' \u00b7 '));
}

function configPanel() {
  closePanels();
  loadCatalog();
  loadConfig();
  var c = page.config || {targetDevice: '', outputQuality: '', outputDir: '', conTasks: 1, needShutdown: 0};
  fillDevices(c.targetDevice);
  fillQualities(c.outputQuality);
  $('optOutputDir').value = c.outputDir;
  $('optConTasks').value = String(c.conTasks);
  $('optShutdown').checked = c.needShutdown !== 0;
  $('optionsPanel').hidden = false;
  $('optDevice').focus();
}

function saveOptions() {
  // Sent as typed: the host holds it to 1..16 and says why it refuses one.
  var typed = $('optConTasks').value.trim();
  var conTasks = typed !== '' && isFinite(Number(typed)) ? Number(typed) : typed;
  var settings = {
    targetDevice: $('optDevice').value,
    outputQuality: $('optQuality').value,
    outputDir: $('optOutputDir').value,
    conTasks: conTasks,
    needShutdown: $('optShutdown').checked ? 1 : 0
  };
  writeData('configParmContainer', JSON.stringify(settings));
  callHost('setConfigJson');
  loadConfig();
  $('optionsPanel').hidden = true;
}

function onlineHelp() {
  closePanels();
  $('helpPanel').hidden = false;
  $('btnHelpClose').focus();
}

function closePanels() {
  $('optionsPanel').hidden = true;
  $('helpPanel').hidden = true;
  if ($('detailsPanel')) $('detailsPanel').hidden = true;
}

// ---- Wiring ----------------------------------------------------------------
function bind() {
  $('btnAddFiles').addEventListener('click', function () { callHost('addFiles'); });
  $('btnEmptyAdd').addEventListener('click', function () { callHost('addFiles'); });
  $('btnAddDir').addEventListener('click', function () { callHost('addDir'); });
  $('btnPause').addEventListener('click', pauseTask);
  $('btnResume').addEventListener('click', startTask);
  $('btnDelete').addEventListener('click', deleteTask);
  $('btnOptions').addEventListener('click', configPanel);
  $('btnHelp').addEventListener('click', onlineHelp);
  $('btnHelpClose').addEventListener('click', closePanels);
  $('btnDetailsClose').addEventListener('click', closePanels);
  $('btnDetailsCopy').addEventListener('click', copyDetails);
  $('btnOptionsCancel').addEventListener('click', closePanels);
  $('btnBrowse').addEventListener('click', function () { callHost('selectOutputDir'); });
  $('btnOpenDir').addEventListener('click', function () { callHost('openOutputDir'); });
  $('optDevice').addEventListener('change', function () { fillQualities($('optQuality').value); });
  $('optQuality').addEventListener('change', describeQuality);
  $('optionsForm').addEventListener('submit', function (e) {
    e.preventDefault();
    saveOptions();
  });
  $('taskRows').addEventListener('click', function (e) {
    var tr = e.target.closest('tr');
    if (!tr) return;
    select(tr.dataset.guid);
    var button = e.target.closest('button[data-action]');
    if (button && !button.disabled) rowAction(button.dataset.action, tr.dataset.guid);
    else if (e.target.closest('.reason, .state.s5')) showDetails(tr.dataset.guid);
  });
  document.addEventListener('keydown', function (e) {
    if (e.key === 'Escape') closePanels();
    if (!$('optionsPanel').hidden || !$('helpPanel').hidden || !$('detailsPanel').hidden) return;
    if (e.key === 'Delete' && page.selected) deleteTask();
    if ((e.key === 'ArrowDown' || e.key === 'ArrowUp') && page.tasks.length) {
      var i = -1;
      page.tasks.forEach(function (t, k) { if (t.guid === page.selected) i = k; });
      i = e.key === 'ArrowDown' ? Math.min(page.tasks.length - 1, i + 1) : Math.max(0, i - 1);
      select(page.tasks[i].guid);
      e.preventDefault();
    }
  });
  // Files dropped on the page are the host's business, not the page's.
  document.addEventListener('dragover', function (e) { e.preventDefault(); });
  document.addEventListener('drop', function (e) { e.preventDefault(); });
}

document.addEventListener('DOMContentLoaded', function () {
  translatePage();
  bind();
  loadCatalog();
  loadConfig();
  renderTasks();
});
