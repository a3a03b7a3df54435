// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's figures for make bench, in headless Chromium: time from navigation to the
// first painted title frame and the bytes loaded before it on localhost, the pace of
// Timer2 in mission 1, and the page on slow links (the DevTools protocol's network
// conditions, cold cache): the longest time without a Timer2 tick, what a whole session
// loads, and how soon the music sounds after the first key. Prints one JSON object.
'use strict';

const fs = require('fs');
const path = require('path');
const { serve, sleep, waitFor } = require('../tests/web/browser');

// Records every change of Timer2's count, and when the player's first key came and the
// music first sounded after it, from the page's own clock. A look that finds Timer2
// asleep counts as a tick: the page was free to run it, and the tick would have changed
// nothing (the game lets such ticks pass without waking). While the module sleeps in an
// open nothing counts: that is the game held.
function watchPage() {
  window.benchTicks = { last: null, lastAt: null, firstAt: null, longest: 0, longestAt: null };
  const t = window.benchTicks;
  setInterval(() => {
    if (!window.Module || !Module.ticksOf) return;
    const n = Module.ticksOf('Timer2');
    const now = performance.now();
    if (n === null || (n === t.last && !Module.asleep('Timer2'))) return;
    if (t.lastAt !== null && now - t.lastAt > t.longest) {
      t.longest = now - t.lastAt;
      t.longestAt = t.lastAt;
    }
    if (t.firstAt === null) t.firstAt = now;
    t.last = n;
    t.lastAt = now;
  }, 2);
  window.benchSound = { keyAt: null, audibleAt: null };
  window.addEventListener('keydown', () => {
    if (window.benchSound.keyAt !== null) return;
    window.benchSound.keyAt = performance.now();
    const poll = () => {
      if (window.BriscoMusic && BriscoMusic.level() > 0.005) {
        window.benchSound.audibleAt = performance.now();
        return;
      }
      setTimeout(poll, 1);
    };
    poll();
  }, true);
}

// Waits for the first painted frame: when it came (since navigation started) and the
// bytes and requests the page had loaded by then.
async function firstFrame(page, limitMs) {
  await waitFor('the first frame', () => page.evaluate(() => window.Module && Module.stats && Module.stats.firstFrameAt !== null), limitMs, 10);
  return page.evaluate(() => {
    const first = Module.stats.firstFrameAt;
    const nav = performance.getEntriesByType('navigation')[0];
    let bytes = nav.transferSize, requests = 1;
    for (const e of performance.getEntriesByType('resource'))
      if (e.responseEnd <= first) { bytes += e.transferSize; requests++; }
    return { first, bytes, requests };
  });
}

async function launch(puppeteer) {
  return puppeteer.launch({
    executablePath: process.env.BRISCO2_CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--mute-audio',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--autoplay-policy=user-gesture-required'],
  });
}

// A fresh, cache-less page on a link of `mbit` Mbit/s with `rttMs` round trips.
async function slowPage(browser, url, mbit, rttMs) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setCacheEnabled(false);
  await page.setViewport({ width: 900, height: 620 });
  await page.evaluateOnNewDocument(watchPage);
  // The link as the page meets it: the offline copy's worker fetches past the emulated
  // conditions, so it is kept out here (the page plays on without it, as where storage
  // is refused); what the copy adds is measured apart, by the offline tests.
  await page.evaluateOnNewDocument(() => {
    if (navigator.serviceWorker) {
      navigator.serviceWorker.register = () => Promise.reject(new Error('kept out by the benchmark'));
    }
  });
  const cdp = await page.createCDPSession();
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions', {
    offline: false, latency: rttMs, downloadThroughput: mbit * 1e6 / 8,
    uploadThroughput: mbit * 1e6 / 8,
  });
  const navigated = Date.now();
  await page.goto(url, { waitUntil: 'domcontentloaded', timeout: 120000 });
  return { context, page, navigated };
}

