// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The browser's side of the toolkit, start-up: loads the fonts and the game's module,
// hands the module's calls to the page's parts (window_manager.js, painter.js,
// report_box.js, input.js, media_page.js), holds everything back while the module sleeps
// in an open of the music, and says in words when the game cannot run. The game itself
// runs in brisco2.wasm; the page only shows it and hands over what the player does.
'use strict';

var Brisco = window.Brisco = window.Brisco || {};

var Module = (function (B) {
  var noticeArea = document.getElementById('notice');

  // Modifier bits of a shortcut value and window states, as the module holds them
  // (shared_constants.js, written by the build from the module's C++).
  var C = B.SHARED || {};
  B.SHIFT = C.SHIFT; B.CTRL = C.CTRL; B.ALT = C.ALT;
  B.STATE_NORMAL = C.STATE_NORMAL; B.STATE_MINIMIZED = C.STATE_MINIMIZED; B.STATE_MAXIMIZED = C.STATE_MAXIMIZED;

  var module = null;          // the module's exports, once it runs
  var suspended = false;      // the module sleeps in an open of the music
  var held = [];              // what came meanwhile, delivered when it wakes
  var wakeTimer = null;
  var ended = false;
  var failed = false;
  var stats = { startedAt: null, firstFrameAt: null, wakes: 0 };

  // --- when the game cannot run --------------------------------------------------------
  function notice(lines, button) {
    failed = true;
    noticeArea.textContent = '';
    lines.forEach(function (line) {
      var p = document.createElement('p');
      p.style.margin = '0';
      p.textContent = line;
      noticeArea.appendChild(p);
    });
    if (button) {
      var b = document.createElement('button');
      b.textContent = button.text;
      b.addEventListener('click', button.action);
      noticeArea.appendChild(b);
    }
    noticeArea.hidden = false;
  }

  function fail(what) {
    if (failed) return;
    notice(['Brisco2 cannot run in this page: ' + what + '.',
      'Reload the page to try again; if it keeps failing, the site may be missing some of its files.'],
      { text: 'Reload', action: function () { location.reload(); } });
    if (window.BriscoMusic) window.BriscoMusic.close();
    if (wakeTimer !== null) clearTimeout(wakeTimer);
  }

  // Nothing escapes to the console as an uncaught error: the page says what went wrong.
  window.addEventListener('error', function (e) {
    fail('an internal error occurred (' + (e.message || 'unknown') + ')');
    e.preventDefault();
  });
  window.addEventListener('unhandledrejection', function (e) {
    var r = e.reason;
    fail('an internal error occurred (' + (r && r.message || r) + ')');
    e.preventDefault();
  });

  // --- calls into the module -----------------------------------------------------------
  // While the module sleeps in an open, nothing else may enter it: what the player does
  // meanwhile waits, as it would in the desktop's event queue.
  function enter(fn) {
    if (ended || failed || !module) return;
    if (suspended) {
      held.push(fn);
      return;
    }
    fn(module);
  }

  function suspend() {
    suspended = true;
  }

  function resume(wakeUp) {
    suspended = false;
    wakeUp();
    while (!suspended && held.length) held.shift()(module);
  }

  B.enter = enter;
  B.hold = function (fn) { held.push(fn); };
  B.suspended = function () { return suspended; };
  B.running = function () { return !ended && !failed && !!module; };
  B.ended = function () { return ended; };

  // --- timers --------------------------------------------------------------------------
  function armWake(delayMs) {
    if (wakeTimer !== null) clearTimeout(wakeTimer);
    wakeTimer = null;
    if (delayMs < 0) return;
    wakeTimer = setTimeout(function () {
      wakeTimer = null;
      stats.wakes++;
      enter(function (m) { m._tkw_wake(); });
    }, delayMs);
  }

  // --- the first frame -----------------------------------------------------------------
  B.firstFrameDrawn = function () {
    if (stats.firstFrameAt !== null) return;
    stats.firstFrameAt = performance.now();
    if (performance.mark) performance.mark('brisco2-first-frame');
    // Once the browser has shown it, what the game needs later may load: nothing
    // competes with the first frame for the link.
    requestAnimationFrame(function () {
      setTimeout(function () { if (window.BriscoMusic) window.BriscoMusic.firstFrame(); }, 0);
    });
  };

  // --- the program ends ----------------------------------------------------------------
  function quit() {
    ended = true;
    if (wakeTimer !== null) clearTimeout(wakeTimer);
    wakeTimer = null;
    if (window.BriscoMusic) window.BriscoMusic.close();
    B.reportBox.dismissAll();
    B.wm.hideAll();
    noticeArea.textContent = '';
    var p = document.createElement('p');
    p.textContent = 'Brisco2 has ended.';
    var b = document.createElement('button');
    b.textContent = 'Play again';
    b.addEventListener('click', function () { location.reload(); });
    noticeArea.append(p, b);
    noticeArea.hidden = false;
  }

  // Calls the module with `name` in its memory; null while it cannot be entered.
  function withName(name, fn) {
    if (!module || suspended) return null;
    var bytes = new TextEncoder().encode(name + '\0');
    var p = module._malloc(bytes.length);
    module.HEAPU8.set(bytes, p);
    try {
      return fn(p);
    } finally {
      module._free(p);
    }
  }

  // The names of the shared values the page and the module disagree on ('count' when the
  // module has more or fewer).
  function differentConstants() {
    var names = Object.keys(C);
    var differ = names.filter(function (name) {
      return withName(name, function (p) { return module._tkw_constant(p); }) !== C[name];
    });
    if (module._tkw_constant_count() !== names.length) differ.push('count');
    return differ;
  }

  // --- start-up ------------------------------------------------------------------------
  function loadFonts() {
    if (!window.FontFace || !document.fonts) return Promise.resolve();
    return fetch('fonts/fonts.json').then(function (r) {
      if (!r.ok) throw new Error('HTTP ' + r.status);
      return r.json();
    }).then(function (faces) {
      return Promise.all(faces.map(function (f) {
        var face = new FontFace(f.family, 'url("' + f.file + '")', { weight: f.weight, style: f.style });
        document.fonts.add(face);
        return face.load();
      }));
    }).catch(function (e) {
      // The captions then measure in the browser's own fonts: the game still plays.
      console.warn('Brisco2: web fonts not loaded (' + (e && e.message || e) + ')');
    });
  }

  function loadModule() {
    var s = document.createElement('script');
    s.src = 'brisco2.js';
    s.onerror = function () { fail('its program file brisco2.js could not be loaded'); };
    document.body.appendChild(s);
  }

  // The module starts once the fonts are there and every part of the page has run (the
  // scripts after this one in index.html): fonts from a cache can come before the last
  // of them has.
  var parsed = new Promise(function (resolve) {
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', resolve);
    else resolve();
  });
  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    notice(['Brisco2 needs WebAssembly, which this browser does not offer.',
      'Any current version of Firefox, Chrome, Edge or Safari runs it.']);
  } else if (!B.SHARED) {
    fail('its file shared_constants.js could not be loaded');
  } else {
    Promise.all([loadFonts(), parsed]).then(loadModule);
  }

  // What the module calls (library_page.js).
  var page = {
    armWake: armWake,
    windowUpdate: function (id, props) { B.wm.windowUpdate(id, props); },
    requestFrame: function (id) { B.wm.requestFrame(id); },
    draw: function (id, list) { B.wm.draw(id, list); },
    definePicture: function (id, width, height, rgba) { B.painter.definePicture(id, width, height, rgba); },
    measure: function (font, text) { return B.painter.measure(font, text); },
    reportShow: function (id, caption, text) { B.reportBox.show(id, caption, text); },
    quit: quit,
    suspend: suspend, resume: resume,
  };

  return {
    page: page,
    // The module's file, fetched and compiled here so that a failure is said in words.
    instantiateWasm: function (imports, receive) {
      var url = 'brisco2.wasm';
      var load = typeof WebAssembly.instantiateStreaming === 'function'
        ? fetch(url).then(function (r) {
          if (!r.ok) throw new Error('HTTP ' + r.status + ' for ' + url);
          return WebAssembly.instantiateStreaming(r, imports);
        })
        : fetch(url).then(function (r) {
          if (!r.ok) throw new Error('HTTP ' + r.status + ' for ' + url);
          return r.arrayBuffer();
        }).then(function (bytes) { return WebAssembly.instantiate(bytes, imports); });
      load.then(function (result) {
        receive(result.instance, result.module);
      }, function (e) {
        fail('its program file ' + url + ' could not be loaded (' + (e && e.message || e) + ')');
      });
      return {};
    },
    onRuntimeInitialized: function () {
      module = Module;
      // main() runs next and starts the game's clock.
      stats.startedAt = performance.now();
    },
    postRun: [function () {
      // The page's shared values are the module's: a page file cached from another build
      // would press wrong keys or draw nothing, so it stops here and says so.
      var differ = differentConstants();
      if (differ.length) {
        fail('its files come from different builds (they disagree on ' + differ.join(', ') + ')');
        return;
      }
      // The shortcut values the game's menus bind, read once main() has made them:
      // they never change.
      var max = 64, buf = module._malloc(max * 4);
      var n = module._tkw_shortcuts(buf, max);
      var values = [];
      for (var i = 0; i < n; ++i) values.push(module.HEAP32[(buf >> 2) + i]);
      module._free(buf);
      B.input.setShortcuts(values);
    }],
    onAbort: function (what) {
      fail('it stopped (' + what + ')');
    },
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    // Read by the benchmarks and the browser tests.
    stats: stats,
    // The shared values the page and the module disagree on (none in a sound build).
    differentConstants: function () { return module ? differentConstants() : null; },
    // How many ticks the named timer has delivered so far (null while the module sleeps).
    ticksOf: function (name) {
      return withName(name, function (p) { return module._tkw_ticks(p); });
    },
    // Whether the named timer sleeps, its ticks passing to no effect (null while the
    // module sleeps): a sleeping timer is not held, it has nothing to do.
    asleep: function (name) {
      return withName(name, function (p) { return module._tkw_asleep(p) !== 0; });
    },
  };
})(Brisco);
