// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page in a real browser: Debian's Chromium over the DevTools protocol or Debian's
// Firefox ESR over WebDriver BiDi, headless, driven by puppeteer-core; the page served
// from the build's site folder by a small server that can leave files out; checks on
// screenshot pixels.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');

const SKIP = 77;  // ctest's SKIP_RETURN_CODE: no browser on this machine
const ENGINES = {
  chromium: process.env.BRISCO2_CHROMIUM || '/usr/bin/chromium',
  firefox: process.env.BRISCO2_FIREFOX || '/usr/bin/firefox-esr',
};

const MIME = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.json': 'application/json', '.woff2': 'font/woff2',
  '.wma': 'audio/x-ms-wma', '.png': 'image/png', '.webmanifest': 'application/manifest+json',
};

const COMPRESSED = new Set(['.html', '.js', '.css', '.wasm', '.json']);
const gzipCache = new Map();

function gzipped(body) {
  const key = body.length + ':' + zlib.crc32?.(body);
  let z = gzipCache.get(key);
  if (!z || !z.source.equals(body)) {
    z = { source: body, gz: zlib.gzipSync(body, { level: 6 }) };
    gzipCache.set(key, z);
  }
  return z.gz;
}

class Failure extends Error {}

function check(cond, message) {
  if (!cond) throw new Failure(message);
}

function log(message) {
  process.stdout.write(message + '\n');
}

const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

async function waitFor(what, predicate, timeoutMs, stepMs = 50) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const v = await predicate();
    if (v) return v;
    if (Date.now() > end) throw new Failure('timed out waiting for ' + what);
    await sleep(stepMs);
  }
}

// Serves `folder`; `missing` names paths answered with 404, `replace` maps paths to
// other bytes, `delays` holds paths back for so many milliseconds. Resolves with the
// server once it listens on a free port of 127.0.0.1.
function serve(folder, { missing = [], replace = {}, delays = {} } = {}) {
  const server = http.createServer((req, res) => {
    const rel0 = decodeURIComponent(req.url.split('?')[0]).replace(/^\/+/, '');
    if (delays[rel0]) {
      const wait = delays[rel0];
      delays = Object.assign({}, delays, { [rel0]: 0 });  // once
      setTimeout(() => server.emit('request', req, res), wait);
      return;
    }
    const url = decodeURIComponent(req.url.split('?')[0]);
    const rel = url === '/' ? 'index.html' : url.replace(/^\/+/, '');
    server.requests.push({ path: rel, at: Date.now() });
    if (missing.includes(rel) || rel.includes('..')) {
      res.writeHead(404, { 'Content-Type': 'text/plain' });
      res.end('not found');
      return;
    }
    let body = replace[rel];
    if (typeof body === 'string') body = Buffer.from(body);
    if (body === undefined) {
      try {
        body = fs.readFileSync(path.join(folder, rel));
      } catch (e) {
        res.writeHead(404, { 'Content-Type': 'text/plain' });
        res.end('not found');
        return;
      }
    }
    // Code and text go compressed, as web hosts send them; fonts and music are
    // compressed already.
    const headers = { 'Content-Type': MIME[path.extname(rel)] || 'application/octet-stream',
      'Cache-Control': 'no-store' };
    if (COMPRESSED.has(path.extname(rel)) && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
      body = gzipped(body);
      headers['Content-Encoding'] = 'gzip';
    }
    headers['Content-Length'] = body.length;
    res.writeHead(200, headers);
    res.end(body);
    server.requests[server.requests.length - 1].bytes = body.length;
  });
  server.requests = [];
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => {
    server.url = 'http://127.0.0.1:' + server.address().port + '/';
    resolve(server);
  }));
}

