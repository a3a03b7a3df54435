// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The browser's side of the toolkit: the desktop area with the game's windows (frames,
// states, moves and resizes), painting the widget trees the module sends, keys and mouse,
// the report box, and starting the module. The game itself runs in brisco2.wasm; this
// script only shows it and hands over what the player does.
'use strict';

var Module = (function () {
  var desktop = document.getElementById('desktop');
  var screenArea = document.getElementById('screen');
  var taskbar = document.getElementById('taskbar');
  var noticeArea = document.getElementById('notice');

  // Modifier bits of a shortcut value, as the module's menus hold them.
  var SHIFT = 0x2000, CTRL = 0x4000, ALT = 0x8000;
  var STATE_NORMAL = 0, STATE_MINIMIZED = 1, STATE_MAXIMIZED = 2;

  var module = null;          // the module's exports, once it runs
  var windows = [];           // by id
  var activeId = -1;          // the window keys go to
  var zTop = 1;
  var frameRequested = false;
  var pictures = {};          // id -> canvas with the picture at its own size
  var shortcuts = new Set();  // every shortcut value the menus bind
  var reports = [];           // open report boxes, oldest first
  var modal = null;
  var suspended = false;      // the module sleeps in an open of the music
  var held = [];              // what came meanwhile, delivered when it wakes
  var wakeTimer = null;
  var ended = false;
  var failed = false;
  var captured = -1;          // the window a held mouse button went down on
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
    fn();
  }

  function suspend() {
    suspended = true;
  }

  function resume(wakeUp) {
    suspended = false;
    wakeUp();
    while (!suspended && held.length) held.shift()();
  }

  // --- timers --------------------------------------------------------------------------
  function armWake(delayMs) {
    if (wakeTimer !== null) clearTimeout(wakeTimer);
    wakeTimer = null;
    if (delayMs < 0) return;
    wakeTimer = setTimeout(function () {
      wakeTimer = null;
      stats.wakes++;
      enter(function () { module._tkw_wake(); });
    }, delayMs);
  }

  // --- pictures ------------------------------------------------------------------------
  function definePicture(id, width, height, rgba) {
    var c = document.createElement('canvas');
    c.width = width;
    c.height = height;
    var ctx = c.getContext('2d');
    var img = ctx.createImageData(width, height);
    img.data.set(rgba);
    ctx.putImageData(img, 0, 0);
    pictures[id] = c;
  }

  // The page's icon in the browser's tab: the main window's.
  function setFavicon(id) {
    if (!pictures[id]) return;
    var link = document.querySelector('link[rel="icon"]');
    link.href = pictures[id].toDataURL('image/png');
  }

  function drawIcon(target, id) {
    var ctx = target.getContext('2d');
    ctx.clearRect(0, 0, target.width, target.height);
    if (!pictures[id]) return;
    ctx.imageSmoothingEnabled = false;
    ctx.drawImage(pictures[id], 0, 0, target.width, target.height);
  }

  // --- text ----------------------------------------------------------------------------
  var measureContext = document.createElement('canvas').getContext('2d');

  function lineMetrics(ctx, font) {
    ctx.font = font;
    var m = ctx.measureText('Hg');
    return { ascent: Math.round(m.fontBoundingBoxAscent), descent: Math.round(m.fontBoundingBoxDescent) };
  }

  function measure(font, text) {
    var lm = lineMetrics(measureContext, font);
    return { width: Math.ceil(measureContext.measureText(text).width), height: lm.ascent + lm.descent };
  }

  // A caption drawn as the desktop draws it: without antialiasing, every pixel either
  // the font's colour or left alone. The canvas smooths text, so each caption is drawn
  // once off screen, cut at half coverage, and kept.
  var textImages = new Map();
  var TEXT_IMAGES_KEPT = 512;

  function textImage(font, rgb, text, scale) {
    var key = scale + '|' + font + '|' + rgb + '|' + text;
    var hit = textImages.get(key);
    if (hit) return hit;
    var scaled = scaledFont(font, scale);
    var ctx = measureContext;
    var lm = lineMetrics(ctx, scaled);
    ctx.font = scaled;
    var m = ctx.measureText(text);
    // Glyphs may reach a little left of the pen and past the advance.
    var left = Math.max(0, Math.ceil(m.actualBoundingBoxLeft || 0));
    var width = Math.ceil(Math.max(m.width, m.actualBoundingBoxRight || 0)) + left;
    var height = lm.ascent + lm.descent;
    var img = { canvas: null, left: left, advance: m.width, lineHeight: height };
    if (width > 0 && height > 0 && text.length) {
      var c = document.createElement('canvas');
      c.width = width;
      c.height = height;
      var g = c.getContext('2d', { willReadFrequently: true });
      g.font = scaled;
      g.textBaseline = 'alphabetic';
      g.fillStyle = '#000000';
      g.fillText(text, left, lm.ascent);
      var data = g.getImageData(0, 0, width, height);
      var d = data.data, r = (rgb >> 16) & 255, gr = (rgb >> 8) & 255, bl = rgb & 255;
      for (var i = 0; i < d.length; i += 4) {
        var on = d[i + 3] >= 128;
        d[i] = r; d[i + 1] = gr; d[i + 2] = bl; d[i + 3] = on ? 255 : 0;
      }
      g.putImageData(data, 0, 0);
      img.canvas = c;
    }
    if (textImages.size >= TEXT_IMAGES_KEPT) textImages.clear();
    textImages.set(key, img);
    return img;
  }

  function scaledFont(font, scale) {
    return font.replace(/(\d+)px/, function (_, px) { return (Number(px) * scale) + 'px'; });
  }

  // --- windows -------------------------------------------------------------------------
  // The window's buttons take no keyboard focus: Space and Enter would press them again.
  function keepFocus(b) {
    b.addEventListener('mousedown', function (e) { e.preventDefault(); });
  }

  function button(cls, label, text) {
    var b = document.createElement('button');
    b.className = cls;
    b.type = 'button';
    b.tabIndex = -1;
    b.setAttribute('aria-label', label);
    b.textContent = text;
    keepFocus(b);
    return b;
  }

  function makeWindow(id) {
    var w = { id: id, props: null, dirty: true, force: true, size: null, scale: 0 };
    w.el = document.createElement('div');
    w.el.className = 'window';
    w.el.hidden = true;
    w.bar = document.createElement('div');
    w.bar.className = 'titlebar';
    w.icon = document.createElement('canvas');
    w.icon.className = 'icon';
    w.icon.width = 32;
    w.icon.height = 32;
    w.caption = document.createElement('span');
    w.caption.className = 'caption';
    w.minButton = button('min', 'Minimise', '_');
    w.maxButton = button('max', 'Maximise', '\u25a1');
    w.closeButton = button('close', 'Close', '\u00d7');
    w.bar.append(w.icon, w.caption, w.minButton, w.maxButton, w.closeButton);
    w.canvas = document.createElement('canvas');
    w.canvas.className = 'client';
    w.ctx = w.canvas.getContext('2d', { alpha: false });
    w.el.append(w.bar, w.canvas);
    desktop.appendChild(w.el);
    w.task = document.createElement('button');
    w.task.type = 'button';
    w.task.tabIndex = -1;
    keepFocus(w.task);
    w.task.hidden = true;
    w.taskIcon = document.createElement('canvas');
    w.taskIcon.width = 32;
    w.taskIcon.height = 32;
    w.taskCaption = document.createElement('span');
    w.task.append(w.taskIcon, w.taskCaption);
    taskbar.appendChild(w.task);
    wireWindow(w);
    return w;
  }

  function windowOf(id) {
    if (!windows[id]) windows[id] = makeWindow(id);
    return windows[id];
  }

  function activate(w) {
    activeId = w.id;
    w.el.style.zIndex = String(++zTop);
    windows.forEach(function (o) { if (o) o.el.classList.toggle('active', o.id === w.id); });
  }

  function windowUpdate(id, props) {
    var w = windowOf(id);
    var was = w.props;
    w.props = props;
    w.caption.textContent = props.caption;
    w.taskCaption.textContent = props.caption;
    w.el.setAttribute('aria-label', props.caption);
    if (!was || was.icon !== props.icon) {
      drawIcon(w.icon, props.icon);
      drawIcon(w.taskIcon, props.icon);
      if (id === 0) setFavicon(props.icon);
    }
    // Showing a window brings it in front and makes it the active one; so does a new
    // border, which makes the window anew.
    if (props.visible && (!was || !was.visible || was.frame[1] !== props.frame[1])) activate(w);
    // A hidden window lets go of a button held over it.
    if (!props.visible && captured === id) release();
    layout(w);
  }

  // The window's outer place and size on the desktop, as its state has them.
  function outerBox(w) {
    var p = w.props;
    if (p.state === STATE_MAXIMIZED)
      return { left: screenArea.scrollLeft, top: screenArea.scrollTop, width: screenArea.clientWidth, height: screenArea.clientHeight };
    return { left: p.left, top: p.top, width: p.width, height: p.height };
  }

  function layout(w) {
    var p = w.props;
    if (!p) return;
    var f = p.frame;
    var framed = f[1] > 0;
    var minimized = p.state === STATE_MINIMIZED;
    w.el.hidden = !p.visible || minimized;
    w.task.hidden = !(p.visible && minimized);
    w.el.classList.toggle('borderless', !framed);
    w.el.classList.toggle('disabled', !p.enabled);
    w.maxButton.textContent = p.state === STATE_MAXIMIZED ? '\u2752' : '\u25a1';
    w.maxButton.setAttribute('aria-label', p.state === STATE_MAXIMIZED ? 'Restore' : 'Maximise');
    var box = outerBox(w);
    w.el.style.left = box.left + 'px';
    w.el.style.top = box.top + 'px';
    w.el.style.width = box.width + 'px';
    w.el.style.height = box.height + 'px';
    // The caption bar sits inside the top edge, as thick as the side edges.
    w.bar.style.left = f[0] + 'px';
    w.bar.style.top = f[0] + 'px';
    w.bar.style.width = Math.max(0, box.width - f[0] - f[2]) + 'px';
    w.bar.style.height = Math.max(0, f[1] - f[0]) + 'px';
    var cw = Math.max(1, box.width - f[0] - f[2]);
    var ch = Math.max(1, box.height - f[1] - f[3]);
    w.canvas.style.left = f[0] + 'px';
    w.canvas.style.top = f[1] + 'px';
    w.canvas.style.width = cw + 'px';
    w.canvas.style.height = ch + 'px';
    // The canvas holds device pixels: crisp at every pixel ratio.
    var scale = window.devicePixelRatio || 1;
    var dw = Math.max(1, Math.round(cw * scale)), dh = Math.max(1, Math.round(ch * scale));
    if (!w.size || w.size[0] !== cw || w.size[1] !== ch || w.scale !== scale) {
      w.size = [cw, ch];
      w.scale = scale;
      w.canvas.width = dw;
      w.canvas.height = dh;
      w.force = true;
    }
    requestFrame(w.id);
  }

  function requestFrame(windowId) {
    var w = windowOf(windowId);
    w.dirty = true;
    if (frameRequested) return;
    frameRequested = true;
    requestAnimationFrame(frame);
  }

  function frame() {
    frameRequested = false;
    windows.forEach(function (w) {
      if (!w || !w.props || !w.dirty) return;
      if (w.el.hidden) return;  // painted when it shows again
      var force = w.force;
      w.dirty = false;
      w.force = false;
      enter(function () { module._tkw_paint(w.id, w.size[0], w.size[1], force ? 1 : 0); });
    });
  }

  // The display list of a window, drawn in device pixels: every edge falls on a pixel.
  function draw(windowId, list) {
    var w = windowOf(windowId);
    var ctx = w.ctx;
    var s = w.scale || 1;
    function dev(v) { return Math.round(v * s); }
    function box(x, y, width, height) {
      var l = dev(x), t = dev(y);
      return [l, t, dev(x + width) - l, dev(y + height) - t];
    }
    ctx.save();
    ctx.imageSmoothingEnabled = false;
    for (var i = 0; i < list.length; ++i) {
      var c = list[i];
      var b = box(c.x, c.y, c.w, c.h);
      if (c.op === 'clip') {
        ctx.restore();
        ctx.save();
        ctx.imageSmoothingEnabled = false;
        ctx.beginPath();
        ctx.rect(b[0], b[1], b[2], b[3]);
        ctx.clip();
      } else if (c.op === 'fill') {
        ctx.fillStyle = rgbCss(c.rgb);
        ctx.fillRect(b[0], b[1], b[2], b[3]);
      } else if (c.op === 'text') {
        var t = textImage(c.font, c.rgb, c.text, s);
        var x = b[0], y = b[1];
        if (c.centred) {
          x = b[0] + Math.round((b[2] - t.advance) / 2);
          y = b[1] + Math.round((b[3] - t.lineHeight) / 2);
        }
        if (t.canvas) ctx.drawImage(t.canvas, x - t.left, y);
      } else if (c.op === 'picture') {
        var p = pictures[c.id];
        if (p) {
          var pb = box(c.x, c.y, p.width, p.height);
          ctx.drawImage(p, pb[0], pb[1], pb[2], pb[3]);
        }
      }
    }
    ctx.restore();
    if (windowId === 0 && stats.firstFrameAt === null) {
      stats.firstFrameAt = performance.now();
      if (performance.mark) performance.mark('brisco2-first-frame');
      // Once the browser has shown it, what the game needs later may load: nothing
      // competes with the first frame for the link.
      requestAnimationFrame(function () {
        setTimeout(function () { if (window.BriscoMusic) window.BriscoMusic.firstFrame(); }, 0);
      });
    }
  }

  function rgbCss(rgb) {
    return '#' + ('00000' + (rgb & 0xffffff).toString(16)).slice(-6);
  }

  // --- what the player does to the windows ----------------------------------------------
  function edgesAt(w, e) {
    var p = w.props;
    if (!p || p.frame[1] === 0 || p.state !== STATE_NORMAL) return '';
    var r = w.el.getBoundingClientRect();
    var x = e.clientX - r.left, y = e.clientY - r.top, g = p.frame[0];
    var edges = '';
    if (y < g) edges += 'n';
    else if (y >= r.height - p.frame[3]) edges += 's';
    if (x < g) edges += 'w';
    else if (x >= r.width - p.frame[2]) edges += 'e';
    return edges;
  }

  var CURSORS = { n: 'ns-resize', s: 'ns-resize', e: 'ew-resize', w: 'ew-resize',
    ne: 'nesw-resize', sw: 'nesw-resize', nw: 'nwse-resize', se: 'nwse-resize' };

  function wireWindow(w) {
    w.el.addEventListener('pointerdown', function (e) {
      if (!w.props || !w.props.enabled || ended) return;
      activate(w);
      var edges = edgesAt(w, e);
      if (edges) startDrag(w, e, edges);
    });
    w.el.addEventListener('pointermove', function (e) {
      var edges = w.props && w.props.enabled ? edgesAt(w, e) : '';
      w.el.style.cursor = CURSORS[edges] || '';
    });
    w.bar.addEventListener('pointerdown', function (e) {
      if (e.target.tagName === 'BUTTON' || !w.props || !w.props.enabled) return;
      if (w.props.state === STATE_NORMAL) startDrag(w, e, 'move');
      e.stopPropagation();
      activate(w);
    });
    w.bar.addEventListener('dblclick', function (e) {
      if (e.target.tagName === 'BUTTON') return;
      toggleMaximize(w);
    });
    w.minButton.addEventListener('click', function () { userState(w, STATE_MINIMIZED); });
    w.maxButton.addEventListener('click', function () { toggleMaximize(w); });
    w.closeButton.addEventListener('click', function () {
      if (!w.props || !w.props.enabled) return;
      enter(function () { module._tkw_user_close(w.id); });
    });
    w.task.addEventListener('click', function () {
      if (!w.props) return;
      userState(w, STATE_NORMAL);
      activate(w);
    });
    // A button held over the client area captures the mouse: keys do nothing meanwhile.
    w.canvas.addEventListener('pointerdown', function (e) {
      if (!w.props || !w.props.enabled || e.button !== 0) return;
      captured = w.id;
      enter(function () { module._tkw_mouse(w.id, 1); });
    });
  }

  function release() {
    if (captured < 0) return;
    var windowId = captured;
    captured = -1;
    enter(function () { module._tkw_mouse(windowId, 0); });
  }
  window.addEventListener('pointerup', release);
  window.addEventListener('pointercancel', release);
  window.addEventListener('blur', release);

  function toggleMaximize(w) {
    if (!w.props || !w.props.enabled || w.props.frame[1] === 0) return;
    userState(w, w.props.state === STATE_MAXIMIZED ? STATE_NORMAL : STATE_MAXIMIZED);
  }

  // The platform changes the state itself, then tells the model, as a window manager
  // does: the model does not echo it back.
  function userState(w, state) {
    if (!w.props || !w.props.enabled || w.props.state === state) return;
    w.props.state = state;
    layout(w);
    enter(function () { module._tkw_user_state(w.id, state); });
  }

  function startDrag(w, e, edges) {
    var p = w.props;
    var start = { x: e.clientX, y: e.clientY, left: p.left, top: p.top, width: p.width, height: p.height };
    var minW = p.frame[0] + p.frame[2] + 1, minH = p.frame[1] + p.frame[3] + 1;
    var target = e.currentTarget;
    target.setPointerCapture(e.pointerId);
    e.preventDefault();
    function move(ev) {
      var dx = Math.round(ev.clientX - start.x), dy = Math.round(ev.clientY - start.y);
      if (edges === 'move') {
        p.left = start.left + dx;
        p.top = start.top + dy;
        layout(w);
        enter(function () { module._tkw_user_move(w.id, p.left, p.top); });
        return;
      }
      var left = start.left, top = start.top, width = start.width, height = start.height;
      if (edges.indexOf('e') >= 0) width = Math.max(minW, start.width + dx);
      if (edges.indexOf('s') >= 0) height = Math.max(minH, start.height + dy);
      if (edges.indexOf('w') >= 0) { width = Math.max(minW, start.width - dx); left = start.left + start.width - width; }
      if (edges.indexOf('n') >= 0) { height = Math.max(minH, start.height - dy); top = start.top + start.height - height; }
      var moved = left !== p.left || top !== p.top;
      p.left = left; p.top = top; p.width = width; p.height = height;
      layout(w);
      enter(function () {
        if (moved) module._tkw_user_move(w.id, left, top);
        module._tkw_user_resize(w.id, width, height);
      });
    }
    function up(ev) {
      target.removeEventListener('pointermove', move);
      target.removeEventListener('pointerup', up);
      target.removeEventListener('pointercancel', up);
      if (target.hasPointerCapture(ev.pointerId)) target.releasePointerCapture(ev.pointerId);
    }
    target.addEventListener('pointermove', move);
    target.addEventListener('pointerup', up);
    target.addEventListener('pointercancel', up);
  }

  window.addEventListener('resize', function () {
    windows.forEach(function (w) { if (w && w.props) layout(w); });
  });

  // --- keys ----------------------------------------------------------------------------
  // The virtual-key code of a key, as the desktop's: letters by what the key types,
  // the digit row and the keypad by where they are.
  function virtualKey(e) {
    var k = e.key || '';
    if (k.length === 1) {
      var u = k.toUpperCase();
      if (u >= 'A' && u <= 'Z') return u.charCodeAt(0);
    }
    var code = e.code || '';
    var m = /^Digit([0-9])$/.exec(code);
    if (m) return 48 + Number(m[1]);
    m = /^Numpad([0-9])$/.exec(code);
    if (m) return 96 + Number(m[1]);
    m = /^F([0-9]{1,2})$/.exec(k);
    if (m && Number(m[1]) >= 1 && Number(m[1]) <= 12) return 111 + Number(m[1]);
    switch (k) {
      case ' ': return 32;
      case 'Enter': return 13;
      case 'Escape': return 27;
      case 'ArrowLeft': return 37;
      case 'ArrowUp': return 38;
      case 'ArrowRight': return 39;
      case 'ArrowDown': return 40;
    }
    return null;
  }

  document.addEventListener('keydown', function (e) {
    if (window.BriscoMusic) window.BriscoMusic.userGesture();
    if (ended || failed || !module) return;
    if (modal) return;  // the report box takes the keys (its own handler)
    var vk = virtualKey(e);
    if (vk === null) return;
    var mods = (e.shiftKey ? SHIFT : 0) | (e.ctrlKey ? CTRL : 0) | (e.altKey ? ALT : 0);
    var target = activeId >= 0 ? activeId : 0;
    if (suspended) {
      // The key waits for the module; the browser must not act on a key it will take.
      if (shortcuts.has(vk | mods)) e.preventDefault();
      held.push(function () { module._tkw_key(target, vk, mods); });
      return;
    }
    if (module._tkw_key(target, vk, mods)) e.preventDefault();
  });
  document.addEventListener('pointerdown', function () {
    if (window.BriscoMusic) window.BriscoMusic.userGesture();
  }, true);

  // --- the default error report --------------------------------------------------------
  var ERROR_ICON = '<svg width="32" height="32" viewBox="0 0 32 32" aria-hidden="true">' +
    '<circle cx="16" cy="16" r="14" fill="#ff0000" stroke="#800000" stroke-width="1.5"/>' +
    '<path d="M10 10 L22 22 M22 10 L10 22" stroke="#ffffff" stroke-width="3.5" stroke-linecap="square"/></svg>';

  function reportShow(reportId, caption, text) {
    reports.push({ id: reportId, caption: caption, text: text });
    if (!modal) showReport();
  }

  // One box at a time, the oldest first.
  function showReport() {
    var r = reports[0];
    modal = document.createElement('div');
    modal.id = 'modal';
    var box = document.createElement('div');
    box.className = 'box';
    box.setAttribute('role', 'alertdialog');
    box.setAttribute('aria-modal', 'true');
    var bar = document.createElement('div');
    bar.className = 'titlebar';
    bar.textContent = r.caption;
    var body = document.createElement('div');
    body.className = 'body';
    body.innerHTML = ERROR_ICON;
    var text = document.createElement('div');
    text.className = 'text';
    text.textContent = r.text;
    body.appendChild(text);
    var buttons = document.createElement('div');
    buttons.className = 'buttons';
    var ok = document.createElement('button');
    ok.type = 'button';
    ok.textContent = 'OK';
    ok.addEventListener('click', closeReport);
    buttons.appendChild(ok);
    box.append(bar, body, buttons);
    modal.appendChild(box);
    var labelId = 'report-text-' + r.id;
    text.id = labelId;
    box.setAttribute('aria-describedby', labelId);
    document.body.appendChild(modal);
    // Over the middle of the main window, as the desktop's box.
    var main = windows[0] && windows[0].el.getBoundingClientRect();
    var bw = box.offsetWidth, bh = box.offsetHeight;
    var cx = main && main.width ? main.left + main.width / 2 : window.innerWidth / 2;
    var cy = main && main.height ? main.top + main.height / 2 : window.innerHeight / 2;
    box.style.left = Math.max(0, Math.round(cx - bw / 2)) + 'px';
    box.style.top = Math.max(0, Math.round(cy - bh / 2)) + 'px';
    ok.focus();
  }

  function closeReport() {
    var r = reports.shift();
    if (modal) modal.remove();
    modal = null;
    if (r) enter(function () { module._tkw_report_closed(r.id); });
    if (reports.length && !ended) showReport();
  }

  document.addEventListener('keydown', function (e) {
    if (!modal) return;
    e.stopPropagation();
    if (window.BriscoMusic) window.BriscoMusic.userGesture();
    if (e.key === 'Enter' || e.key === 'Escape' || e.key === ' ') {
      e.preventDefault();
      closeReport();
      return;
    }
    var vk = virtualKey(e);
    var mods = (e.shiftKey ? SHIFT : 0) | (e.ctrlKey ? CTRL : 0) | (e.altKey ? ALT : 0);
    // The box holds the keys; a key the game binds keeps no browser meaning either.
    if (vk !== null && shortcuts.has(vk | mods)) e.preventDefault();
    if (e.key === 'Tab') e.preventDefault();
  }, true);

  // --- the program ends ----------------------------------------------------------------
  function quit() {
    ended = true;
    if (wakeTimer !== null) clearTimeout(wakeTimer);
    wakeTimer = null;
    if (window.BriscoMusic) window.BriscoMusic.close();
    if (modal) modal.remove();
    modal = null;
    windows.forEach(function (w) { if (w) { w.el.hidden = true; w.task.hidden = true; } });
    noticeArea.textContent = '';
    var p = document.createElement('p');
    p.textContent = 'Brisco2 has ended.';
    var b = document.createElement('button');
    b.textContent = 'Play again';
    b.addEventListener('click', function () { location.reload(); });
    noticeArea.append(p, b);
    noticeArea.hidden = false;
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

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    notice(['Brisco2 needs WebAssembly, which this browser does not offer.',
      'Any current version of Firefox, Chrome, Edge or Safari runs it.']);
  } else {
    loadFonts().then(loadModule);
  }

  var page = {
    armWake: armWake, windowUpdate: windowUpdate, requestFrame: requestFrame, draw: draw,
    definePicture: definePicture, measure: measure, reportShow: reportShow, quit: quit,
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
      // The shortcut values the game's menus bind, read once main() has made them:
      // they never change.
      var max = 64, buf = module._malloc(max * 4);
      var n = module._tkw_shortcuts(buf, max);
      for (var i = 0; i < n; ++i) shortcuts.add(module.HEAP32[(buf >> 2) + i]);
      module._free(buf);
    }],
    onAbort: function (what) {
      fail('it stopped (' + what + ')');
    },
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    // Read by the benchmarks and the browser tests.
    stats: stats,
    // How many ticks the named timer has delivered so far (null while the module sleeps).
    ticksOf: function (name) {
      if (!module || suspended) return null;
      var bytes = new TextEncoder().encode(name + '\0');
      var p = module._malloc(bytes.length);
      module.HEAPU8.set(bytes, p);
      var ticks = module._tkw_ticks(p);
      module._free(p);
      return ticks;
    },
  };
})();
