// Benchmark: time from the launch of clipwright to the first paint of its
// page, over several launches (median reported). Needs a display:
//   xvfb-run -a node bench/first_paint.mjs <build folder> [launches]
import path from 'node:path';

import {DrivenProgram} from '../tests/e2e/driven_program.mjs';

const buildDir = path.resolve(process.argv[2] || 'build');
const launches = Number(process.argv[3] || 5);
const results = [];
for (let i = 0; i < launches; i++) {
  const program = new DrivenProgram(buildDir);
  try {
    await program.start();
    const r = await program.firstPaint();
    results.push(r);
    console.log(`launch ${i + 1}: first paint ${r.launchToFirstPaintMs} ms ` +
        `(navigation starts at ${r.launchToNavigationMs} ms, paints ${r.navigationToPaintMs} ms later)`);
  } finally {
    await program.stop();
  }
}
const median = (key) => {
  const v = results.map((r) => r[key]).sort((a, b) => a - b);
  return v[Math.floor(v.length / 2)];
};
console.log(`median over ${results.length} launches: first paint ${median('launchToFirstPaintMs')} ms, ` +
    `navigation start ${median('launchToNavigationMs')} ms, navigation to paint ${median('navigationToPaintMs')} ms`);
