// What the browser tests share: a static server for a folder (with the MIME
// types the page needs), Debian's Chromium started headless with software
// WebGL or Firefox ESR, pages that are always closed, waits that say what the
// page was doing when they fail, a PNG reader for the desktop's reference
// pictures, and the tile comparison the desktop's show tests use.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
                '.png': 'image/png', '.webmanifest': 'application/manifest+json'};

// Serves `root` on 127.0.0.1; files named in `missing` answer 404.
export async function serve(root, missing = []) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname).replace(/^\/$/, '/index.html');
    const file = path.join(root, path.normalize(name));
    if (missing.includes(path.basename(file)) || !file.startsWith(root)) return response.writeHead(404).end();
    fs.readFile(file, (error, body) => {
      if (error) return response.writeHead(404).end();
      response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'}).end(body);
    });
  });
  await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
  const close = () => {
    server.close();
    server.closeAllConnections();
  };
  return {url: `http://127.0.0.1:${server.address().port}/`, close};
}

// WebGL 2 through ANGLE on the machine's own OpenGL ES driver (Mesa's
// llvmpipe here, the desktop program's rasteriser), so that the browser's
// frames can be held to the desktop's references; PQN_WEBGL=swiftshader
// takes Chromium's own software WebGL instead. PQN_BROWSER=firefox takes
// Debian's Firefox ESR instead, through WebDriver BiDi, in a window (it needs
// a display: headless it has no WebGL 2 on this kind of machine).
export const kEngine = process.env.PQN_BROWSER || 'chromium';

// Firefox's full-screen transitions put a window of their own over the
// page for a moment; on a display with no window manager, pages opened and
// closed in and out of full screen in quick succession can leave that
// window counted as covering the browser, which stops the pages' frames.
// The page's own full-screen requests stay: only the fades go.
const kFirefoxPrefs = {
  'media.autoplay.default': 0,
  'full-screen-api.transition-duration.enter': '0 0',
  'full-screen-api.transition-duration.leave': '0 0',
  'full-screen-api.warning.timeout': 0,
};

export async function launch() {
  if (kEngine === 'firefox') {
    return puppeteer.launch({browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
                             headless: false, extraPrefsFirefox: kFirefoxPrefs});
  }
  const webgl = process.env.PQN_WEBGL === 'swiftshader' ? ['--use-angle=swiftshader', '--enable-unsafe-swiftshader']
                                                         : ['--use-gl=angle', '--use-angle=gl-egl', '--ignore-gpu-blocklist'];
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', ...webgl],
  });
}

// Closes the browser; one that does not close within half a minute is killed.
export async function closeBrowser(browser) {
  let timer;
  const killed = new Promise((done) => {
    timer = setTimeout(() => {
      console.log('the browser did not close in 30 s: killed');
      browser.process()?.kill('SIGKILL');
      done();
    }, 30000);
  });
  await Promise.race([browser.close(), killed]);
  clearTimeout(timer);
}

// A page whose console errors and uncaught exceptions are collected.
export async function openPage(browser) {
  const page = await browser.newPage();
  page.errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') page.errors.push(message.text());
  });
  page.on('pageerror', (error) => page.errors.push(error.message));
  await page.setViewport({width: 800, height: 600});
  return page;
}

// Runs `body` on a new page of `owner` (a browser or one of its contexts)
// and closes the page after it, whether `body` passed or not, so that a
// failed test leaves no show running under the next one.
export async function withPage(owner, body) {
  const page = await openPage(owner);
  try {
    return await body(page);
  } finally {
    await page.close().catch(() => {});
  }
}

// An expression for the page: the program's trace so far (empty before the program has opened it).
export const kTraced = "(() => { try { return FS.readFile('/trace.jsonl', {encoding: 'utf8'}); } catch (missing) { return ''; } })()";

// What a page was doing, for a failure's message: whether the browser shows
// it and gives it frames, what the page says, and the last frame the program
// traced. Asked with a bound of its own, as the page may not answer at all.
export async function pageState(page) {
  const state = (async () => {
    const frames = (await page.evaluate(kTraced)).split('\n').filter((line) => line.includes('"type":"frame"'));
    const shown = await page.evaluate(() => new Promise((answered) => {
      const framesGiven = new Promise((drawn) => requestAnimationFrame(() => drawn(true)));
      const noFrame = new Promise((late) => setTimeout(() => late(false), 2000));
      Promise.race([framesGiven, noFrame]).then((animating) => answered(
        `visibility ${document.visibilityState}, focus ${document.hasFocus()}, frames given ${animating}, ` +
        `status "${document.getElementById('status')?.textContent}", ` +
        `sound ${globalThis.Module?.SDL2?.audioContext?.state}`));
    }));
    return `${shown}, last frame ${frames.at(-1) || 'none'}`;
  })();
  const silence = new Promise((late) => setTimeout(() => late('the page did not answer in 10 s'), 10000));
  return Promise.race([state.catch((error) => `the page could not be asked: ${error.message}`), silence]);
}

// Waits until `condition` (an expression, or a function called with
// `args`) holds in the page; when it does not within `timeoutMs`, fails
// saying what was awaited and what the page was doing. Polls on a timer,
// not on the page's frames, so that a page given no frames still answers.
export async function waitUntil(page, what, timeoutMs, condition, ...args) {
  try {
    await page.waitForFunction(condition, {timeout: timeoutMs, polling: 100}, ...args);
  } catch (timeout) {
    throw new Error(`${what}: not within ${timeoutMs / 1000} s (${timeout.message}); the page: ${await pageState(page)}`);
  }
}

// Waits until the page offers its start button.
export const startOffered = (page) =>
  waitUntil(page, 'the start button', 60000, "document.querySelector('#start:not([hidden])') !== null");

// An 8-bit RGB or RGBA PNG (not interlaced) as RGB rows, top first.
export function readPng(file) {
  const bytes = fs.readFileSync(file);
  let offset = 8, width = 0, height = 0, channels = 0;
  const data = [];
  while (offset < bytes.length) {
    const length = bytes.readUInt32BE(offset), type = bytes.toString('latin1', offset + 4, offset + 8);
    const body = bytes.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      channels = {2: 3, 6: 4}[body[9]];
      if (body[8] !== 8 || !channels || body[12] !== 0) throw new Error(`${file}: not an 8-bit RGB(A) PNG`);
    }
    if (type === 'IDAT') data.push(body);
    offset += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data)), stride = width * channels;
  const rows = Buffer.alloc(stride * height), rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rows[y * stride + x - channels] : 0, b = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rows[y * stride + x] = (line[x] + predictor) & 255;
    }
  }
  for (let i = 0; i < width * height; ++i) rows.copy(rgb, i * 3, i * channels, i * channels + 3);
  return {width, height, rgb};
}

// The largest difference of a 16x16 tile's mean colour in [x0, x1) x
// [y0, y1), in levels of the channel that differs most (as the desktop's
// show tests measure it).
export function worstTile(a, b, width, x0, y0, x1, y1) {
  let worst = 0;
  for (let ty = y0; ty < y1; ty += 16)
    for (let tx = x0; tx < x1; tx += 16) {
      const sums = [0, 0, 0];
      let count = 0;
      for (let y = ty; y < Math.min(ty + 16, y1); ++y)
        for (let x = tx; x < Math.min(tx + 16, x1); ++x, ++count)
          for (let c = 0; c < 3; ++c) sums[c] += a[(y * width + x) * 3 + c] - b[(y * width + x) * 3 + c];
      worst = Math.max(worst, ...sums.map((sum) => Math.abs(sum) / count));
    }
  return worst;
}
