// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page in headless Chromium and Firefox: title, menu, a mission, the report box, the
// music, failures said in words, crisp pictures on HiDPI screens and the windows' states.
// Every check waits for what it looks for (with a generous limit): how soon things come
// is measured by make bench, not here.
'use strict';

const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { COLOURS, check, clientOf, log, main, same, serve, sleep, waitFor } = require('./browser');

const { BLACK, WHITE, NAVY, GREY, SILVER, RED, YELLOW } = COLOURS;
const MENU = { x: 56, y: 56 };     // the menu panel `m` on the play field
const BAR = { y: 112, h: 9 };      // the bar `c`

// Milliseconds since the game's clock started in the page (or since the page was
// opened, before that).
async function age(page) {
  const a = await page.evaluate(() => window.Module && Module.stats && Module.stats.startedAt !== null
    ? performance.now() - Module.stats.startedAt : null);
  return a === null ? 0 : a;
}

async function modalText(page) {
  return page.evaluate(() => {
    const boxes = document.querySelectorAll('#modal .box');
    if (!boxes.length) return null;
    const b = boxes[0];
    return { count: boxes.length, caption: b.querySelector('.titlebar').textContent,
      text: b.querySelector('.text').textContent,
      focused: document.activeElement && document.activeElement.textContent };
  });
}

async function noticeText(page) {
  return page.evaluate(() => {
    const n = document.getElementById('notice');
    return n && !n.hidden ? n.textContent : null;
  });
}

// Records for every key whether the page kept the browser from acting on it.
async function watchKeys(page) {
  await page.evaluate(() => {
    window.keysSeen = [];
    window.addEventListener('keydown', e => window.keysSeen.push([e.key, e.defaultPrevented]));
  });
}

async function menuShown(browser, page, label) {
  const c = await clientOf(page, 0);
  if (!c) return false;  // the module sleeps in the music's first open
  const img = await browser.shot(page, label);
  const mx = c.x + MENU.x, my = c.y + MENU.y;
  return img.is(mx + 10, my + 10, NAVY) && img.is(mx + 370, my + 100, SILVER);
}

// The menu comes at 3 s of game time; a cold, busy machine may show it much later.
async function untilMenu(browser, page, label) {
  return waitFor('the menu', () => menuShown(browser, page, label), 20000, 100);
}

// Waits until the screenshot shows what `test` looks for; returns that screenshot.
async function untilShot(browser, page, label, what, test) {
  let img = null;
  await waitFor(what, async () => {
    img = await browser.shot(page, label);
    return test(img);
  }, 10000, 50);
  return img;
}

// When the page asked for the file `name` (the server's clock), or null.
function requestedAt(server, name) {
  const r = server.requests.find(q => q.path === name);
  return r ? r.at : null;
}

