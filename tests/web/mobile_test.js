// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page on phones and tablets: the main window fitted to the screen beside the touch
// controls, the controls pressing keys through the keyboard's path, a gamepad, and the
// desktop's layout left as it is on a large screen. Chromium emulates the devices (touch
// events over the DevTools protocol); Firefox runs what needs no emulation.
'use strict';

const { COLOURS, check, clientOf, log, main, serve, sleep, waitFor } = require('./browser');

const { NAVY, SILVER, GREY } = COLOURS;
const MENU = { x: 56, y: 56 };     // the menu panel `m` on the play field
const BAR_Y = 116;                 // a row through the bar `c`

const DEVICES = {
  'phone-portrait': { width: 360, height: 640, deviceScaleFactor: 3 },
  'tall-phone-portrait': { width: 390, height: 844, deviceScaleFactor: 3 },
  'phone-landscape': { width: 844, height: 390, deviceScaleFactor: 3, isLandscape: true },
  'tablet-portrait': { width: 820, height: 1180, deviceScaleFactor: 2 },
};

async function openDevice(browser, url, device, { beforeLoad } = {}) {
  const page = await browser.browser.newPage();
  page.errors = [];
  page.on('pageerror', e => page.errors.push(e.message));
  await page.emulate({
    viewport: Object.assign({ isMobile: true, hasTouch: true }, device),
    userAgent: 'Mozilla/5.0 (Linux; Android 14; Phone) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/140.0 Mobile Safari/537.36',
  });
  // A touch screen's pointer is coarse: the page shows its controls for it.
  const cdp = await page.createCDPSession();
  await cdp.send('Emulation.setEmitTouchEventsForMouse', { enabled: true, configuration: 'mobile' });
  if (beforeLoad) await beforeLoad(page);
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  page.device = device;
  return page;
}

// The screenshot's pixel at CSS point (x, y).
function cssAt(img, page, x, y) {
  const s = page.device ? page.device.deviceScaleFactor : 1;
  return img.at(Math.round(x * s), Math.round(y * s));
}

function same(p, q) { return p[0] === q[0] && p[1] === q[1] && p[2] === q[2]; }

async function zoomOf(page) {
  return page.evaluate(() => Brisco.wm.view().zoom);
}

async function menuShown(browser, page, label) {
  const c = await clientOf(page, 0);
  if (!c || !c.framed) return false;
  const z = await zoomOf(page);
  const img = await browser.shot(page, label);
  return same(cssAt(img, page, c.x + (MENU.x + 10) * z, c.y + (MENU.y + 10) * z), NAVY) &&
    same(cssAt(img, page, c.x + (MENU.x + 370) * z, c.y + (MENU.y + 100) * z), SILVER);
}

async function untilMenu(browser, page, label) {
  return waitFor('the menu', () => menuShown(browser, page, label), 20000, 100);
}

// Where the bar shows on the play field (its first grey pixel from the left, past its
// light edge), read off a screenshot; null when no bar shows.
async function barLeft(browser, page, label) {
  const c = await clientOf(page, 0);
  const z = await zoomOf(page);
  const img = await browser.shot(page, label);
  const y = c.y + BAR_Y * z;
  for (let x = c.x; x < c.x + c.width; x += 0.5)
    if (same(cssAt(img, page, x, y), GREY)) return Math.round((x - c.x) / z);
  return null;
}

async function controlBoxes(page) {
  return page.evaluate(() => Array.from(document.querySelectorAll('#controls [data-key]')).map(b => {
    const r = b.getBoundingClientRect();
    return { key: b.dataset.key, x: r.left, y: r.top, width: r.width, height: r.height,
      shown: !!b.offsetParent };
  }));
}

function overlaps(a, b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

async function keyCentre(page, key) {
  const b = (await controlBoxes(page)).find(k => k.key === key);
  check(b && b.shown, 'no shown control for ' + key);
  return { x: b.x + b.width / 2, y: b.y + b.height / 2 };
}

// Raw touch points over the DevTools protocol: several fingers at once, and moves.
async function touch(page, type, points) {
  const cdp = page.touchCdp || (page.touchCdp = await page.createCDPSession());
  await cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: points.map((p, i) => ({ x: p.x, y: p.y, id: p.id === undefined ? i : p.id })),
  });
}

// Mission 1 has begun: the menu has gone and the bar shows. Returns where it is.
async function untilMission(browser, page, label) {
  return waitFor('mission 1', async () => !(await menuShown(browser, page, label)) &&
    await barLeft(browser, page, label), 10000, 100);
}

async function startMission1(browser, page) {
  const one = await keyCentre(page, '1');
  await page.touchscreen.tap(one.x, one.y);
  return untilMission(browser, page, 'mission');
}

