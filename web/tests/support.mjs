// What the browser tests share: a static server for a folder (with the MIME
// types the page needs), Debian's Chromium started headless with software
// WebGL or Firefox ESR, a PNG reader for the desktop's reference pictures, and the tile
// comparison the desktop's show tests use.
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

export async function launch() {
  if (kEngine === 'firefox') {
    return puppeteer.launch({browser: 'firefox', executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
                             headless: false, extraPrefsFirefox: {'media.autoplay.default': 0}});
  }
  const webgl = process.env.PQN_WEBGL === 'swiftshader' ? ['--use-angle=swiftshader', '--enable-unsafe-swiftshader']
                                                         : ['--use-gl=angle', '--use-angle=gl-egl', '--ignore-gpu-blocklist'];
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', ...webgl],
  });
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
