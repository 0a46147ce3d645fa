// Frame pacing of the browser build in real time (a benchmark, not a test),
// each animation frame's time kept by the page:
// - the whole show from its start with its sound: per scene the median, 99th
//   percentile and worst interval between frames and the count over 50 ms.
//   The trace's frames are the last of the animation frames the show waited
//   for (start-up's come before them), which names the scene of each interval;
// - each scene started with ?scene=N, after the unseen frames of the scenes
//   before it: the same figures over its first ten seconds shown, and the
//   time from the click to the first frame shown and to steady frames (the
//   first of 30 intervals in a row each under 25 ms).
//   node pacing.mjs          (PQN_WEB_SITE: the folder to serve, default build-web/)
import path from 'node:path';
import {closeBrowser, kTraced, launch, openPage, pageState, serve, startOffered, waitUntil} from './support.mjs';

const root = path.resolve(process.env.PQN_WEB_SITE || '../../build-web');
const kSteadyIntervals = 30;
const kSteadyMs = 25;
const kSceneRunFrames = 600;
const kStalledMs = 30000;

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.floor(p * sorted.length))];
}

function figures(intervals) {
  const sorted = [...intervals].sort((a, b) => a - b);
  return `${sorted.length} | ${percentile(sorted, 0.5).toFixed(1)} | ${percentile(sorted, 0.99).toFixed(1)} | ` +
         `${sorted[sorted.length - 1].toFixed(1)} | ${sorted.filter((ms) => ms > 50).length}`;
}

// Starts the show at `query`, the click's time kept, and ends it with Escape
// once `frames` frames have been shown (0: at its end); returns the frame
// times, the traced frames' scenes and the click's time, read once the show
// has ended, so that every traced frame has its animation frame.
async function run(page, site, query, frames = 0) {
  await page.goto(`${site.url}?window&trace${query}`);
  await startOffered(page);
  await page.evaluate(() => {
    Module.pqnFrameTimes = [];
    document.querySelector('#start').addEventListener('click', () => { window.pqnClickMs = performance.now(); },
                                                      {capture: true, once: true});
  });
  await page.click('#start');
  // The whole show takes three and a half minutes, longer than one call to
  // the page may, so the page is asked twice a second; a page whose traced
  // frames stop coming for half a minute (Firefox on Xvfb has stopped giving
  // a page animation frames) ends the run with what the page was doing.
  const traced = `${kTraced}.split('"type":"frame"').length - 1`;
  let count = -1, changedMs = Date.now();
  for (;;) {
    const now = await page.evaluate(`({ended: window.pqnEnded !== undefined, traced: ${traced}})`);
    if (now.ended || (frames > 0 && now.traced >= frames)) break;
    if (now.traced !== count) [count, changedMs] = [now.traced, Date.now()];
    if (Date.now() - changedMs > kStalledMs) {
      throw new Error(`${query || 'the whole show'}: no frame traced for ${kStalledMs / 1000} s after ${count}; ` +
                      `the page: ${await pageState(page)}`);
    }
    await new Promise((later) => setTimeout(later, 500));
  }
  if (frames) {
    await page.keyboard.press('Escape');
    await waitUntil(page, 'the end card', 60000, 'window.pqnEnded !== undefined');
  }
  return page.evaluate(() => ({
    times: [...Module.pqnFrameTimes],
    clickMs: window.pqnClickMs,
    scenes: FS.readFile('/trace.jsonl', {encoding: 'utf8'}).split('\n').filter((line) => line.includes('"type":"frame"'))
      .map((line) => JSON.parse(line).scene),
  }));
}

function tracedTimes({times, scenes}) {
  return times.slice(times.length - scenes.length);
}

const browser = await launch();
const site = await serve(root);
const page = await openPage(browser);

const whole = await run(page, site, '');
const wholeTimes = tracedTimes(whole);
const intervals = {};
for (let i = 1; i < whole.scenes.length; ++i) (intervals[whole.scenes[i]] ||= []).push(wholeTimes[i] - wholeTimes[i - 1]);
console.log('The whole show');
console.log('| scene | frames | median ms | p99 ms | worst ms | over 50 ms |');
console.log('|---|---|---|---|---|---|');
for (const scene of Object.keys(intervals).sort((a, b) => a - b)) console.log(`| ${scene} | ${figures(intervals[scene])} |`);

console.log('\nEach scene started with ?scene=N, its first ten seconds shown');
console.log('| scene | frames | median ms | p99 ms | worst ms | over 50 ms | click to first frame ms | click to steady ms |');
console.log('|---|---|---|---|---|---|---|---|');
for (let scene = 1; scene <= 9; ++scene) {
  const started = await run(page, site, `&scene=${scene}`, kSceneRunFrames);
  const times = tracedTimes(started);
  const gaps = times.slice(1).map((t, i) => t - times[i]);
  let steady = 0;
  while (steady < gaps.length && gaps.slice(steady, steady + kSteadyIntervals).some((ms) => ms >= kSteadyMs)) ++steady;
  const steadyMs = steady < gaps.length ? (times[steady] - started.clickMs).toFixed(0) : 'never';
  console.log(`| ${scene} | ${figures(gaps)} | ${(times[0] - started.clickMs).toFixed(0)} | ${steadyMs} |`);
}
await closeBrowser(browser);
site.close();
