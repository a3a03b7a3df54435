// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's service worker (served as sw.js): keeps every file of the site in a cache
// of this build's own, so that after one visit the game starts, plays and has its music
// without a network. The network comes first while there is one, so a page never mixes
// files of two builds; the cache answers only when the network fails. A new build
// brings a new sw.js (its file list differs), which fills a cache of its own and drops
// the old one on taking over.
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

self.addEventListener('install', event => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    try {
      // Past any HTTP cache: the cache must hold this build's bytes.
      await cache.addAll(FILES.map(f => new Request(new URL(f.url, scope).href, { cache: 'reload' })));
    } catch (e) {
      // A file missing or no room left: no half-filled cache stays behind, and this
      // worker never takes over (the page goes on from the network).
      await caches.delete(CACHE);
      throw e;
    }
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', event => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(PREFIX) && name !== CACHE) await caches.delete(name);
    }
    // The page of the first visit is served from here on too, so that what it fetches
    // later (the decoder, the music) comes from the cache when the network goes.
    await self.clients.claim();
  })());
});

async function fromCache(request) {
  const cache = await caches.open(CACHE);
  if (request.mode === 'navigate') {
    const url = new URL(request.url);
    if (url.href.split(/[?#]/)[0] === scope.href) return cache.match(INDEX);
    return cache.match(request, { ignoreSearch: true });
  }
  return cache.match(request);
}

self.addEventListener('fetch', event => {
  const request = event.request;
  if (request.method !== 'GET' || !request.url.startsWith(scope.href)) return;
  event.respondWith(fetch(request).catch(async failure => {
    let cached = null;
    try {
      cached = await fromCache(request);
    } catch (e) {
      // No storage to read: the request fails as it would have without this worker.
    }
    if (cached) return cached;
    throw failure;
  }));
});
