// Figures of the browser build (a benchmark, not a test), printed as tables:
// the download size of each file of build-web/ (raw and gzip); the time from
// the start click to the first frame, from a warm cache; and frames per
// second per scene in headless Chromium (WebGL 2 as the tests have it)
// against the desktop program's --bench drawing with the same shaders
// (--gl es3), run one after the other, with the draws per frame of each and
// the time of each step of a frame; then the benchmark's forty seeks, in
// each, to their first frame.
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {closeBrowser, launch, openPage, serve, startOffered} from './support.mjs';

const root = path.resolve(process.env.PQN_WEB_SITE || '../../build-web');
const desktop = path.resolve(process.env.PQN || '../../build/pqn');

let raw = 0, packed = 0;
console.log(`${'file'.padEnd(28)}  raw bytes   gzip bytes`);
const files = fs.readdirSync(root, {recursive: true}).filter((name) => fs.statSync(path.join(root, name)).isFile());
for (const name of files.sort()) {
  const bytes = fs.readFileSync(path.join(root, name)), gzip = zlib.gzipSync(bytes, {level: 9}).length;
  raw += bytes.length;
  packed += gzip;
  console.log(`${name.padEnd(28)} ${String(bytes.length).padStart(10)} ${String(gzip).padStart(12)}`);
}
console.log(`${'all'.padEnd(28)} ${String(raw).padStart(10)} ${String(packed).padStart(12)}  (${(packed / 1e6).toFixed(2)} MB gzip)`);

const site = await serve(root);
const browser = await launch();
const page = await openPage(browser);
// The first load fills the cache; the second is timed.
for (let load = 0; load < 2; ++load) {
  await page.goto(`${site.url}?window&trace`);
  await startOffered(page);
}
const clicked = Date.now();
await page.click('#start');
await page.waitForFunction(() => {
  try { return FS.readFile('/trace.jsonl', {encoding: 'utf8'}).includes('"frame"'); } catch (error) { return false; }
}, {polling: 10, timeout: 60000});
console.log(`\nstart click to the first frame, warm cache: ${((Date.now() - clicked) / 1000).toFixed(2)} s`);

const benchLine = (text) => JSON.parse(text.trim().split('\n').filter((line) => line.startsWith('{"startup_s"')).pop());
const lines = [];
const benchPage = await openPage(browser);
benchPage.on('console', (message) => lines.push(message.text()));
await benchPage.goto(`${site.url}?headless&bench&json&scale=1`);
await benchPage.waitForFunction('window.pqnEnded !== undefined', {timeout: 900000});
const inBrowser = benchLine(lines.join('\n'));
const onDesktop = benchLine(execFileSync(desktop, ['--bench', '--json', '--scale', '1', '--gl', 'es3'], {encoding: 'utf8'}));
console.log('\nframes per second per scene at 640x480, each frame read back, both with the shaders');
console.log('(and the mean time per frame of the drawing calls)');
console.log('scene   desktop   browser   browser/desktop   desktop draws   browser draws   draw ms desktop/browser');
const ms = (a, b) => `${a.toFixed(2).padStart(6)} / ${b.toFixed(2).padEnd(6)}`;
for (const scene of onDesktop.scenes) {
  const browserScene = inBrowser.scenes.find((s) => s.scene === scene.scene);
  console.log(`${String(scene.scene).padStart(5)} ${scene.fps.toFixed(1).padStart(9)} ${browserScene.fps.toFixed(1).padStart(9)}` +
              `   ${(browserScene.fps / scene.fps).toFixed(2).padStart(15)}` +
              `   ${scene.draws.toFixed(1).padStart(13)}   ${browserScene.draws.toFixed(1).padStart(13)}` +
              `          ${ms(scene.draw_ms, browserScene.draw_ms)}`);
}
const steps = ['tick', 'draw', 'flush', 'text', 'finish', 'readback', 'present'];
console.log('\nthe mean time per frame of each step, ms, desktop | browser');
console.log(`scene ${steps.map((step) => step.padStart(8)).join('')}   | ${steps.map((step) => step.padStart(8)).join('')}`);
for (const scene of onDesktop.scenes) {
  const browserScene = inBrowser.scenes.find((s) => s.scene === scene.scene);
  const row = (figures) => steps.map((step) => figures[`${step}_ms`].toFixed(2).padStart(8)).join('');
  console.log(`${String(scene.scene).padStart(5)} ${row(scene)}   | ${row(browserScene)}`);
}
console.log('\nseeks to forty random moments after the show: time to the first frame, ms');
console.log('          median      p95    worst   the whole run\'s frame');
for (const [where, figures] of [['desktop', onDesktop], ['browser', inBrowser]]) {
  const seeks = figures.seeks;
  if (!seeks) { console.log(`${where.padEnd(8)} (no seeks)`); continue; }
  console.log(`${where.padEnd(8)} ${seeks.median_ms.toFixed(1).padStart(8)} ${seeks.p95_ms.toFixed(1).padStart(8)}` +
              ` ${seeks.worst_ms.toFixed(1).padStart(8)}   ${seeks.exact} of ${seeks.compared}`);
}
await closeBrowser(browser);
site.close();
