// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Input: the keyboard, the touch controls and a gamepad. All three press keys through one
// path, the keyboard's: the key goes to the active window, whose menu's shortcut rule
// decides what it does (a disabled entry does nothing), a report box holds it, and while
// the module sleeps in an open of the music it waits.
'use strict';

(function (B) {
  var shortcuts = new Set();  // every shortcut value the menus bind

  // A held key repeats as a keyboard's does: after half a second, then some thirty times
  // a second; only the key pressed last repeats.
  var REPEAT_DELAY_MS = 500, REPEAT_INTERVAL_MS = 33;

  // The virtual-key code of a key the controls press, by its name in the game's table
  // (shared_constants.js): A, D, M, F5, 1 ... 9.
  function vk(name) { return B.SHARED['KEY_' + name]; }

  // --- keys ----------------------------------------------------------------------------
  // The virtual-key code of a key, as the desktop's: letters and the function and named
  // keys by what the key types, the digit row and the keypad by where they are.
  function virtualKey(e) {
    var k = e.key || '';
    if (k.length === 1) k = k.toUpperCase();
    if (Object.prototype.hasOwnProperty.call(B.KEYS_BY_KEY, k)) return B.KEYS_BY_KEY[k];
    var code = e.code || '';
    if (Object.prototype.hasOwnProperty.call(B.KEYS_BY_CODE, code)) return B.KEYS_BY_CODE[code];
    return null;
  }

  function modifiers(e) {
    return (e.shiftKey ? B.SHIFT : 0) | (e.ctrlKey ? B.CTRL : 0) | (e.altKey ? B.ALT : 0);
  }

  // Presses a key: true when the game took it (the browser then leaves it alone).
  function press(vk, mods) {
    if (!B.running() || B.reportBox.isOpen()) return false;
    var active = B.wm.activeId();
    var target = active >= 0 ? active : 0;
    if (B.suspended()) {
      // The key waits for the module; the browser must not act on a key it will take.
      B.hold(function (m) { m._tkw_key(target, vk, mods); });
      return shortcuts.has(vk | mods);
    }
    var taken = false;
    B.enter(function (m) { taken = m._tkw_key(target, vk, mods) !== 0; });
    return taken;
  }

  document.addEventListener('keydown', function (e) {
    if (window.BriscoMusic) window.BriscoMusic.userGesture();
    var vk = virtualKey(e);
    if (vk === null) return;
    if (press(vk, modifiers(e))) e.preventDefault();
  });
  document.addEventListener('pointerdown', function () {
    if (window.BriscoMusic) window.BriscoMusic.userGesture();
  }, true);

  // --- held keys -----------------------------------------------------------------------
  var repeating = null;       // { vk, source, timer }: the key that repeats now

  function stopRepeat() {
    if (repeating) clearTimeout(repeating.timer);
    repeating = null;
  }

  function holdDown(vk, source) {
    stopRepeat();
    press(vk, 0);
    var r = { vk: vk, source: source, timer: null };
    r.timer = setTimeout(function again() {
      press(vk, 0);
      r.timer = setTimeout(again, REPEAT_INTERVAL_MS);
    }, REPEAT_DELAY_MS);
    repeating = r;
  }

  function letGo(vk, source) {
    if (repeating && repeating.vk === vk && repeating.source === source) stopRepeat();
  }

  // --- touch controls ------------------------------------------------------------------
  // Large buttons beside the play field, never over it, on touch screens; a button in the
  // task bar shows or hides them. Each names the key it presses in data-key.
  var coarse = window.matchMedia ? window.matchMedia('(pointer: coarse)') : null;
  var controls = null;
  var shown = false;

  function controlButton(key, label, repeats) {
    var b = document.createElement('button');
    b.type = 'button';
    b.tabIndex = -1;
    b.className = 'key' + (repeats ? ' big' : '');
    b.dataset.key = key;
    b.setAttribute('aria-label', label);
    b.textContent = key;
    var pointers = new Set();
    function up(e) {
      if (!pointers.delete(e.pointerId)) return;
      b.classList.toggle('held', pointers.size > 0);
      if (repeats) letGo(vk(key), 'touch' + e.pointerId);
    }
    b.addEventListener('pointerdown', function (e) {
      e.preventDefault();
      if (window.BriscoMusic) window.BriscoMusic.userGesture();
      // Without the capture a touch has by default, a finger that slides off the button
      // leaves it, and lets go of its key.
      if (b.hasPointerCapture && b.hasPointerCapture(e.pointerId)) b.releasePointerCapture(e.pointerId);
      pointers.add(e.pointerId);
      b.classList.add('held');
      if (repeats) holdDown(vk(key), 'touch' + e.pointerId);
      else press(vk(key), 0);
    });
    b.addEventListener('pointerup', up);
    b.addEventListener('pointercancel', up);
    b.addEventListener('pointerleave', up);
    b.addEventListener('contextmenu', function (e) { e.preventDefault(); });
    return b;
  }

  function group(cls, buttons) {
    var g = document.createElement('div');
    g.className = 'group ' + cls;
    g.append.apply(g, buttons);
    return g;
  }

  function makeControls() {
    controls = document.createElement('div');
    controls.id = 'controls';
    controls.hidden = true;
    var digits = [];
    for (var d = 1; d <= 9; ++d) digits.push(controlButton(String(d), 'Mission ' + d, false));
    controls.append(
      group('left', [controlButton('A', 'A: bar to the left', true), controlButton('M', 'M: back to the menu', false)]),
      group('digits', digits),
      group('right', [controlButton('D', 'D: bar to the right', true), controlButton('F5', 'F5: the window\'s normal size', false)]));
    document.body.appendChild(controls);

    var tools = document.getElementById('tools');
    var toggle = document.createElement('button');
    toggle.type = 'button';
    toggle.id = 'controls-toggle';
    toggle.tabIndex = -1;
    toggle.textContent = 'Controls';
    toggle.addEventListener('click', function () { show(!shown); });
    tools.appendChild(toggle);
  }

  function show(on) {
    shown = on;
    controls.hidden = !on;
    document.getElementById('controls-toggle').setAttribute('aria-pressed', on ? 'true' : 'false');
    if (!on) stopRepeat();
    place();
  }

  function place() {
    if (controls) controls.className = window.innerWidth > window.innerHeight ? 'landscape' : 'portrait';
    B.wm.relayout();
  }

  // The screen's edges the controls take (CSS pixels): the play field is fitted inside
  // what they leave.
  function reserved() {
    var r = { left: 0, top: 0, right: 0, bottom: 0 };
    if (!controls || controls.hidden) return r;
    var boxes = Array.prototype.map.call(controls.querySelectorAll('.group'), function (g) {
      return g.getBoundingClientRect();
    });
    if (controls.className === 'landscape') {
      r.left = Math.ceil(boxes[0].right);
      r.right = Math.ceil(window.innerWidth - Math.min(boxes[1].left, boxes[2].left));
    } else {
      var screenBottom = document.getElementById('screen').getBoundingClientRect().bottom;
      r.bottom = Math.ceil(screenBottom - Math.min(boxes[0].top, boxes[1].top, boxes[2].top));
    }
    return r;
  }

  // --- fullscreen ----------------------------------------------------------------------
  function makeFullscreenButton() {
    if (!document.fullscreenEnabled || !document.documentElement.requestFullscreen) return;
    var b = document.createElement('button');
    b.type = 'button';
    b.id = 'fullscreen';
    b.tabIndex = -1;
    b.textContent = 'Fullscreen';
    b.addEventListener('click', function () {
      var done = document.fullscreenElement ? document.exitFullscreen() : document.documentElement.requestFullscreen();
      // Refused (no gesture, a frame that may not): the page stays as it is.
      if (done && done.catch) done.catch(function () {});
    });
    document.getElementById('tools').appendChild(b);
    document.addEventListener('fullscreenchange', place);
  }

  // --- gamepad -------------------------------------------------------------------------
  // Left and right on the d-pad or the left stick are A and D, held and repeated like
  // the keys; Start is M, Select (Back) is F5. A pad that goes lets go of its keys.
  var STICK = 0.5;
  var BUTTON_SELECT = 8, BUTTON_START = 9, BUTTON_LEFT = 14, BUTTON_RIGHT = 15;
  var pads = {};              // index -> what was held at the last look
  var polling = false;

  function down(pad, i) {
    var b = pad.buttons && pad.buttons[i];
    return !!b && (b.pressed || b.value > 0.5);
  }

  function readPad(pad) {
    var x = pad.axes && pad.axes.length ? pad.axes[0] : 0;
    return { left: down(pad, BUTTON_LEFT) || x < -STICK, right: down(pad, BUTTON_RIGHT) || x > STICK,
      start: down(pad, BUTTON_START), select: down(pad, BUTTON_SELECT) };
  }

  function change(index, was, now) {
    var source = 'pad' + index;
    [['left', vk('A')], ['right', vk('D')]].forEach(function (k) {
      if (now[k[0]] && !was[k[0]]) {
        if (window.BriscoMusic) window.BriscoMusic.userGesture();
        holdDown(k[1], source);
      } else if (!now[k[0]] && was[k[0]]) {
        letGo(k[1], source);
      }
    });
    if (now.start && !was.start) press(vk('M'), 0);
    if (now.select && !was.select) press(vk('F5'), 0);
  }

  var RELEASED = { left: false, right: false, start: false, select: false };

  function poll() {
    var list = [];
    try {
      list = navigator.getGamepads ? navigator.getGamepads() || [] : [];
    } catch (e) {
      list = [];
    }
    var seen = {};
    for (var i = 0; i < list.length; ++i) {
      var pad = list[i];
      if (!pad || pad.connected === false) continue;
      seen[pad.index] = true;
      var now = readPad(pad);
      change(pad.index, pads[pad.index] || RELEASED, now);
      pads[pad.index] = now;
    }
    Object.keys(pads).forEach(function (index) {
      if (seen[index]) return;
      change(index, pads[index], RELEASED);
      delete pads[index];
    });
    polling = Object.keys(pads).length > 0 || list.some(function (p) { return !!p; });
    if (polling) requestAnimationFrame(poll);
  }

  function startPolling() {
    if (polling) return;
    polling = true;
    requestAnimationFrame(poll);
  }

  window.addEventListener('gamepadconnected', startPolling);
  window.addEventListener('gamepaddisconnected', function (e) {
    var index = e.gamepad ? e.gamepad.index : null;
    if (index !== null && pads[index]) {
      change(index, pads[index], RELEASED);
      delete pads[index];
    }
  });

  // --- start ---------------------------------------------------------------------------
  makeControls();
  makeFullscreenButton();
  window.addEventListener('resize', place);
  window.addEventListener('blur', stopRepeat);
  function pointerKind() {
    var touch = !!(coarse && coarse.matches);
    document.body.classList.toggle('touch', touch);
    show(touch);
  }
  pointerKind();
  if (coarse && coarse.addEventListener) coarse.addEventListener('change', pointerKind);

  B.input = {
    virtualKey: virtualKey, modifiers: modifiers,
    binds: function (value) { return shortcuts.has(value); },
    setShortcuts: function (values) { values.forEach(function (v) { shortcuts.add(v); }); },
  };
  B.controls = {
    reserved: reserved,
    shown: function () { return shown; },
    touchScreen: function () { return !!(coarse && coarse.matches); },
  };
})(window.Brisco = window.Brisco || {});