// --- screenshots ----------------------------------------------------------------------
// Chromium's screenshots are 8-bit RGB(A) PNGs without interlacing: enough to read.
function decodePng(buf) {
  check(buf.readUInt32BE(0) === 0x89504e47, 'not a PNG');
  let pos = 8, width = 0, height = 0, depth = 0, type = 0;
  const idat = [];
  while (pos < buf.length) {
    const len = buf.readUInt32BE(pos);
    const kind = buf.toString('ascii', pos + 4, pos + 8);
    const data = buf.subarray(pos + 8, pos + 8 + len);
    if (kind === 'IHDR') {
      width = data.readUInt32BE(0); height = data.readUInt32BE(4);
      depth = data[8]; type = data[9];
      check(data[12] === 0, 'interlaced PNG');
    } else if (kind === 'IDAT') {
      idat.push(data);
    } else if (kind === 'IEND') {
      break;
    }
    pos += 12 + len;
  }
  check(depth === 8 && (type === 2 || type === 6), 'PNG of depth ' + depth + ' type ' + type);
  const bpp = type === 6 ? 4 : 3;
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * bpp;
  const px = Buffer.alloc(width * height * 3);
  let prev = Buffer.alloc(stride);
  for (let y = 0; y < height; ++y) {
    const f = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; ++i) {
      const a = i >= bpp ? line[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      let v = line[i];
      if (f === 1) v += a;
      else if (f === 2) v += b;
      else if (f === 3) v += (a + b) >> 1;
      else if (f === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      line[i] = v & 0xff;
    }
    for (let x = 0; x < width; ++x) line.copy(px, (y * width + x) * 3, x * bpp, x * bpp + 3);
    prev = line;
  }
  return new Image(width, height, px);
}

class Image {
  constructor(width, height, px) { this.width = width; this.height = height; this.px = px; }
  at(x, y) {
    x = Math.round(x); y = Math.round(y);
    const i = (y * this.width + x) * 3;
    return [this.px[i], this.px[i + 1], this.px[i + 2]];
  }
  is(x, y, colour) { return same(this.at(x, y), colour); }
  count(colour, x0, y0, x1, y1) {
    let n = 0;
    for (let y = Math.round(y0); y < Math.round(y1); ++y)
      for (let x = Math.round(x0); x < Math.round(x1); ++x)
        if (this.is(x, y, colour)) ++n;
    return n;
  }
}

function same(a, b) { return a[0] === b[0] && a[1] === b[1] && a[2] === b[2]; }

const COLOURS = {
  BLACK: [0, 0, 0], WHITE: [255, 255, 255], NAVY: [0, 0, 128], GREY: [128, 128, 128],
  SILVER: [192, 192, 192], RED: [255, 0, 0], GREEN: [0, 128, 0], YELLOW: [255, 255, 0],
};

// --- the browser ----------------------------------------------------------------------
class Browser {
  constructor(puppeteer, artifacts, engine = 'chromium') {
    this.puppeteer = puppeteer;
    this.artifacts = artifacts;
    this.engine = engine;
    this.browser = null;
  }

  async start(extraArgs = []) {
    if (this.engine === 'firefox') {
      // Firefox plays Web Audio only to a real sound server: a private one with a sink
      // that discards the sound. Sound waits for a gesture, as in Chromium.
      const env = Object.assign({}, process.env);
      this.sound = await soundServer();
      if (this.sound) env.PULSE_SERVER = 'unix:' + this.sound.socket;
      this.browser = await this.puppeteer.launch({
        browser: 'firefox', executablePath: ENGINES.firefox, headless: true, env,
        extraPrefsFirefox: { 'media.autoplay.default': 1 },
        args: extraArgs,
      });
      return this;
    }
    // The flags keep a headless Chromium off the network it cannot reach here; the
    // fake UI lets the page's audio run without a sound device.
    this.browser = await this.puppeteer.launch({
      executablePath: ENGINES.chromium,
      headless: true,
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync',
        '--disable-features=Translate,MediaRouter', '--mute-audio', ...extraArgs],
    });
    return this;
  }

  // A new page at `url`, recording what the page says on its console.
  async open(url, { width = 900, height = 620, scale = 1 } = {}) {
    const page = await this.browser.newPage();
    await page.setViewport({ width, height, deviceScaleFactor: scale });
    page.messages = [];
    page.errors = [];
    page.on('console', m => page.messages.push(m.type() + ': ' + m.text()));
    page.on('pageerror', e => page.errors.push(e.message));
    page.openedAt = Date.now();
    await page.goto(url, { waitUntil: 'domcontentloaded' });
    return page;
  }

  async shot(page, label) {
    const buf = await page.screenshot({ type: 'png' });
    fs.mkdirSync(this.artifacts, { recursive: true });
    fs.writeFileSync(path.join(this.artifacts, label + '.png'), buf);
    return decodePng(buf);
  }

  async close() {
    if (this.browser) await this.browser.close();
    this.browser = null;
    if (this.sound) this.sound.stop();
    this.sound = null;
  }
}

