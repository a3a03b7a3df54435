// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The default error report: a modal box over the main window, one at a time, the oldest
// first. While it is open it holds every key, and the keys the game binds keep no
// browser meaning either.
'use strict';

(function (B) {
  var ERROR_ICON = '<svg width="32" height="32" viewBox="0 0 32 32" aria-hidden="true">' +
    '<circle cx="16" cy="16" r="14" fill="#ff0000" stroke="#800000" stroke-width="1.5"/>' +
    '<path d="M10 10 L22 22 M22 10 L10 22" stroke="#ffffff" stroke-width="3.5" stroke-linecap="square"/></svg>';

  var reports = [];           // open report boxes, oldest first
  var modal = null;

  function show(reportId, caption, text) {
    reports.push({ id: reportId, caption: caption, text: text });
    if (!modal) showFirst();
  }

  function showFirst() {
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
    ok.addEventListener('click', close);
    buttons.appendChild(ok);
    box.append(bar, body, buttons);
    modal.appendChild(box);
    var labelId = 'report-text-' + r.id;
    text.id = labelId;
    box.setAttribute('aria-describedby', labelId);
    document.body.appendChild(modal);
    // Over the middle of the main window, as the desktop's box.
    var main = B.wm.mainRect();
    var bw = box.offsetWidth, bh = box.offsetHeight;
    var cx = main && main.width ? main.left + main.width / 2 : window.innerWidth / 2;
    var cy = main && main.height ? main.top + main.height / 2 : window.innerHeight / 2;
    box.style.left = Math.max(0, Math.round(cx - bw / 2)) + 'px';
    box.style.top = Math.max(0, Math.round(cy - bh / 2)) + 'px';
    ok.focus();
  }

  function close() {
    var r = reports.shift();
    if (modal) modal.remove();
    modal = null;
    if (r) B.enter(function (m) { m._tkw_report_closed(r.id); });
    if (reports.length && !B.ended()) showFirst();
  }

  // The program has ended: no box stays.
  function dismissAll() {
    if (modal) modal.remove();
    modal = null;
  }

  document.addEventListener('keydown', function (e) {
    if (!modal) return;
    e.stopPropagation();
    if (window.BriscoMusic) window.BriscoMusic.userGesture();
    if (e.key === 'Enter' || e.key === 'Escape' || e.key === ' ') {
      e.preventDefault();
      close();
      return;
    }
    // The box holds the keys; a key the game binds keeps no browser meaning either.
    var vk = B.input.virtualKey(e);
    if (vk !== null && B.input.binds(vk | B.input.modifiers(e))) e.preventDefault();
    if (e.key === 'Tab') e.preventDefault();
  }, true);

  B.reportBox = { show: show, dismissAll: dismissAll, isOpen: function () { return modal !== null; } };
})(window.Brisco = window.Brisco || {});