const scenarios = {
  // The borderless title screen, the second window at 2.5 s, the menu at 3 s.
  async title({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    // The title shows for three seconds: a busy machine may look too late, and then
    // the page is loaded again (a few times) rather than the look taken for a fault.
    let page, t, img, from;
    for (let attempt = 1; ; ++attempt) {
      from = server.requests.length;
      page = await browser.open(server.url);
      await waitFor('the main window', () => clientOf(page, 0), 20000);
      await waitFor('the first frame', () => page.evaluate(() => Module.stats.firstFrameAt !== null), 20000);
      t = await clientOf(page, 0);
      // The browser may show the window a moment before its first picture: look again
      // until the maker's name is there, as long as the title lasts.
      let late;
      do {
        img = await browser.shot(page, 'title');
        late = await age(page);
      } while (late < 2400 && img.count(YELLOW, t.x + 48, t.y + 72, t.x + 431, t.y + 178) <= 300);
      if (late < 2400) break;
      log('try ' + attempt + ': no title screen with the maker\'s name photographed before 2400 ms (last look ' + Math.round(late) + ' ms in)');
      check(attempt < 3, 'no title screen with the maker\'s name was photographed in time in any of 3 tries');
      await page.close();
    }
    check(!t.framed, 'the title screen has a border');
    check(t.outer.x === 278 && t.outer.y === 208 && t.outer.width === 497 && t.outer.height === 304,
      'the main window is at ' + JSON.stringify(t.outer) + ', not 278,208 497x304');
    check(await clientOf(page, 1) === null || await age(page) >= 2500, 'the second window shows at once');
    const yellow = img.count(YELLOW, t.x + 48, t.y + 72, t.x + 431, t.y + 178);
    check(yellow > 300, 'the maker\'s name is missing (' + yellow + ' yellow pixels)');
    for (const [x, y] of [[492, 100], [100, 280], [400, 300]])
      check(img.is(t.x + x, t.y + y, BLACK), 'no black title panel at ' + x + ',' + y);

    // The second window at 2.5 s, framed, disabled.
    const s = await waitFor('the second window', () => clientOf(page, 1), 20000, 20);
    const shownAt = await age(page);
    log('second window after ' + shownAt + ' ms');
    check(shownAt >= 2000, 'the second window came after ' + shownAt + ' ms');
    check(s.framed && s.outer.x === 278 && s.outer.y === 179 && s.outer.width === 496 && s.outer.height === 335,
      'the second window is at ' + JSON.stringify(s.outer));
    // Disabled: its close button does nothing.
    await page.click('#desktop .window:nth-child(2) button.close');
    await sleep(200);
    check(await clientOf(page, 1) !== null, 'the disabled second window closed');

    // The menu at 3 s, the main window framed again, in front.
    await untilMenu(browser, page, 'menu');
    const differ = await page.evaluate(() => Module.differentConstants());
    check(Array.isArray(differ) && differ.length === 0,
      'the page and the module disagree on ' + JSON.stringify(differ));
    const m = await clientOf(page, 0);
    check(m.framed && m.active, 'the main window is not framed and active at 3.5 s');
    check(m.outer.x === 278 && m.outer.y === 208 && m.outer.width === 497 && m.outer.height === 304,
      'the framed main window is at ' + JSON.stringify(m.outer));
    img = await browser.shot(page, 'menu');
    const mx = m.x + MENU.x, my = m.y + MENU.y;
    check(img.is(mx + 10, my + 10, NAVY), 'no navy header on the menu');
    check(img.count(WHITE, mx + 150, my + 5, mx + 230, my + 36) > 30, 'no "Menu" caption');
    check(img.is(mx + 370, my + 100, SILVER), 'no menu panel');
    check(img.count(BLACK, mx + 304, my + 48, mx + 370, my + 62) > 20, 'no "Welcome"');
    check(img.count(BLACK, mx + 8, my + 64, mx + 100, my + 77) > 20, 'no mission lines');
    check(img.is(m.x + 100, m.y + 262, NAVY), 'the window\'s navy does not show below the field');

    // The decoder comes once, and only after the first frame: nothing competes with the
    // game's own files before it.
    const firstFrame = await page.evaluate(() => performance.timeOrigin + Module.stats.firstFrameAt);
    const mine = { requests: server.requests.slice(from) };
    const decoderAt = await waitFor('the decoder', () => requestedAt({ requests: server.requests.slice(from) }, 'brisco2-decoder.wasm'), 20000);
    mine.requests = server.requests.slice(from);
    check(decoderAt >= Math.floor(firstFrame) - 5, 'the decoder was asked for ' + (firstFrame - decoderAt).toFixed(0) + ' ms before the first frame');
    check(requestedAt(mine, 'Brisco.wma') >= Math.floor(firstFrame) - 5, 'the music was asked for before the first frame');
    check(mine.requests.filter(r => r.path === 'brisco2-decoder.wasm').length === 1, 'the decoder was loaded twice');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },

  // Mission 1 with 1, the bar moved by D, M back to the menu with "Game Over!" on red,
  // F5 not reloading, unbound keys left to the browser, the music heard after a key.
  async play({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    const page = await browser.open(server.url);
    await watchKeys(page);
    await page.evaluate(() => { window.sameDocument = true; });
    await untilMenu(browser, page, 'menu');
    // In the menu nothing moves: the contact check sleeps, and the benchmarks count
    // its passing ticks as ticks the page was free to run.
    await waitFor('Timer2 to sleep in the menu', () => page.evaluate(() => Module.asleep('Timer2') === true), 20000, 20);
    check(await page.evaluate(() => Module.asleep('NoSuchTimer')) === false, 'an unknown timer sleeps');
    await page.keyboard.press('1');
    await page.keyboard.press('d');
    const c = await clientOf(page, 0);
    const gy = c.y + BAR.y + 4;
    // The bar stands at 226 now, 50 pixels wide.
    let img = await untilShot(browser, page, 'mission', 'the bar at 226',
      i => i.count(GREY, c.x + 230, gy, c.x + 272, gy + 1) > 35);
    check(!img.is(c.x + MENU.x + 370, c.y + MENU.y + 100, SILVER), 'the menu still shows');
    check(img.count(GREY, c.x + 217, gy, c.x + 225, gy + 1) === 0, 'the bar did not move right');

    await page.keyboard.press('m');
    const vx = c.x + MENU.x + 304, vy = c.y + MENU.y + 48;
    img = await untilShot(browser, page, 'game-over', '"Game Over!" on red',
      i => i.count(RED, vx, vy, vx + 70, vy + 14) > 100);
    check(img.count(WHITE, vx, vy, vx + 70, vy + 14) + img.count(BLACK, vx, vy, vx + 70, vy + 14) > 10,
      'no caption on the red result');

    await page.keyboard.press('F5');
    await page.keyboard.press('x');
    await sleep(300);
    check(await page.evaluate(() => window.sameDocument === true), 'F5 reloaded the page');
    const keys = await page.evaluate(() => window.keysSeen);
    const prevented = Object.fromEntries(keys.map(([k, p]) => [k, p]));
    check(prevented.F5 === true, 'F5 kept its browser meaning');
    check(prevented['1'] === true && prevented.m === true, 'a bound key went on to the browser');
    check(prevented.x === false, 'an unbound key lost its browser meaning');

    // The music reaches the Web Audio graph as sound once a key has been pressed.
    const level = await waitFor('the music', async () => {
      const l = await page.evaluate(() => BriscoMusic.level());
      return l > 0.005 ? l : null;
    }, 30000, 100);
    const state = await page.evaluate(() => BriscoMusic.state());
    log('music level ' + level.toFixed(3) + ', ' + JSON.stringify(state));
    check(state.context === 'running' && state.playing, 'the music is not playing');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },

  // Without Brisco.wma: the report box at 3 s, one at a time, keys held by it, the game
  // going on after OK.
  async report({ build, browser }) {
    const server = await serve(build, { missing: ['Brisco.wma'] });
    await browser.start();
    const page = await browser.open(server.url);
    const box = await waitFor('the report box', () => modalText(page), 20000);
    log('report after ' + Math.round(await age(page)) + ' ms: ' + JSON.stringify(box));
    check(box.count === 1, box.count + ' boxes at once');
    check(box.caption === 'brisco2', 'the caption is "' + box.caption + '"');
    check(box.text === 'No such file or directory.', 'the text is "' + box.text + '"');
    check(box.focused === 'OK', 'OK is not focused');
    const c = await clientOf(page, 0);
    await browser.shot(page, 'report');
    // The box holds the keys: 1 starts nothing, and F5 does not reload the page either.
    await watchKeys(page);
    await page.evaluate(() => { window.sameDocument = true; });
    await page.keyboard.press('1');
    await page.keyboard.press('F5');
    await sleep(100);
    check(await menuShown(browser, page, 'held'), 'a key reached the game behind the box');
    check(await page.evaluate(() => window.sameDocument === true), 'F5 reloaded the page behind the box');
    check(await page.evaluate(() => window.keysSeen.every(([, p]) => p)), 'a bound key went on to the browser');
    // Counted before OK: on a busy machine the next attempt may come before the look
    // at the mission below is done.
    const asked = server.requests.filter(r => r.path === 'Brisco.wma').length;
    await page.keyboard.press('Enter');
    await waitFor('OK to close the box', async () => await modalText(page) === null, 5000);
    await page.keyboard.press('1');
    await untilShot(browser, page, 'after-ok', 'the game to go on after OK',
      i => !i.is(c.x + MENU.x + 370, c.y + MENU.y + 100, SILVER));
    // The next attempt, 3 s later, reports again: the site is asked again.
    const again = await waitFor('the next report', () => modalText(page), 20000);
    check(again.count === 1 && again.text === 'No such file or directory.', 'the retry says ' + JSON.stringify(again));
    check(server.requests.filter(r => r.path === 'Brisco.wma').length > asked, 'the retry did not look for the file again');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },

  // A damaged file: the page's report says what the desktop says of the same bytes (the
  // desktop build's replay tool runs the desktop's media code on them).
  async damaged({ build, browser, nativeReplay }) {
    check(nativeReplay && fs.existsSync(nativeReplay), 'no desktop replay tool at ' + nativeReplay);
    const good = fs.readFileSync(path.join(build, 'Brisco.wma'));
    let seed = 7;
    const noise = Buffer.alloc(4096).map(() => (seed = (seed * 1103515245 + 12345) >>> 0) >>> 24);
    const variants = {
      empty: Buffer.alloc(0),
      noise,
      headerOnly: Buffer.concat([good.subarray(0, 16), Buffer.alloc(2000, 0x55)]),
    };
    await browser.start();
    for (const [name, bytes] of Object.entries(variants)) {
      const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'brisco2-damaged-'));
      fs.writeFileSync(path.join(dir, 'Brisco.wma'), bytes);
      const dump = JSON.parse(execFileSync(nativeReplay, ['-'], { cwd: dir, input: '3000 dump\n' }).toString());
      fs.rmSync(dir, { recursive: true });
      check(dump.reports.length === 1, name + ': the desktop opened it');
      const expected = dump.reports[0].text;
      const server = await serve(build, { replace: { 'Brisco.wma': bytes } });
      const page = await browser.open(server.url);
      const box = await waitFor('the report box', () => modalText(page), 20000);
      log(name + ': ' + JSON.stringify(box.text));
      check(box.text === expected, name + ': the page says "' + box.text + '", the desktop "' + expected + '"');
      check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
      await page.close();
      server.close();
    }
  },

  // The page fetches the music after the first frame; when the file has still not come
  // at the game's open, the open waits for it and holds the game, as on the desktop a
  // slow file holds the event loop: keys pressed meanwhile wait and act afterwards, and
  // a bound key still keeps its browser meaning away.
  async slowMusic({ build, browser }) {
    const server = await serve(build, { delays: { 'Brisco.wma': 8000 } });
    await browser.start();
    const page = await browser.open(server.url);
    await watchKeys(page);
    await page.evaluate(() => { window.sameDocument = true; });
    // The module sleeps in the open: it answers nothing meanwhile.
    await waitFor('the open to hold the game', async () => (await age(page)) > 3000 &&
      await page.evaluate(() => Module.ticksOf('Timer2')) === null, 20000, 20);
    await page.keyboard.press('1');
    await page.keyboard.press('F5');
    await sleep(200);
    const prevented = Object.fromEntries((await page.evaluate(() => window.keysSeen)).map(([k, p]) => [k, p]));
    check(prevented.F5 === true && prevented['1'] === true, 'a held key went on to the browser: ' + JSON.stringify(prevented));
    check(await page.evaluate(() => Module.ticksOf('Timer2')) === null, 'the game went on before the file came');
    check(await page.evaluate(() => Module.asleep('Timer2')) === null, 'a held game is said to sleep');
    // The file comes; the game goes on and the held 1 starts mission 1.
    await waitFor('the music to open', async () => (await page.evaluate(() => Module.ticksOf('Timer2'))) !== null, 20000);
    const m = await clientOf(page, 0);
    const img = await untilShot(browser, page, 'after', 'the bar of mission 1',
      i => i.count(GREY, m.x + 220, m.y + BAR.y + 4, m.x + 262, m.y + BAR.y + 5) > 30);
    check(m.framed, 'the menu\'s border did not come');
    check(!img.is(m.x + MENU.x + 370, m.y + MENU.y + 100, SILVER), 'the held key did not start the mission');
    check(await page.evaluate(() => window.sameDocument === true), 'F5 reloaded the page');
    check(await modalText(page) === null, 'the slow file was reported');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },

  // What cannot work is said in words; nothing escapes as an uncaught error.
  async failures({ build, browser }) {
    let server = await serve(build, { missing: ['brisco2.wasm'] });
    await browser.start();
    let page = await browser.open(server.url);
    let text = await waitFor('the notice', () => noticeText(page), 20000);
    log('without brisco2.wasm: ' + text);
    check(/brisco2\.wasm/.test(text) && /cannot run/.test(text), 'the notice says "' + text + '"');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    await browser.shot(page, 'no-wasm');
    server.close();

    // A page file from another build: a shared value differs from the module's, and the
    // page says so rather than press the wrong keys.
    const shared = fs.readFileSync(path.join(build, 'shared_constants.js'), 'utf8');
    const other = shared.replace(/"SHIFT":\s*\d+/, '"SHIFT":1');
    check(other !== shared, 'no SHIFT in shared_constants.js');
    server = await serve(build, { replace: { 'shared_constants.js': other } });
    page = await browser.open(server.url);
    text = await waitFor('the notice', () => noticeText(page), 20000);
    log('with another build\'s shared_constants.js: ' + text);
    check(/different builds/.test(text) && /SHIFT/.test(text), 'the notice says "' + text + '"');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();

    // A decoder that cannot be fetched: the report says so, the game goes on.
    server = await serve(build, { missing: ['brisco2-decoder.wasm'] });
    page = await browser.open(server.url);
    const box = await waitFor('the report box', () => modalText(page), 20000);
    log('without the decoder: ' + box.text);
    check(/decoder/.test(box.text), 'the report says "' + box.text + '"');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();

    // A decoder that dies once it has started: the open waiting for it is answered with
    // a failure, the report says so, and the game goes on.
    server = await serve(build, { replace: { 'media_worker.js':
      "postMessage({ ready: true }); onmessage = function () { throw new Error('the decoder broke'); };" } });
    page = await browser.open(server.url);
    const died = await waitFor('the report box', () => modalText(page), 20000);
    log('a decoder that dies: ' + died.text);
    check(/decoder stopped/.test(died.text) && /broke/.test(died.text), 'the report says "' + died.text + '"');
    await page.keyboard.press('Enter');
    await waitFor('the game to go on', async () => {
      const before = await page.evaluate(() => Module.ticksOf('Timer2'));
      await sleep(100);
      return before !== null && await page.evaluate(() => Module.ticksOf('Timer2')) > before;
    }, 10000);
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();

    // Sound refused: the game plays silently.
    server = await serve(build);
    page = await browser.browser.newPage();
    await page.setViewport({ width: 900, height: 620 });
    page.errors = [];
    page.on('pageerror', e => page.errors.push(e.message));
    await page.evaluateOnNewDocument(() => {
      window.AudioContext = function () { throw new Error('refused'); };
      window.webkitAudioContext = undefined;
    });
    page.openedAt = Date.now();
    await page.goto(server.url);
    await untilMenu(browser, page, 'silent-menu');
    await page.keyboard.press('1');
    const state = await waitFor('the page to go silent', async () => {
      const st = await page.evaluate(() => BriscoMusic.state());
      return st.context === 'silent' ? st : null;
    }, 10000);
    check(await noticeText(page) === null, 'refused sound stopped the game');
    check(await modalText(page) === null, 'refused sound was reported');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
    await browser.close();

    // A browser without WebAssembly.
    server = await serve(build);
    await browser.start();
    page = await browser.browser.newPage();
    page.errors = [];
    page.on('pageerror', e => page.errors.push(e.message));
    await page.evaluateOnNewDocument(() => { delete window.WebAssembly; });
    await page.goto(server.url);
    text = await waitFor('the notice', () => noticeText(page), 20000);
    log('without WebAssembly: ' + text);
    check(/needs WebAssembly/.test(text), 'the notice says "' + text + '"');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },

  // At two device pixels to one, every picture pixel is a 2 x 2 block of one palette
  // colour: scaled without smoothing.
  async hidpi({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    const page = await browser.open(server.url, { scale: 2 });
    await waitFor('the first frame', () => page.evaluate(() => Module.stats.firstFrameAt !== null), 20000);
    await sleep(200);
    const c = await clientOf(page, 0);
    const img = await browser.shot(page, 'hidpi');
    check(img.width === 1800, 'the screenshot is ' + img.width + ' pixels wide');
    const palette = [[0, 0, 0], [128, 0, 0], [0, 128, 0], [128, 128, 0], [0, 0, 128], [128, 0, 128],
      [0, 128, 128], [128, 128, 128], [192, 192, 192], [255, 0, 0], [0, 255, 0], [255, 255, 0],
      [0, 0, 255], [255, 0, 255], [0, 255, 255], [255, 255, 255]];
    // The logo in the play field's corner: 32 x 32 picture pixels.
    let blocks = 0;
    for (let y = 0; y < 32; ++y)
      for (let x = 0; x < 32; ++x) {
        const dx = 2 * (c.x + x), dy = 2 * (c.y + y);
        const p = img.at(dx, dy);
        check(palette.some(q => same(p, q)), 'logo pixel ' + x + ',' + y + ' is ' + p + ', no palette colour');
        for (const [ox, oy] of [[1, 0], [0, 1], [1, 1]])
          check(same(img.at(dx + ox, dy + oy), p), 'logo pixel ' + x + ',' + y + ' is smoothed');
        blocks++;
      }
    check(blocks === 1024, 'checked ' + blocks + ' pixels');
    server.close();
  },

  // Maximise fills the desktop, F5 restores, minimise leaves a task button, and a window
  // dragged to another size comes back to 497 x 304 within a second.
  async windows({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    const page = await browser.open(server.url);
    await untilMenu(browser, page, 'menu');
    await page.click('#desktop .window:nth-child(1) button.max');
    const area = await page.evaluate(() => {
      const s = document.getElementById('screen');
      return { width: s.clientWidth, height: s.clientHeight };
    });
    let c = await waitFor('the window to fill the desktop', async () => {
      const w = await clientOf(page, 0);
      return w && w.outer.x === 0 && w.outer.y === 0 && w.outer.width === area.width &&
        w.outer.height === area.height ? w : null;
    }, 10000);
    await browser.shot(page, 'maximised');
    await page.keyboard.press('F5');
    c = await waitFor('F5 to restore the window', async () => {
      const w = await clientOf(page, 0);
      return w && w.outer.x === 278 && w.outer.width === 497 && w.outer.height === 304 ? w : null;
    }, 10000);

    await page.click('#desktop .window:nth-child(1) button.min');
    await waitFor('the window to go', async () => await clientOf(page, 0) === null, 10000);
    const task = await page.$('#taskbar button.task:not([hidden])');
    check(task !== null, 'no task button for the minimised window');
    await browser.shot(page, 'minimised');
    await task.click();
    c = await waitFor('the task button to restore the window', async () => {
      const w = await clientOf(page, 0);
      return w && w.outer.width === 497 ? w : null;
    }, 10000);

    // Drag the right edge 60 pixels outwards. The size lock runs once a game second and
    // may fall between the last move and the look: then the drag is tried again.
    const ex = c.outer.x + c.outer.width - 2, ey = c.outer.y + 150;
    let dragged = null;
    for (let attempt = 0; attempt < 3; ++attempt) {
      await page.mouse.move(ex, ey);
      await page.mouse.down();
      await page.mouse.move(ex + 30, ey, { steps: 3 });
      await page.mouse.move(ex + 60, ey, { steps: 3 });
      dragged = await clientOf(page, 0);
      await page.mouse.up();
      if (dragged && dragged.outer.width === 557) break;
      log('drag ' + (attempt + 1) + ': ' + (dragged ? dragged.outer.width : 'no window') + ' pixels wide');
      await waitFor('the size lock', async () => (await clientOf(page, 0))?.outer.width === 497, 10000);
    }
    check(dragged && dragged.outer.width === 557, 'dragged to ' + (dragged && dragged.outer.width) + ' pixels wide');
    // The game clock puts the size back at its next second.
    await waitFor('the size lock', async () => (await clientOf(page, 0))?.outer.width === 497, 10000);

    // Closing the main window ends the game, the second window with it.
    await page.click('#desktop .window:nth-child(1) button.close');
    const text = await waitFor('the end', () => noticeText(page), 10000);
    check(/has ended/.test(text), 'after closing: "' + text + '"');
    check(await clientOf(page, 1) === null, 'the second window outlived the main one');
    const wakes = await page.evaluate(() => Module.stats.wakes);
    await sleep(300);
    check(await page.evaluate(() => Module.stats.wakes) === wakes, 'timers ran on after the end');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },
};

main(scenarios);