const scenarios = {
  // On every screen the main window, frame included, is wholly visible, no control
  // covers it, and each control is large enough to touch.
  async fit({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    for (const [name, device] of Object.entries(DEVICES)) {
      const page = await openDevice(browser, server.url, device);
      await untilMenu(browser, page, name);
      const c = await clientOf(page, 0);
      const o = c.outer;
      log(name + ': main window ' + JSON.stringify(o) + ', zoom ' + (await zoomOf(page)).toFixed(2));
      check(o.x >= 0 && o.y >= 0 && o.x + o.width <= device.width + 0.5 && o.y + o.height <= device.height + 0.5,
        name + ': the main window ' + JSON.stringify(o) + ' is not wholly inside ' + device.width + 'x' + device.height);
      const keys = await controlBoxes(page);
      check(keys.length === 13 && keys.every(k => k.shown), name + ': ' + keys.filter(k => k.shown).length + ' of 13 controls shown');
      for (const k of keys) {
        check(k.width >= 44 && k.height >= 44, name + ': ' + k.key + ' is ' + k.width + 'x' + k.height);
        check(!overlaps(k, c), name + ': ' + k.key + ' covers the play field');
        check(k.x >= 0 && k.y >= 0 && k.x + k.width <= device.width + 0.5 && k.y + k.height <= device.height + 0.5,
          name + ': ' + k.key + ' is off the screen');
      }
      // As large as the screen allows: the window fills one side of what is left.
      const area = await page.evaluate(() => Brisco.wm.view().area);
      check(Math.abs(o.width - area.w) < 2 || Math.abs(o.height - area.h) < 2,
        name + ': the window ' + o.width + 'x' + o.height + ' does not fill ' + area.w + 'x' + area.h);
      check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
      await page.close();
    }
    server.close();
  },

  // In landscape: a tap on 1 starts mission 1, D held for a second moves the bar on and
  // on, a finger sliding off a held button lets go, two fingers on A and D act as both
  // keys held (the last one pressed repeats), and M goes back to the menu.
  async touchPlay({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    const page = await openDevice(browser, server.url, DEVICES['phone-landscape']);
    await untilMenu(browser, page, 'menu');
    const start = await startMission1(browser, page);

    const d = await keyCentre(page, 'D');
    await touch(page, 'touchStart', [d]);
    await sleep(1000);
    await touch(page, 'touchEnd', []);
    const held = await barLeft(browser, page, 'held-d');
    log('after D held for a second: bar at ' + held);
    check(held >= start + 10 * 5, 'D held for a second moved the bar from ' + start + ' to ' + held + ' only');

    // Slide off: the key stops repeating once the finger leaves the button.
    const a = await keyCentre(page, 'A');
    await touch(page, 'touchStart', [a]);
    await sleep(700);
    await touch(page, 'touchMove', [{ x: a.x, y: a.y - 150 }]);
    await sleep(100);
    const slid = await barLeft(browser, page, 'slid');
    await sleep(600);
    const later = await barLeft(browser, page, 'slid-later');
    await touch(page, 'touchEnd', []);
    check(slid < held, 'A held did not move the bar left (' + held + ' to ' + slid + ')');
    check(later === slid, 'a finger off the button still moves the bar (' + slid + ' to ' + later + ')');

    // Two fingers: A down, then D down; D is the key pressed last and repeats.
    const before = await barLeft(browser, page, 'two-before');
    await touch(page, 'touchStart', [{ x: a.x, y: a.y, id: 1 }]);
    await sleep(100);
    await touch(page, 'touchStart', [{ x: a.x, y: a.y, id: 1 }, { x: d.x, y: d.y, id: 2 }]);
    await sleep(1000);
    await touch(page, 'touchEnd', []);
    const both = await barLeft(browser, page, 'two-after');
    log('A then D held: bar from ' + before + ' to ' + both);
    check(both > before, 'A then D held did not move the bar right (' + before + ' to ' + both + ')');

    const m = await keyCentre(page, 'M');
    await page.touchscreen.tap(m.x, m.y);
    await waitFor('the menu after M', () => menuShown(browser, page, 'back'), 10000);
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },

  // A report box holds the touch controls as it holds the keys.
  async touchReport({ build, browser }) {
    const server = await serve(build, { missing: ['Brisco.wma'] });
    await browser.start();
    const page = await openDevice(browser, server.url, DEVICES['phone-landscape']);
    await waitFor('the report box', () => page.evaluate(() => !!document.querySelector('#modal .box')), 20000);
    const one = await keyCentre(page, '1');
    await page.touchscreen.tap(one.x, one.y);
    await sleep(300);
    check(await menuShown(browser, page, 'held'), 'a control reached the game behind the report box');
    await page.keyboard.press('Enter');
    await waitFor('the box to close', () => page.evaluate(() => !document.querySelector('#modal')), 5000);
    await page.touchscreen.tap(one.x, one.y);
    await untilMission(browser, page, 'after');
    server.close();
  },

  // The button in the task bar hides the controls and shows them again; the window stays
  // wholly visible, as large as before or larger, and centred in what they leave.
  async toggle({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    const device = DEVICES['phone-landscape'];
    const page = await openDevice(browser, server.url, device);
    await untilMenu(browser, page, 'shown');
    const withControls = (await clientOf(page, 0)).outer;
    await page.tap('#controls-toggle');
    await waitFor('the controls to go', async () => (await controlBoxes(page)).every(k => !k.shown), 5000);
    const without = await waitFor('the window centred on the screen', async () => {
      const o = (await clientOf(page, 0)).outer;
      return Math.abs(o.x + o.width / 2 - device.width / 2) < 2 ? o : null;
    }, 5000);
    log('main window ' + JSON.stringify(withControls) + ' with the controls, ' + JSON.stringify(without) + ' without');
    check(without.width >= withControls.width - 0.5 && without.x >= 0 && without.x + without.width <= device.width + 0.5,
      'without the controls the window is ' + JSON.stringify(without));
    await page.tap('#controls-toggle');
    await waitFor('the controls to come back', async () => (await controlBoxes(page)).every(k => k.shown), 5000);
    const c = await waitFor('the window back beside them', async () => {
      const w = await clientOf(page, 0);
      return (await controlBoxes(page)).every(k => !overlaps(k, w)) ? w : null;
    }, 5000);
    check(c.outer.width >= withControls.width - 0.5, 'the window shrank');
    server.close();
  },

  // A large screen with a mouse: the windows at their places, no controls, no tools.
  async desktop({ build, browser, engine }) {
    const server = await serve(build);
    await browser.start();
    const page = await browser.open(server.url, { width: 1280, height: 900 });
    await waitFor('the second window', () => clientOf(page, 1), 20000);
    const m = await waitFor('the framed main window', async () => {
      const c = await clientOf(page, 0);
      return c && c.framed ? c : null;
    }, 20000);
    const s = await clientOf(page, 1);
    check(m.outer.x === 278 && m.outer.y === 208 && m.outer.width === 497 && m.outer.height === 304,
      engine + ': the main window is at ' + JSON.stringify(m.outer));
    check(s.outer.x === 278 && s.outer.y === 179, engine + ': the second window is at ' + JSON.stringify(s.outer));
    check((await controlBoxes(page)).every(k => !k.shown), 'touch controls on a desktop');
    check(await page.evaluate(() => getComputedStyle(document.getElementById('tools')).display === 'none'),
      'the touch tools show on a desktop');
    check(await page.evaluate(() => !document.body.classList.contains('fitted')), 'the desktop is fitted');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },

  // A gamepad: right on the d-pad held moves the bar on and on, Start is M; a pad
  // unplugged mid-hold lets go of its key.
  async gamepad({ build, browser }) {
    const server = await serve(build);
    await browser.start();
    const page = await browser.open(server.url, { width: 1280, height: 900 });
    await page.evaluate(() => {
      const buttons = Array.from({ length: 17 }, () => ({ pressed: false, value: 0 }));
      window.testPad = { index: 0, id: 'test pad', connected: true, mapping: 'standard', axes: [0, 0, 0, 0], buttons };
      window.testPads = [window.testPad];
      navigator.getGamepads = () => window.testPads;
      const e = new Event('gamepadconnected');
      e.gamepad = window.testPad;
      window.dispatchEvent(e);
    });
    await untilMenu(browser, page, 'menu');
    await page.keyboard.press('1');
    const start = await untilMission(browser, page, 'mission');
    await page.evaluate(() => { window.testPad.buttons[15].pressed = true; });
    await sleep(1000);
    await page.evaluate(() => { window.testPad.buttons[15].pressed = false; });
    const moved = await barLeft(browser, page, 'pad-right');
    log('after right held on the pad for a second: bar at ' + moved);
    check(moved >= start + 10 * 5, 'the pad moved the bar from ' + start + ' to ' + moved + ' only');
    // The left stick, then the pad goes away while held.
    await page.evaluate(() => { window.testPad.axes[0] = -1; });
    await sleep(700);
    await page.evaluate(() => {
      window.testPads = [];
      const e = new Event('gamepaddisconnected');
      e.gamepad = window.testPad;
      window.dispatchEvent(e);
    });
    await sleep(100);
    const gone = await barLeft(browser, page, 'pad-gone');
    await sleep(600);
    const later = await barLeft(browser, page, 'pad-gone-later');
    check(gone < moved, 'the stick did not move the bar left (' + moved + ' to ' + gone + ')');
    check(later === gone, 'the unplugged pad still moves the bar (' + gone + ' to ' + later + ')');
    check(page.errors.length === 0, 'page errors: ' + page.errors.join('; '));
    server.close();
  },
};

main(scenarios);
