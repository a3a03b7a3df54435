// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's figures for make bench, in headless Chromium on localhost: time from
// navigation to the first painted title frame, the bytes loaded before it, and the pace
// of Timer2 in mission 1. Prints one JSON object.
'use strict';

const path = require('path');
const { serve, sleep, waitFor } = require('../tests/web/browser');

async function main() {
  const args = process.argv.slice(2);
  const opt = (name, d) => { const i = args.indexOf(name); return i >= 0 ? args[i + 1] : d; };
  const build = opt('--build');
  const loads = Number(opt('--loads', '5'));
  const tickSeconds = Number(opt('--tick-seconds', '30'));
  const puppeteer = require(path.join(__dirname, '..', 'node_modules', 'puppeteer-core'));
  const server = await serve(build);
  const browser = await puppeteer.launch({
    executablePath: process.env.BRISCO2_CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--mute-audio',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const out = { firstFrameMs: [], bytesBeforeFirstFrame: [], requestsBeforeFirstFrame: [] };
  try {
    // Every load from an empty cache: the bytes are what a first visit costs.
    for (let i = 0; i < loads; ++i) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setCacheEnabled(false);
      await page.setViewport({ width: 900, height: 620 });
      await page.goto(server.url);
      await waitFor('the first frame', () => page.evaluate(() => window.Module && Module.stats && Module.stats.firstFrameAt !== null), 10000, 10);
      const r = await page.evaluate(() => {
        const first = Module.stats.firstFrameAt;  // since navigation started
        const nav = performance.getEntriesByType('navigation')[0];
        let bytes = nav.transferSize, requests = 1;
        for (const e of performance.getEntriesByType('resource'))
          if (e.responseEnd <= first) { bytes += e.transferSize; requests++; }
        return { first, bytes, requests };
      });
      out.firstFrameMs.push(r.first);
      out.bytesBeforeFirstFrame.push(r.bytes);
      out.requestsBeforeFirstFrame.push(r.requests);
      if (i < loads - 1) await context.close();
      else out.page = { context, page };
    }
    // Mission 1 from the menu, then Timer2's ticks over the measured span.
    const { page } = out.page;
    delete out.page;
    await waitFor('the menu', () => page.evaluate(() => performance.now() - Module.stats.startedAt > 3500), 10000);
    await page.keyboard.press('1');
    await sleep(500);
    const t0 = await page.evaluate(() => [performance.now(), Module.ticksOf('Timer2')]);
    await sleep(tickSeconds * 1000);
    const t1 = await page.evaluate(() => [performance.now(), Module.ticksOf('Timer2')]);
    out.timer2PerSecond = (t1[1] - t0[1]) / ((t1[0] - t0[0]) / 1000);
    out.tickSeconds = (t1[0] - t0[0]) / 1000;
  } finally {
    await browser.close();
    server.close();
  }
  process.stdout.write(JSON.stringify(out) + '\n');
}

main().catch(e => { process.stderr.write(String(e && e.stack || e) + '\n'); process.exit(1); });
