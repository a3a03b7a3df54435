// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Registers the service worker (sw.js) that keeps the site's files for playing without
// a network. Where the browser has no room or no permission for it (private windows,
// storage turned off, quota), the page simply goes on from the network: nothing here
// may end as an uncaught error, which the page would show as a failure.
'use strict';

(function () {
  var workers = null;
  try {
    // Some browsers throw on merely reading this where storage is blocked.
    workers = navigator.serviceWorker;
  } catch (e) {
    workers = null;
  }
  if (!workers || typeof workers.register !== 'function') return;

  function unavailable(e) {
    console.info('Brisco2: no offline copy of the game (' + (e && e.message || e) + ')');
  }

  // Without a network the check for a new build fails, and the copy plays on.
  function unchecked(e) {
    console.info('Brisco2: no check for a new version now (' + (e && e.message || e) + ')');
  }

  // At once, so that the worker keeps the page's files as they come (it fetches the
  // rest only after the start). A new build is looked for at every later visit (not
  // all browsers do that by themselves), so that it replaces the old copy at once.
  function register() {
    try {
      Promise.resolve(workers.register('sw.js', { scope: './' })).then(function (registration) {
        if (registration && registration.active && typeof registration.update === 'function') {
          Promise.resolve(registration.update()).then(null, unchecked);
        }
      }, unavailable);
    } catch (e) {
      unavailable(e);
    }
  }

  // Once the page has loaded, the worker that serves it may fetch what it has not seen
  // pass; a worker of a new build that takes the page over is told the same.
  var loaded = document.readyState === 'complete';
  function complete() {
    var controller = workers.controller;
    if (!loaded || !controller) return;
    try {
      controller.postMessage({ op: 'complete' });
    } catch (e) {
      unavailable(e);
    }
  }

  register();
  workers.addEventListener('controllerchange', complete);
  if (loaded) complete();
  else window.addEventListener('load', function () { loaded = true; complete(); });
})();
