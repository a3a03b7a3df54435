// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes the service worker into a built site folder with the list of every file there
// and its revision, taken by workbox-build from the folder itself: no list kept by hand.
//   node precache.js SITE SW_SOURCE   ->  SITE/sw.js
'use strict';

const path = require('path');

async function main() {
  const [site, source] = process.argv.slice(2);
  if (!site || !source) {
    console.error('usage: node precache.js SITE SW_SOURCE');
    return 2;
  }
  let workbox;
  try {
    workbox = require(path.join(__dirname, '..', '..', 'node_modules', 'workbox-build'));
  } catch (e) {
    console.error('precache.js: workbox-build is not installed (npm ci --no-audit --no-fund)');
    return 1;
  }
  const { count, size, warnings } = await workbox.injectManifest({
    swSrc: source,
    swDest: path.join(site, 'sw.js'),
    globDirectory: site,
    globPatterns: ['**/*'],
    globIgnores: ['sw.js'],
    // Every file, the decoder and the music too: none may be left out for its size.
    maximumFileSizeToCacheInBytes: 256 * 1024 * 1024,
  });
  // A warning names files left out or a list that could not be written whole.
  if (warnings.length) {
    for (const w of warnings) console.error('precache.js: ' + w);
    return 1;
  }
  if (count === 0) {
    console.error('precache.js: no file in ' + site);
    return 1;
  }
  console.log('sw.js keeps ' + count + ' files, ' + size + ' bytes');
  return 0;
}

main().then(code => process.exit(code), e => {
  console.error('precache.js: ' + (e && e.stack || e));
  process.exit(1);
});
