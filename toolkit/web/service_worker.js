// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's service worker (served as sw.js): keeps every file of the site in a cache
// of this build's own, so that after one visit the game starts, plays and has its music
// without a network.
//
// - The network comes first while there is one, so a page never mixes files of two
//   builds; the cache answers when the network fails (and for a file this worker has
//   just fetched itself).
// - Nothing competes with the game's start: the files the page fetches through this
//   worker are kept as they pass, and the rest is fetched only once the page has
//   started its music worker and gone quiet. Only what the page fetched before this
//   worker took it over (at the first visit) comes twice.
// - A new build brings a new sw.js (its file list differs); it takes over at once and
//   drops the old build's cache. A copy that cannot be made whole (no room, a file
//   missing) is dropped rather than left half made.
'use strict';

// The site's files and their revisions, written in by the build (toolkit/web/precache.js).
const FILES = self.__WB_MANIFEST;

// Named after the build: a hash of every file's name and revision, in name order.
const PREFIX = 'brisco2-';
const CACHE = PREFIX + (() => {
  let h = 0x811c9dc5;
  for (const f of FILES.slice().sort((a, b) => (a.url < b.url ? -1 : a.url > b.url ? 1 : 0))) {
    const s = f.url + ' ' + (f.revision || '') + '\n';
    for (let i = 0; i < s.length; ++i) h = Math.imul(h ^ s.charCodeAt(i), 0x01000193) >>> 0;
  }
  return h.toString(16).padStart(8, '0');
})();

const scope = new URL(self.registration.scope);
const INDEX = new URL('index.html', scope).href;
const LISTED = new Set(FILES.map(f => new URL(f.url, scope).href));
const QUIET_MS = 2000;     // no fetch for this long: the page's start is over
const PATIENCE_MS = 15000; // a page whose music worker this worker never saw start

const pending = new Map();  // URL -> promise settled once its network fetch is done
let busy = 0;               // fetches under way
let lastActivity = Date.now();
let sawWorker = false;      // a page started its music worker through this worker
const startedAt = Date.now();
const filled = new Set();   // URLs the completion fetched in this run of the worker
let filling = null;         // the copy being completed, once started
let broken = false;         // the copy failed: keep nothing more in this worker's life
let replaced = false;       // a newer build's worker is coming: its cache, not this one
let activated = false;      // this worker took over, in this run of it

// The newer worker deletes this build's cache when it takes over; nothing may make it
// again meanwhile. (A worker hears of its own installation too: that is no newer one.)
self.registration.addEventListener('updatefound', () => {
  if (activated || (self.serviceWorker && self.serviceWorker.state === 'activated')) replaced = true;
});

// The cache's key for a request: the page's address is its index.html.
function keyOf(request) {
  const url = request.url.split('#')[0];
  if (request.mode === 'navigate' && url.split('?')[0] === scope.href) return INDEX;
  return url;
}

function track(key, work) {
  busy++;
  const done = work.finally(() => {
    busy--;
    lastActivity = Date.now();
    if (pending.get(key) === done) pending.delete(key);
  });
  pending.set(key, done);
  return done;
}

async function keep(key, response) {
  if (broken || replaced || !LISTED.has(key) || response.status !== 200 || response.type !== 'basic') return;
  try {
    await (await caches.open(CACHE)).put(key, response);
  } catch (e) {
    // No room: no copy. Anything else (the page gave the file up half read) leaves the
    // file to the completion below.
    if (e && e.name === 'QuotaExceededError') await drop(e);
  }
}

async function drop(why) {
  if (broken) return;
  broken = true;
  console.warn('Brisco2: the offline copy is dropped (' + (why && why.message || why) + ')');
  try {
    await caches.delete(CACHE);
  } catch (e) {
    // No storage at all: nothing to drop.
  }
}

async function fromCache(key) {
  try {
    return await (await caches.open(CACHE)).match(key, { ignoreSearch: key === INDEX });
  } catch (e) {
    return undefined;  // no storage to read
  }
}

async function respond(event, key) {
  // The same file on its way from the network for the copy: that answer, not a second
  // download.
  const other = pending.get(key);
  if (other) await other.catch(() => {});
  if (other || filled.has(key)) {
    const kept = await fromCache(key);
    if (kept) return kept;
  }
  const fetched = fetch(event.request);
  // Kept while the page reads it, not before.
  event.waitUntil(track(key, fetched.then(r => keep(key, r.clone()))).catch(() => {}));
  try {
    return await fetched;
  } catch (failure) {
    const kept = await fromCache(key);
    if (kept) return kept;
    throw failure;
  }
}

// Fetches what the page did not, one file at a time, once the page is quiet. A file
// the page asks for after that comes from the cache: it was fetched moments ago.
async function complete() {
  // A newer build's worker waits for this one's events to end before it takes over:
  // once it comes, this one stops waiting for a quiet page.
  while (!broken && !replaced && (busy > 0 || Date.now() - lastActivity < QUIET_MS ||
         (!sawWorker && Date.now() - startedAt < PATIENCE_MS))) {
    await new Promise(resolve => setTimeout(resolve, 250));
  }
  try {
    const cache = await caches.open(CACHE);
    for (const url of LISTED) {
      if (broken || replaced) return;
      const other = pending.get(url);
      if (other) await other.catch(() => {});
      if (await cache.match(url)) continue;
      await track(url, fetch(new Request(url, { cache: 'reload' })).then(response => {
        if (response.status !== 200) throw new Error('HTTP ' + response.status + ' for ' + url);
        return cache.put(url, response);
      }));
      filled.add(url);
    }
  } catch (e) {
    await drop(e);
  }
}

self.addEventListener('install', event => {
  // Storage refused: no worker at all, and the page goes on from the network.
  event.waitUntil(caches.open(CACHE).then(() => self.skipWaiting()));
});

self.addEventListener('activate', event => {
  activated = true;
  event.waitUntil((async () => {
    // The old builds' caches go: the pages are this build's from now on.
    try {
      for (const name of await caches.keys()) {
        if (name.startsWith(PREFIX) && name !== CACHE) await caches.delete(name);
      }
    } catch (e) {
      // No storage to clean.
    }
    // The page of the first visit is served from here on too, so what it fetches later
    // (the fonts, the module, the decoder, the music) is kept as it passes.
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', event => {
  const request = event.request;
  if (request.method !== 'GET' || !request.url.startsWith(scope.href)) return;
  lastActivity = Date.now();
  event.respondWith(respond(event, keyOf(request)));
  // The page starts its music worker after its first frame: from then on the rest of
  // the copy may come.
  if (request.destination === 'worker') sawWorker = true;
  if (sawWorker && !filling) filling = complete();
  if (filling) event.waitUntil(filling);
});

// The page says it has loaded (offline.js): the same, for a page that was taken over
// only after it had started its worker (or has none), after a longer wait.
self.addEventListener('message', event => {
  if (!event.data || event.data.op !== 'complete') return;
  if (!filling) filling = complete();
  event.waitUntil(filling);
});
