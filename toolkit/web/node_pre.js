// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Node.js programs of the browser edition load their WebAssembly file from beside
// themselves, synchronously: the loader of this Emscripten would take Node.js's fetch
// for a browser's and fail on a file path.
Module['instantiateWasm'] = function (imports, receive) {
  var bytes = require('fs').readFileSync(__filename.replace(/\.js$/, '.wasm'));
  var instance = new WebAssembly.Instance(new WebAssembly.Module(bytes), imports);
  receive(instance);
  return instance.exports;
};