// A sound server of this test's own, its sink discarding the sound; null where the
// machine has none (the music scenarios then fail with a clear message).
async function soundServer() {
  const dir = fs.mkdtempSync(path.join(require('os').tmpdir(), 'brisco2-pulse-'));
  const socket = path.join(dir, 'native');
  let proc;
  try {
    proc = require('child_process').spawn('pulseaudio', ['--daemonize=no', '--system=false',
      '--exit-idle-time=-1', '-n', '--use-pid-file=no', '--high-priority=no', '--realtime=no',
      '--load=module-null-sink sink_name=brisco_null rate=44100',
      '--load=module-native-protocol-unix auth-anonymous=1 socket=' + socket],
    { stdio: 'ignore', env: Object.assign({}, process.env, { HOME: dir, XDG_RUNTIME_DIR: dir }) });
  } catch (e) {
    return null;
  }
  const failed = new Promise(resolve => { proc.on('error', () => resolve(true)); proc.on('exit', () => resolve(true)); });
  const end = Date.now() + 15000;
  while (!fs.existsSync(socket)) {
    if (Date.now() > end || await Promise.race([failed, sleep(50).then(() => false)])) {
      proc.kill('SIGKILL');
      fs.rmSync(dir, { recursive: true, force: true });
      return null;
    }
  }
  return { socket, stop() { proc.kill('SIGTERM'); setTimeout(() => fs.rmSync(dir, { recursive: true, force: true }), 500); } };
}

// Where a window's client area lies on the page (CSS pixels), and its frame.
async function clientOf(page, windowId) {
  return page.evaluate(id => {
    const w = document.querySelectorAll('#desktop .window')[id];
    if (!w || w.hidden) return null;
    const c = w.querySelector('canvas.client').getBoundingClientRect();
    const o = w.getBoundingClientRect();
    return { x: c.left, y: c.top, width: c.width, height: c.height,
      outer: { x: o.left, y: o.top, width: o.width, height: o.height },
      framed: !w.classList.contains('borderless'), active: w.classList.contains('active') };
  }, windowId);
}

// Runs the named scenarios (all when none is named on the command line).
async function main(scenarios) {
  const args = process.argv.slice(2);
  const opt = name => { const i = args.indexOf(name); return i >= 0 ? args[i + 1] : null; };
  const build = opt('--build');
  const site = path.join(build || '.', 'site');
  const engine = opt('--engine') || 'chromium';
  const artifacts = path.join(opt('--artifacts') || path.join(build || '.', 'browser-artifacts'), engine);
  const only = opt('--only');
  if (!ENGINES[engine]) {
    log('no such browser engine: ' + engine);
    process.exit(2);
  }
  if (!fs.existsSync(ENGINES[engine])) {
    log('skipped: no ' + engine + ' at ' + ENGINES[engine]);
    process.exit(SKIP);
  }
  let puppeteer;
  try {
    puppeteer = require(path.join(__dirname, '..', '..', 'node_modules', 'puppeteer-core'));
  } catch (e) {
    log('skipped: puppeteer-core is not installed (npm ci)');
    process.exit(SKIP);
  }
  let failed = 0;
  for (const [name, run] of Object.entries(scenarios)) {
    if (only && only !== name) continue;
    const browser = new Browser(puppeteer, path.join(artifacts, name), engine);
    const started = Date.now();
    try {
      await run({ build: site, browser, engine, nativeReplay: opt('--native-replay') && path.resolve(opt('--native-replay')) });
      log('ok: ' + name + ' in ' + engine + ' (' + ((Date.now() - started) / 1000).toFixed(1) + ' s)');
    } catch (e) {
      failed++;
      log('FAILED: ' + name + ' in ' + engine + ': ' + (e instanceof Failure ? e.message : e.stack));
    } finally {
      await browser.close().catch(() => {});
    }
  }
  process.exit(failed ? 1 : 0);
}

module.exports = { COLOURS, Failure, check, clientOf, decodePng, log, main, same, serve, sleep, waitFor };
