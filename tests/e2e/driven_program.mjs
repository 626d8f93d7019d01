// The real clipwright under WebKitWebDriver, for the end-to-end tests and the
// first-paint benchmark. The program runs from a copy of the program folder
// in a temporary folder, with HOME and the XDG folders there too, so that
// config.ini and everything else it writes stays inside it. Needs a display
// (run under xvfb-run).
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

export async function waitFor(what, probe, timeoutMs = 15000) {
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

// Waits for work that advances step by step (many files probing on a
// loaded machine): `probe` returns {done, progress} with `progress` a number
// that grows as the work advances. Fails only when the work stands still
// for `stallMs`, however long the whole takes. Returns the last answer.
// A probe that throws counts as no progress (as in waitFor, the page may be
// busy for a moment); the last error is reported with the stall.
export async function waitForProgress(what, probe, stallMs = 60000) {
  let last = null;
  let lastChangeAt = Date.now();
  let lastError = null;
  for (;;) {
    let answer = null;
    try {
      answer = await probe();
    } catch (e) {
      lastError = e;
    }
    if (answer && answer.done) return answer;
    if (answer && (last === null || answer.progress !== last)) {
      last = answer.progress;
      lastChangeAt = Date.now();
    } else if (Date.now() - lastChangeAt > stallMs) {
      throw new Error(`${what}: no progress for ${stallMs / 1000} s (stuck at ${last})` +
                      (lastError ? `; last error: ${lastError.message}` : ''));
    }
    await sleep(200);
  }
}

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

export class DrivenProgram {
  // `env`: variables for the driver and the program on top of ours (an
  // undefined value removes one), e.g. GDK_SCALE, GTK_THEME or LANG. The
  // program speaks English unless `env` gives it a language: the suites
  // compare English texts whatever the language of the machine.
  constructor(buildDir, {env = {}} = {}) {
    this.buildDir = buildDir;
    this.extraEnv = env;
    this.work = fs.mkdtempSync(path.join(os.tmpdir(), 'cw-e2e-'));
    this.programDir = path.join(this.work, 'program');
    this.home = path.join(this.work, 'home');
    this.driver = null;
    this.base = null;
    this.session = null;
    this.sessionRequestedAt = 0;
  }

  // Copies the program folder (once: a later start runs the same copy, with
  // what it wrote last time), starts the driver, opens a session on our
  // program started with `args` and waits for the page with its bridge.
  async start({args = []} = {}) {
    for (const dir of [this.programDir, this.home, path.join(this.home, 'Videos')]) {
      fs.mkdirSync(dir, {recursive: true});
    }
    if (!fs.existsSync(this.exe)) this.copyProgramFolder();
    const port = await freePort();
    this.base = `http://127.0.0.1:${port}`;
    const env = {
      ...process.env,
      HOME: this.home,
      XDG_CONFIG_HOME: path.join(this.home, '.config'),
      XDG_DATA_HOME: path.join(this.home, '.local/share'),
      XDG_CACHE_HOME: path.join(this.home, '.cache'),
      XDG_VIDEOS_DIR: path.join(this.home, 'Videos'),
      LC_ALL: undefined,
      LC_MESSAGES: 'C',
      LANGUAGE: undefined,
    };
    Object.assign(env, this.extraEnv);
    for (const [name, value] of Object.entries(env)) if (value === undefined) delete env[name];
    this.driver = spawn('WebKitWebDriver', [`--port=${port}`], {
      env,
      stdio: ['ignore', 'ignore', 'pipe'],
    });
    this.driver.stderr.on('data', (d) => process.stderr.write(`[driver] ${d}`));
    await waitFor('the driver', async () => (await this.wd('GET', '/status')).ready !== undefined);
    this.sessionRequestedAt = Date.now();
    const created = await this.wd('POST', '/session', {
      capabilities: {alwaysMatch: {'webkitgtk:browserOptions': {binary: this.exe, args}}},
    });
    this.session = created.sessionId;
    await waitFor('the page', () =>
      this.run("return document.readyState === 'complete' && typeof window.external.getModelJson === 'function';"));
  }

  // Ends the session, the driver and every process of our copy (by pid), and
  // removes the temporary folder.
  async stop() {
    await this.endDriver();
    fs.rmSync(this.work, {recursive: true, force: true});
  }

  // Ends the session, the driver and every process of our copy (by pid),
  // keeping the temporary folder for a next start.
  async endDriver() {
    if (this.session) {
      try { await this.wd('DELETE', `/session/${this.session}`); } catch { /* the program may have ended */ }
      this.session = null;
    }
    if (this.driver) {
      this.driver.kill('SIGTERM');
      await sleep(300);
    }
    for (const pid of this.programPids()) {
      try { process.kill(pid, 'SIGKILL'); } catch { /* already gone */ }
    }
    if (this.driver && this.driver.exitCode === null && this.driver.signalCode === null) this.driver.kill('SIGKILL');
    this.driver = null;
  }

  get exe() { return path.join(this.programDir, 'clipwright'); }

  copyProgramFolder() {
    for (const name of ['clipwright', 'app.ico', 'data.dat']) {
      fs.copyFileSync(path.join(this.buildDir, name), path.join(this.programDir, name));
    }
    fs.chmodSync(this.exe, 0o755);
    fs.cpSync(path.join(this.buildDir, 'htm'), path.join(this.programDir, 'htm'), {recursive: true});
    // The translations, where a program of the build folder finds them.
    const locale = path.join(this.buildDir, 'locale');
    if (fs.existsSync(locale)) fs.cpSync(locale, path.join(this.programDir, 'locale'), {recursive: true});
    const xenc = path.join(this.buildDir, 'xenc');
    if (fs.existsSync(xenc)) fs.symlinkSync(fs.realpathSync(xenc), path.join(this.programDir, 'xenc'));
  }

  // The pids of processes running our copy of the program (ours alone: the
  // copy lives in our temporary folder).
  programPids() {
    const pids = [];
    for (const entry of fs.readdirSync('/proc')) {
      if (!/^\d+$/.test(entry)) continue;
      try {
        if (fs.readlinkSync(`/proc/${entry}/exe`) === this.exe) pids.push(Number(entry));
      } catch { /* gone or not ours to read */ }
    }
    return pids;
  }

  async wd(method, route, body) {
    const response = await fetch(this.base + route, {
      method,
      headers: {'Content-Type': 'application/json'},
      body: body === undefined ? undefined : JSON.stringify(body),
      signal: AbortSignal.timeout(30000),
    });
    const json = await response.json();
    if (!response.ok) throw new Error(`${method} ${route}: ${response.status} ${JSON.stringify(json.value)}`);
    return json.value;
  }
  s(route) { return `/session/${this.session}${route}`; }
  run(script, args = []) { return this.wd('POST', this.s('/execute/sync'), {script, args}); }
  async find(css) {
    const value = await this.wd('POST', this.s('/element'), {using: 'css selector', value: css});
    return value[ELEMENT];
  }
  async click(css) { return this.wd('POST', this.s(`/element/${await this.find(css)}/click`), {}); }
  async type(css, text) {
    const id = await this.find(css);
    await this.wd('POST', this.s(`/element/${id}/clear`), {});
    await this.wd('POST', this.s(`/element/${id}/value`), {text});
  }

  // A PNG of the page. The driver's screenshot waits for the view's next
  // rendering update, which a still page without accelerated compositing
  // does not produce by itself; an invisible opacity flicker provides one.
  async screenshot() {
    await this.run(`var n = 0; var t = setInterval(function () {
        document.body.style.opacity = (n++ % 2) ? '0.999' : '';
        if (n > 60) { clearInterval(t); document.body.style.opacity = ''; }
      }, 30);`);
    return Buffer.from(await this.wd('GET', this.s('/screenshot')), 'base64');
  }

  // Times of the start-up, in ms: from the program's launch (its process
  // start, from /proc) to the start of the page's navigation and to the
  // page's first contentful paint.
  async firstPaint() {
    const painted = await this.run(`
      var paint = performance.getEntriesByType('paint').filter(function (e) { return e.name === 'first-contentful-paint'; })[0]
          || performance.getEntriesByType('paint')[0];
      return {origin: performance.timeOrigin, paint: paint ? paint.startTime : null,
              load: performance.timing.loadEventEnd - performance.timeOrigin};`);
    const [pid] = this.programPids();
    const started = processStartedAt(pid);
    const paintAt = painted.origin + (painted.paint !== null ? painted.paint : painted.load);
    return {
      launchToFirstPaintMs: Math.round(paintAt - started),
      launchToNavigationMs: Math.round(painted.origin - started),
      navigationToPaintMs: Math.round(paintAt - painted.origin),
      sessionRequestToFirstPaintMs: Math.round(paintAt - this.sessionRequestedAt),
      paintEntry: painted.paint !== null ? 'first-contentful-paint' : 'load event',
    };
  }
}

// When a process started, in ms since the epoch (from /proc, 10 ms steps).
function processStartedAt(pid) {
  const fields = fs.readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
  const startTicks = Number(fields[19]);  // field 22 of stat: start time in clock ticks after boot
  const uptimeMs = Number(fs.readFileSync('/proc/uptime', 'utf8').split(' ')[0]) * 1000;
  return Date.now() - uptimeMs + startTicks * 10;
}
