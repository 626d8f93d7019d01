// The keyboard, the mouse and the windows of the X display under Xvfb, driven
// with xdotool as a user would drive them: shared by the end-to-end suites.
import {spawnSync} from 'node:child_process';

import {sleep} from './driven_program.mjs';

export function xdotool(...args) {
  return spawnSync('xdotool', args, {encoding: 'utf8', timeout: 10000});
}

// The id of the visible window whose title matches `pattern`, or null.
export function windowNamed(pattern) {
  const found = xdotool('search', '--onlyvisible', '--name', pattern);
  return found.status === 0 ? found.stdout.trim().split('\n')[0] : null;
}

export function geometry(id) {
  const out = xdotool('getwindowgeometry', '--shell', id).stdout;
  const value = (k) => Number((out.match(new RegExp(`^${k}=(-?\\d+)`, 'm')) || [])[1]);
  return {x: value('X'), y: value('Y'), width: value('WIDTH'), height: value('HEIGHT')};
}

// Gives a window the keyboard (there is no window manager under Xvfb).
export async function focus(id) {
  const g = geometry(id);
  xdotool('mousemove', String(g.x + Math.floor(g.width / 2)), String(g.y + Math.floor(g.height / 2)));
  xdotool('windowfocus', id);
  await sleep(300);
}

// Presses keys one after the other into the window that has the keyboard.
export async function keys(...names) {
  for (const k of names) {
    xdotool('key', '--clearmodifiers', k);
    await sleep(300);
  }
}

// Drags with the mouse from one point to another, in small steps.
export async function drag(from, to) {
  xdotool('mousemove', String(from.x), String(from.y));
  await sleep(200);
  xdotool('mousedown', '1');
  const steps = 12;
  for (let i = 1; i <= steps; ++i) {
    xdotool('mousemove', String(Math.round(from.x + ((to.x - from.x) * i) / steps)),
      String(Math.round(from.y + ((to.y - from.y) * i) / steps)));
    await sleep(120);
  }
  await sleep(300);
  xdotool('mouseup', '1');
}
