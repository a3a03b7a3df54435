// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page installable and offline, under its Content-Security-Policy: Chromium's own
// installability check, the game started, shown and with its music after one visit with
// the server gone, a new build's cache taking the old one's place, a browser without
// storage for the copy, and no policy violation in any of them. Each check waits for
// what it looks for, with a generous limit.
'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { COLOURS, check, clientOf, decodePng, log, main, serve, waitFor } = require('./browser');

const { NAVY, SILVER } = COLOURS;
const MENU = { x: 56, y: 56 };  // the menu panel on the play field

// Every file of a site folder but the service worker itself, as paths from its top.
function siteFiles(site) {
  const out = [];
  (function walk(dir) {
    for (const e of fs.readdirSync(dir, { withFileTypes: true })) {
      const p = path.join(dir, e.name);
      if (e.isDirectory()) walk(p);
      else out.push(path.relative(site, p).split(path.sep).join('/'));
    }
  })(site);
  return out.filter(f => f !== 'sw.js').sort();
}

// Records every policy violation, in the page's console too so that none is lost when
// the page reloads.
async function watchPolicy(page) {
  await page.evaluateOnNewDocument(() => {
    window.policyViolations = [];
    document.addEventListener('securitypolicyviolation', e => {
      const v = e.violatedDirective + ' blocked ' + (e.blockedURI || 'inline') +
        (e.sourceFile ? ' (' + e.sourceFile + ':' + e.lineNumber + ')' : '');
      window.policyViolations.push(v);
      console.error('policy violation: ' + v);
    });
  });
}

function violations(page) {
  return page.messages.filter(m => /policy violation|Content[- ]Security[- ]Policy/i.test(m));
}

function checkClean(page) {
  check(violations(page).length === 0, 'policy violations: ' + violations(page).join('; '));
  check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
}

// A page of its own with the policy watched from its first document on.
async function openWatched(browser, url, before) {
  const page = await browser.browser.newPage();
  await page.setViewport({ width: 900, height: 620 });
  page.messages = [];
  page.errors = [];
  page.on('console', m => page.messages.push(m.type() + ': ' + m.text()));
  page.on('pageerror', e => page.errors.push(e.message));
  await watchPolicy(page);
  if (before) await before(page);
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  return page;
}

async function gameAge(page) {
  return page.evaluate(() => window.Module && Module.stats && Module.stats.startedAt !== null
    ? performance.now() - Module.stats.startedAt : 0);
}

async function untilMenu(browser, page, label) {
  return waitFor('the menu', async () => {
    const c = await clientOf(page, 0);
    if (!c) return false;
    const img = await browser.shot(page, label);
    const mx = c.x + MENU.x, my = c.y + MENU.y;
    return img.is(mx + 10, my + 10, NAVY) && img.is(mx + 370, my + 100, SILVER);
  }, 30000, 100);
}

// The music opened: past 3.5 s of game time the game runs (it sleeps while the file is
// opened) and no report box says the file failed.
async function untilMusicOpen(page) {
  await waitFor('the game to run past the music\'s open', async () =>
    await gameAge(page) > 3500 && await page.evaluate(() => Module.ticksOf('Timer2')) !== null,
  30000, 50);
  const box = await page.evaluate(() => {
    const b = document.querySelector('#modal .box .text');
    return b ? b.textContent : null;
  });
  check(box === null, 'a report box says: ' + box);
  const notice = await page.evaluate(() => {
    const n = document.getElementById('notice');
    return n.hidden ? null : n.textContent;
  });
  check(notice === null, 'the page says: ' + notice);
}

// The service worker's side as the page sees it: whether it is served by one, and
// every cache with the site paths it holds.
async function offlineState(page) {
  return page.evaluate(async () => {
    const out = { controlled: !!(navigator.serviceWorker && navigator.serviceWorker.controller), caches: {} };
    if (!window.caches) return out;
    for (const name of await caches.keys()) {
      const cache = await caches.open(name);
      out.caches[name] = (await cache.keys()).map(r => new URL(r.url).pathname.slice(1)).sort();
    }
    return out;
  });
}

