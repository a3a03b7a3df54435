// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Node.js programs of the browser edition load their WebAssembly file from beside
// themselves, synchronously: the loader of this Emscripten would take Node.js's fetch
// for a browser's and fail on a file path.
// A replay is over in a fraction of a second: V8's baseline code runs it sooner than the
// optimising compiler can catch up, and compiling for that only competes for the CPU.
// Functions are checked when first compiled: the music decoder is large and little of it
// ever runs.
require('v8').setFlagsFromString('--liftoff-only');
require('v8').setFlagsFromString('--wasm-lazy-validation');

Module['instantiateWasm'] = function (imports, receive) {
  var bytes = require('fs').readFileSync(__filename.replace(/\.js$/, '.wasm'));
  var instance = new WebAssembly.Instance(new WebAssembly.Module(bytes), imports);
  receive(instance);
  return instance.exports;
};