async function linkRun(browser, build, mbit, rttMs, seconds) {
  const server = await serve(build);
  try {
    const { context, page } = await slowPage(browser, server.url, mbit, rttMs);
    const early = await firstFrame(page, 120000);
    const first = early.first;
    await waitFor('the end of the span', () => page.evaluate(s => performance.now() > s * 1000, seconds), 120000, 100);
    // The music is open once Timer2 ticks again after 3 s: the first key, then sound.
    await waitFor('the music to open', () => page.evaluate(() =>
      window.Module && Module.stats.startedAt !== null && performance.now() - Module.stats.startedAt > 3000 &&
      Module.ticksOf('Timer2') !== null), 120000, 10);
    await page.keyboard.press('1');
    const sound = await waitFor('the music to sound', () => page.evaluate(() =>
      window.benchSound.audibleAt !== null ? window.benchSound : null), 30000, 20);
    const ticks = await page.evaluate(() => window.benchTicks);
    const bytes = server.requests.reduce((sum, r) => sum + (r.bytes || 0), 0);
    const out = {
      mbit, rttMs, firstFrameMs: first, bytesBeforeFirstFrame: early.bytes, longestHoldMs: ticks.longest,
      longestHoldAtMs: ticks.longestAt, sessionBytes: bytes,
      files: server.requests.map(r => r.path + ' ' + (r.bytes || 0)),
      keyToSoundMs: sound.audibleAt - sound.keyAt,
    };
    await context.close();
    return out;
  } finally {
    server.close();
  }
}

async function main() {
  const args = process.argv.slice(2);
  const opt = (name, d) => { const i = args.indexOf(name); return i >= 0 ? args[i + 1] : d; };
  const build = path.join(opt('--build'), 'site');
  const loads = Number(opt('--loads', '5'));
  const tickSeconds = Number(opt('--tick-seconds', '30'));
  const spanSeconds = Number(opt('--span-seconds', '20'));
  const puppeteer = require(path.join(__dirname, '..', 'node_modules', 'puppeteer-core'));
  const server = await serve(build);
  const browser = await launch(puppeteer);
  const out = { firstFrameMs: [], bytesBeforeFirstFrame: [], requestsBeforeFirstFrame: [] };
  try {
    // A browser starts its audio service with the first audio context it makes, once:
    // on this machine that holds the page making it for a quarter of a second or more,
    // and every later context, in any page, takes a few milliseconds. A browser that has
    // sounded before has it running; a fresh one gets it started here, and the time it
    // took is reported on its own.
    const warm = await browser.createBrowserContext();
    const blank = await warm.newPage();
    out.audioStartMs = await blank.evaluate(() => {
      const t = performance.now();
      const audio = new AudioContext();
      const took = performance.now() - t;
      audio.close();
      return took;
    });
    await warm.close();

    // Every load from an empty cache: the bytes are what a first visit costs.
    for (let i = 0; i < loads; ++i) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setCacheEnabled(false);
      await page.setViewport({ width: 900, height: 620 });
      await page.goto(server.url);
      const r = await firstFrame(page, 10000);
      out.firstFrameMs.push(r.first);
      out.bytesBeforeFirstFrame.push(r.bytes);
      out.requestsBeforeFirstFrame.push(r.requests);
      if (i < loads - 1) await context.close();
      else out.page = { context, page };
    }
    // Mission 1 from the menu, then Timer2's ticks over the measured span.
    const { page, context } = out.page;
    delete out.page;
    await waitFor('the menu', () => page.evaluate(() => performance.now() - Module.stats.startedAt > 3500 && Module.ticksOf('Timer2') !== null), 30000);
    await page.keyboard.press('1');
    await sleep(500);
    const t0 = await page.evaluate(() => [performance.now(), Module.ticksOf('Timer2')]);
    await sleep(tickSeconds * 1000);
    const t1 = await page.evaluate(() => [performance.now(), Module.ticksOf('Timer2')]);
    out.timer2PerSecond = (t1[1] - t0[1]) / ((t1[0] - t0[0]) / 1000);
    out.tickSeconds = (t1[0] - t0[0]) / 1000;
    await context.close();

    // The slow links.
    out.fast = await linkRun(browser, build, 10, 40, spanSeconds);
    out.slow = await linkRun(browser, build, 1.6, 150, spanSeconds);
    out.decoderWasmBytes = fs.statSync(path.join(build, 'brisco2-decoder.wasm')).size;
  } finally {
    await browser.close();
    server.close();
  }
  process.stdout.write(JSON.stringify(out) + '\n');
}

main().catch(e => { process.stderr.write(String(e && e.stack || e) + '\n'); process.exit(1); });