// Waits until the page is served by the worker and one cache holds every file of the
// site; returns that cache's name.
async function untilKept(page, files) {
  let last = null;
  try {
    return await waitFor('the service worker to keep every file', async () => {
      last = await offlineState(page);
      const names = Object.keys(last.caches);
      if (!last.controlled || names.length !== 1) return null;
      const held = last.caches[names[0]];
      return files.every(f => held.includes(f)) ? names[0] : null;
    }, 30000, 100);
  } catch (e) {
    log('last seen: ' + JSON.stringify(last));
    throw e;
  }
}

// Stops the server for good: every later request fails as with no network.
function takeDown(server) {
  server.close();
  server.closeAllConnections();
}

const scenarios = {
  // The manifest and its icons pass Chromium's own installability check; the icons are
  // the game's picture blown up without smoothing.
  async installable({ build, browser, engine }) {
    check(engine === 'chromium', 'the installability check is Chromium\'s own');
    const icons = {};
    for (const size of [192, 512]) {
      const img = decodePng(fs.readFileSync(path.join(build, 'icons', 'brisco2-' + size + '.png')));
      check(img.width === size && img.height === size, 'the ' + size + ' icon is ' + img.width + 'x' + img.height);
      icons[size] = img;
    }
    // Each of the picture's 32 x 32 pixels is a plain square in both icons, the same
    // colour in both: no smoothing, one picture.
    let mixed = 0, differ = 0;
    for (let y = 0; y < 32; ++y) {
      for (let x = 0; x < 32; ++x) {
        const c = icons[512].at(x * 16, y * 16).join();
        for (const [size, img] of Object.entries(icons)) {
          const k = size / 32;
          for (const [dx, dy] of [[0, 0], [k - 1, 0], [0, k - 1], [k - 1, k - 1], [k >> 1, k >> 1]])
            if (img.at(x * k + dx, y * k + dy).join() !== c) ++mixed;
        }
        if (icons[192].at(x * 6 + 3, y * 6 + 3).join() !== c) ++differ;
      }
    }
    check(mixed === 0, mixed + ' icon pixels are not plain squares of the picture');
    check(differ === 0, 'the icons differ in ' + differ + ' of the picture\'s pixels');

    const server = await serve(build);
    await browser.start();
    const page = await openWatched(browser, server.url);
    await untilKept(page, siteFiles(build));
    const cdp = await page.createCDPSession();
    const manifest = await cdp.send('Page.getAppManifest');
    check(manifest.url && manifest.url.endsWith('/manifest.webmanifest'), 'no manifest link: ' + manifest.url);
    check(manifest.errors.length === 0, 'manifest errors: ' + JSON.stringify(manifest.errors));
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    check(installabilityErrors.length === 0, 'installability errors: ' + JSON.stringify(installabilityErrors));
    checkClean(page);
    server.close();
  },

  // After one visit the game starts, shows its menu and opens its music with no server.
  async offlineStart({ build, browser, engine }) {
    const files = siteFiles(build);
    const server = await serve(build);
    await browser.start();
    const page = await openWatched(browser, server.url);
    await untilMenu(browser, page, 'online');
    const name = await untilKept(page, files);
    log('cache ' + name + ' holds ' + files.length + ' files');
    // The first visit's own music comes through the worker too (it took the page over).
    await untilMusicOpen(page);

    takeDown(server);
    if (engine === 'chromium') await page.setOfflineMode(true);
    await page.reload({ waitUntil: 'domcontentloaded' });
    await untilMenu(browser, page, 'offline');
    await untilMusicOpen(page);
    check((await offlineState(page)).controlled, 'the offline page is not the worker\'s');
    const loaded = await page.evaluate(() => document.fonts.check('12px "Liberation Sans"'));
    check(loaded, 'the web fonts did not come from the cache');
    checkClean(page);
  },

  // A new build (one file changed) replaces the old cache at the next visit.
  async newBuild({ build, browser }) {
    const files = siteFiles(build);
    const replace = {};
    const server = await serve(build, { replace });
    await browser.start();
    let page = await openWatched(browser, server.url);
    const first = await untilKept(page, files);
    await page.close();

    // The next build: page.css changed, the worker's list made again by the build's tool.
    const next = fs.mkdtempSync(path.join(os.tmpdir(), 'brisco2-next-'));
    try {
      fs.cpSync(build, next, { recursive: true });
      const css = fs.readFileSync(path.join(build, 'page.css'), 'utf8') + '\n/* the next build */\n';
      fs.writeFileSync(path.join(next, 'page.css'), css);
      execFileSync(process.execPath, [path.join(__dirname, '..', '..', 'toolkit', 'web', 'precache.js'),
        next, path.join(__dirname, '..', '..', 'toolkit', 'web', 'service_worker.js')]);
      replace['page.css'] = css;
      replace['sw.js'] = fs.readFileSync(path.join(next, 'sw.js'));
    } finally {
      fs.rmSync(next, { recursive: true, force: true });
    }

    page = await openWatched(browser, server.url);
    let state = null;
    try {
      await waitFor('the new build\'s cache alone', async () => {
        state = await offlineState(page);
        const names = Object.keys(state.caches);
        return names.length === 1 && names[0] !== first && files.every(f => state.caches[names[0]].includes(f));
        // The old worker hands over once its own work is done, and the new one copies
        // the site once the page has gone quiet: on a loaded machine that took over a
        // minute.
      }, 150000, 100);
    } catch (e) {
      log('last seen: ' + JSON.stringify(state));
      throw e;
    }
    const second = Object.keys(state.caches)[0];
    log('cache ' + first + ' replaced by ' + second);
    const kept = await page.evaluate(async name =>
      (await (await caches.open(name)).match('page.css')).text(), second);
    check(kept.includes('the next build'), 'the new cache holds the old page.css');
    await untilMenu(browser, page, 'next');
    checkClean(page);
    server.close();
  },

  // No storage for the copy: the page plays from the network with no uncaught error.
  async noStorage({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    const refused = await openWatched(browser, server.url, page => page.evaluateOnNewDocument(() => {
      delete window.caches;
      Object.defineProperty(window, 'caches', { value: undefined, configurable: true });
      if (window.ServiceWorkerContainer) {
        ServiceWorkerContainer.prototype.register = function () {
          return Promise.reject(new DOMException('The storage is turned off', 'SecurityError'));
        };
      }
    }));
    await waitFor('the refusal to be said', () =>
      refused.messages.some(m => m.includes('no offline copy') && m.includes('storage is turned off')), 30000);
    await untilMenu(browser, refused, 'refused');
    await untilMusicOpen(refused);
    checkClean(refused);
    await refused.close();

    // Where merely asking for the service workers throws.
    const blocked = await openWatched(browser, server.url, page => page.evaluateOnNewDocument(() => {
      Object.defineProperty(Navigator.prototype, 'serviceWorker', {
        configurable: true, get() { throw new DOMException('The operation is insecure.', 'SecurityError'); },
      });
    }));
    await untilMenu(browser, blocked, 'blocked');
    await untilMusicOpen(blocked);
    checkClean(blocked);
    await blocked.close();
    server.close();
  },

  // A copy that cannot be made whole (a file missing, as with no room left) is dropped,
  // not left half made, and the page plays on.
  async partialCopy({ build, browser }) {
    const server = await serve(build, { missing: ['icons/brisco2-512.png'] });
    await browser.start();
    const page = await openWatched(browser, server.url);
    await untilMenu(browser, page, 'menu');
    await waitFor('the worker to ask for the icon', () =>
      server.requests.some(r => r.path === 'icons/brisco2-512.png'), 30000);
    let state = null;
    await waitFor('the half-made copy to go', async () => {
      state = await offlineState(page);
      return state.controlled && Object.keys(state.caches).length === 0;
    }, 30000);
    await untilMusicOpen(page);
    checkClean(page);
    server.close();
  },

  // The policy holds: an inline script is refused (and seen as a violation), while the
  // page's own start, report box and icon go without one.
  async policy({ build, browser }) {
    const server = await serve(build, { missing: ['Brisco.wma'] });
    await browser.start();
    const page = await openWatched(browser, server.url);
    await waitFor('the report box', () => page.evaluate(() => !!document.querySelector('#modal .box')), 30000);
    const favicon = await page.evaluate(() => document.querySelector('link[rel="icon"]').href);
    check(favicon.startsWith('data:image/png'), 'the tab\'s icon is ' + favicon.slice(0, 30));
    checkClean(page);
    await page.evaluate(() => {
      const s = document.createElement('script');
      s.textContent = 'window.inlineRan = true;';
      document.body.appendChild(s);
    });
    await waitFor('the inline script\'s violation', () => violations(page).length > 0, 10000);
    check(await page.evaluate(() => window.inlineRan === undefined), 'an inline script ran');
    server.close();
  },
};

main(scenarios);
