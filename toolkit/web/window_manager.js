// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window manager: the game's windows on the page's desktop (frames, states, moves and
// resizes, the task bar), their frames painted on request, and the view of the desktop:
// as it is on a large screen, or fitted to a small one so that the main window, frame
// and all, is wholly visible and as large as the screen allows.
'use strict';

(function (B) {
  var desktop = document.getElementById('desktop');
  var screenArea = document.getElementById('screen');
  var taskbar = document.getElementById('taskbar');

  var STATE_NORMAL = B.STATE_NORMAL, STATE_MINIMIZED = B.STATE_MINIMIZED, STATE_MAXIMIZED = B.STATE_MAXIMIZED;
  var FIT_MARGIN = 4;

  var windows = [];           // by id
  var activeId = -1;          // the window keys go to
  var zTop = 1;
  var frameRequested = false;
  var captured = -1;          // the window a held mouse button went down on
  var home = null;            // the main window's first place and size: what the view fits
  // Desktop to screen: screen = desktop * zoom + (x, y).
  var view = { fitted: false, zoom: 1, x: 0, y: 0, area: null };

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
    w.task.className = 'task';
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
      B.painter.drawIcon(w.icon, props.icon);
      B.painter.drawIcon(w.taskIcon, props.icon);
      if (id === 0) B.painter.setFavicon(props.icon);
    }
    if (id === 0 && !home) {
      home = { left: props.left, top: props.top, width: props.width, height: props.height };
      fit();
    }
    // Showing a window brings it in front and makes it the active one; so does a new
    // border, which makes the window anew.
    if (props.visible && (!was || !was.visible || was.frame[1] !== props.frame[1])) activate(w);
    // A hidden window lets go of a button held over it.
    if (!props.visible && captured === id) release();
    layout(w);
  }

  // --- the view ------------------------------------------------------------------------
  // The fitted view on a touch screen, or where the main window at its first place
  // would not be wholly visible: that place, frame included, scaled to the
  // largest size that the screen leaves beside the controls, and centred there. The desktop keeps its coordinates: the
  // windows move and size in them as before, only the view of them is scaled.
  function fit() {
    var W = screenArea.clientWidth, H = screenArea.clientHeight;
    var reserved = B.controls ? B.controls.reserved() : { left: 0, top: 0, right: 0, bottom: 0 };
    var touch = !!B.controls && B.controls.touchScreen();
    var fitted = !!home && (touch || home.left + home.width > W || home.top + home.height > H);
    var next = { fitted: fitted, zoom: 1, x: 0, y: 0, area: null };
    if (fitted) {
      var area = { x: reserved.left + FIT_MARGIN, y: reserved.top + FIT_MARGIN,
        w: Math.max(1, W - reserved.left - reserved.right - 2 * FIT_MARGIN),
        h: Math.max(1, H - reserved.top - reserved.bottom - 2 * FIT_MARGIN) };
      var zoom = Math.min(area.w / home.width, area.h / home.height);
      next.zoom = zoom;
      next.x = Math.round(area.x + (area.w - home.width * zoom) / 2 - home.left * zoom);
      next.y = Math.round(area.y + (area.h - home.height * zoom) / 2 - home.top * zoom);
      next.area = area;
    }
    var changed = next.fitted !== view.fitted || next.zoom !== view.zoom || next.x !== view.x || next.y !== view.y;
    view = next;
    document.body.classList.toggle('fitted', fitted);
    desktop.style.transform = fitted ? 'translate(' + view.x + 'px, ' + view.y + 'px) scale(' + view.zoom + ')' : '';
    if (changed) windows.forEach(function (w) { if (w && w.props) layout(w); });
  }

  // --- layout --------------------------------------------------------------------------
  // The window's outer place and size on the desktop, as its state has them. Maximised,
  // a window fills what the view shows of the desktop.
  function outerBox(w) {
    var p = w.props;
    if (p.state === STATE_MAXIMIZED) {
      if (view.fitted) {
        var a = view.area;
        return { left: Math.round((a.x - view.x) / view.zoom), top: Math.round((a.y - view.y) / view.zoom),
          width: Math.floor(a.w / view.zoom), height: Math.floor(a.h / view.zoom) };
      }
      return { left: screenArea.scrollLeft, top: screenArea.scrollTop, width: screenArea.clientWidth, height: screenArea.clientHeight };
    }
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
    // The canvas holds device pixels, the view's scale included: crisp at every size.
    var scale = (window.devicePixelRatio || 1) * view.zoom;
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
      B.enter(function (m) { m._tkw_paint(w.id, w.size[0], w.size[1], force ? 1 : 0); });
    });
  }

  function draw(windowId, list) {
    B.painter.draw(windowOf(windowId), list);
    if (windowId === 0) B.firstFrameDrawn();
  }

  // --- what the player does to the windows ----------------------------------------------
  function edgesAt(w, e) {
    var p = w.props;
    if (!p || p.frame[1] === 0 || p.state !== STATE_NORMAL) return '';
    var r = w.el.getBoundingClientRect();
    var x = (e.clientX - r.left) / view.zoom, y = (e.clientY - r.top) / view.zoom, g = p.frame[0];
    var height = r.height / view.zoom, width = r.width / view.zoom;
    var edges = '';
    if (y < g) edges += 'n';
    else if (y >= height - p.frame[3]) edges += 's';
    if (x < g) edges += 'w';
    else if (x >= width - p.frame[2]) edges += 'e';
    return edges;
  }

  var CURSORS = { n: 'ns-resize', s: 'ns-resize', e: 'ew-resize', w: 'ew-resize',
    ne: 'nesw-resize', sw: 'nesw-resize', nw: 'nwse-resize', se: 'nwse-resize' };

  function wireWindow(w) {
    w.el.addEventListener('pointerdown', function (e) {
      if (!w.props || !w.props.enabled || B.ended()) return;
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
      B.enter(function (m) { m._tkw_user_close(w.id); });
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
      B.enter(function (m) { m._tkw_mouse(w.id, 1); });
    });
  }

  function release() {
    if (captured < 0) return;
    var windowId = captured;
    captured = -1;
    B.enter(function (m) { m._tkw_mouse(windowId, 0); });
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
    B.enter(function (m) { m._tkw_user_state(w.id, state); });
  }

  function startDrag(w, e, edges) {
    var p = w.props;
    var start = { x: e.clientX, y: e.clientY, left: p.left, top: p.top, width: p.width, height: p.height };
    var minW = p.frame[0] + p.frame[2] + 1, minH = p.frame[1] + p.frame[3] + 1;
    var target = e.currentTarget;
    var zoom = view.zoom;
    target.setPointerCapture(e.pointerId);
    e.preventDefault();
    function move(ev) {
      var dx = Math.round((ev.clientX - start.x) / zoom), dy = Math.round((ev.clientY - start.y) / zoom);
      if (edges === 'move') {
        p.left = start.left + dx;
        p.top = start.top + dy;
        layout(w);
        B.enter(function (m) { m._tkw_user_move(w.id, p.left, p.top); });
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
      B.enter(function (m) {
        if (moved) m._tkw_user_move(w.id, left, top);
        m._tkw_user_resize(w.id, width, height);
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

  function relayout() {
    fit();
    windows.forEach(function (w) { if (w && w.props) layout(w); });
  }
  window.addEventListener('resize', relayout);

  // The program has ended: no window shows any more.
  function hideAll() {
    windows.forEach(function (w) { if (w) { w.el.hidden = true; w.task.hidden = true; } });
  }

  // Where the main window shows on the screen (CSS pixels), or null.
  function mainRect() {
    var w = windows[0];
    return w && !w.el.hidden ? w.el.getBoundingClientRect() : null;
  }

  B.wm = {
    windowUpdate: windowUpdate, requestFrame: requestFrame, draw: draw, relayout: relayout,
    hideAll: hideAll, mainRect: mainRect,
    activeId: function () { return activeId; },
    view: function () { return view; },
  };
})(window.Brisco = window.Brisco || {});
