// Frame pacing of the browser build in real time (a benchmark, not a test):
// the whole show from its start with its sound, each frame's animation-frame
// time kept by the page, and per scene the median, 99th percentile and worst
// interval between frames and the count over 50 ms. The trace's frames are
// the last of the animation frames the show waited for (start-up's come
// before them), which names the scene of each interval.
//   node pacing.mjs          (PQN_WEB_SITE: the folder to serve, default build-web/)
import path from 'node:path';
import {launch, openPage, serve} from './support.mjs';

const root = path.resolve(process.env.PQN_WEB_SITE || '../../build-web');

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.floor(p * sorted.length))];
}

const browser = await launch();
const site = await serve(root);
const page = await openPage(browser);
await page.goto(`${site.url}?window&trace`);
await page.waitForSelector('#start:not([hidden])', {timeout: 60000});
await page.evaluate(() => { Module.pqnFrameTimes = []; });
await page.click('#start');
// The show takes three and a half minutes, longer than one call to the page may.
while (!(await page.evaluate('window.pqnEnded !== undefined'))) await new Promise((later) => setTimeout(later, 1000));
const {times, scenes} = await page.evaluate(() => ({
  times: Module.pqnFrameTimes,
  scenes: FS.readFile('/trace.jsonl', {encoding: 'utf8'}).split('\n').filter((line) => line.includes('"type":"frame"'))
    .map((line) => JSON.parse(line).scene),
}));
const first = times.length - scenes.length;
const intervals = {};
for (let i = 1; i < scenes.length; ++i) (intervals[scenes[i]] ||= []).push(times[first + i] - times[first + i - 1]);
console.log('| scene | frames | median ms | p99 ms | worst ms | over 50 ms |');
console.log('|---|---|---|---|---|---|');
for (const scene of Object.keys(intervals).sort((a, b) => a - b)) {
  const sorted = intervals[scene].sort((a, b) => a - b);
  const over = sorted.filter((ms) => ms > 50).length;
  console.log(`| ${scene} | ${sorted.length} | ${percentile(sorted, 0.5).toFixed(1)} | ${percentile(sorted, 0.99).toFixed(1)} | ` +
              `${sorted[sorted.length - 1].toFixed(1)} | ${over} |`);
}
await browser.close();
site.close();
