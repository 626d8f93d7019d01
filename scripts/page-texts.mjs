// Lists the texts that htm/index.htm shows, as a PO template on standard
// output, by the rule the page itself translates by (eachDocumentText in
// htm/app.js): every text node of the body outside script, style, svg,
// textarea, select and the data elements (class "data"), whitespace folded;
// the whole inner markup of an element marked data-tr-html; and the title,
// aria-label, placeholder and alt attributes. The page is our own, well
// formed HTML, so a small tokenizer is enough; markup it cannot read makes
// it fail rather than miss a text.
// Usage: node scripts/page-texts.mjs htm/index.htm
import fs from 'node:fs';

const file = process.argv[2];
const html = fs.readFileSync(file, 'utf8');
const SKIPPED = new Set(['script', 'style', 'svg', 'textarea', 'select']);
const VOID = new Set(['area', 'base', 'br', 'col', 'embed', 'hr', 'img', 'input', 'link', 'meta', 'source', 'track', 'wbr']);
const ATTRIBUTES = ['title', 'aria-label', 'placeholder', 'alt'];

const folded = (text) => text.replace(/\s+/g, ' ').trim();
const decoded = (text) => text.replace(/&(#x[0-9a-f]+|#\d+|amp|lt|gt|quot|apos|nbsp);/gi, (all, e) => {
  const named = {amp: '&', lt: '<', gt: '>', quot: '"', apos: "'", nbsp: '\u00a0'}[e.toLowerCase()];
  if (named) return named;
  return String.fromCodePoint(e[1] === 'x' || e[1] === 'X' ? parseInt(e.slice(2), 16) : parseInt(e.slice(1), 10));
});
const lineOf = (at) => html.slice(0, at).split('\n').length;

const found = [];  // [text, line]
function add(text, at) {
  if (text) found.push([text, lineOf(at)]);
}

const tagPattern = /<!--[\s\S]*?-->|<!DOCTYPE[^>]*>|<(\/?)([a-zA-Z][\w-]*)((?:\s+[\w:-]+(?:\s*=\s*(?:"[^"]*"|'[^']*'|[^\s>"']+))?)*)\s*(\/?)>/g;
const attrPattern = /([\w:-]+)(?:\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>"']+)))?/g;

const stack = [];  // open elements: {name, skipped}
let inBody = false;
let skipDepth = 0;
let at = 0;
for (let m; (m = tagPattern.exec(html));) {
  const between = html.slice(at, m.index);
  if (/[<>]/.test(between)) throw new Error(`${file}:${lineOf(at)}: markup the check cannot read`);
  if (inBody && skipDepth === 0) add(folded(decoded(between)), at);
  at = tagPattern.lastIndex;
  if (!m[2]) continue;  // comment or doctype
  const closing = m[1] === '/';
  const name = m[2].toLowerCase();
  if (closing) {
    const open = stack.pop();
    if (!open || open.name !== name) throw new Error(`${file}:${lineOf(m.index)}: </${name}> closes <${open && open.name}>`);
    if (open.skipped) skipDepth--;
    if (name === 'body') inBody = false;
    continue;
  }
  const attributes = {};
  for (let a; (a = attrPattern.exec(m[3]));) attributes[a[1].toLowerCase()] = decoded(a[2] ?? a[3] ?? a[4] ?? '');
  if (name === 'body') inBody = true;
  if (inBody && skipDepth === 0) {
    for (const attr of ATTRIBUTES) if (attributes[attr] !== undefined) add(folded(attributes[attr]), m.index);
  }
  if (inBody && skipDepth === 0 && 'data-tr-html' in attributes) {
    // The inner markup up to the matching end tag, as the page's innerHTML has it.
    const end = new RegExp(`</${name}\\s*>`, 'g');
    end.lastIndex = at;
    const close = end.exec(html);
    if (!close || html.slice(at, close.index).includes(`<${name}`)) {
      throw new Error(`${file}:${lineOf(m.index)}: data-tr-html on a <${name}> that holds another`);
    }
    add(folded(html.slice(at, close.index)), m.index);
    at = tagPattern.lastIndex = end.lastIndex;
    continue;
  }
  if (VOID.has(name) || m[4] === '/') continue;
  const skipped = SKIPPED.has(name) || (attributes.class || '').split(/\s+/).includes('data');
  if (skipped) skipDepth++;
  stack.push({name, skipped});
}
if (stack.length) throw new Error(`${file}: <${stack[stack.length - 1].name}> is never closed`);

const quoted = (text) => '"' + text.replace(/\\/g, '\\\\').replace(/"/g, '\\"').replace(/\n/g, '\\n') + '"';
const lines = new Map();
for (const [text, line] of found) {
  if (!lines.has(text)) lines.set(text, []);
  lines.get(text).push(line);
}
let out = 'msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n';
for (const [text, where] of lines) {
  out += `\n#: ${where.map((l) => `${file}:${l}`).join(' ')}\nmsgid ${quoted(text)}\nmsgstr ""\n`;
}
process.stdout.write(out);
