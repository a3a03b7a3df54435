// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay tool's music under Node.js: the file is read from the current folder and
// opened with the same WebAssembly media libraries as in the page, synchronously, so
// an open blocks the handler that asked for it exactly as on the desktop. Nothing is
// played: the tool runs on a simulated clock.
Module['media'] = (function () {
  'use strict';
  var fs = require('fs');
  var path = require('path');

  // The system's texts for the failures a file can meet before the libraries see it.
  var ERRNO_TEXT = {
    ENOENT: 'No such file or directory',
    EACCES: 'Permission denied',
    EPERM: 'Operation not permitted',
    EISDIR: 'Is a directory',
    ENOTDIR: 'Not a directory',
    ELOOP: 'Too many levels of symbolic links',
    ENAMETOOLONG: 'File name too long',
    EIO: 'Input/output error',
    EMFILE: 'Too many open files',
    ENOMEM: 'Cannot allocate memory',
  };

  var core = null;
  var opened = null;
  var playing = false;
  // The last file the libraries opened, by what the file system says of it: the same
  // unchanged file opens the same way again, without asking the libraries once more
  // (the music restarts every 82 s).
  var lastOpened = null;

  function errnoText(e) {
    return ERRNO_TEXT[e && e.code] || 'Unbekannter Fehlercode';
  }

  // The media libraries, compiled and started synchronously on the first open.
  function loadCore() {
    var dir = __dirname;
    // The libraries' loader expects a worker's global scope.
    if (typeof globalThis.self === 'undefined') globalThis.self = { location: { href: path.join(dir, 'ffmpeg-core.js') } };
    var create = require(path.join(dir, 'ffmpeg-core.js'));
    var wasm = fs.readFileSync(path.join(dir, 'ffmpeg-core.wasm'));
    var m = {
      print: function () {},
      printErr: function () {},
      instantiateWasm: function (imports, receive) {
        var instance = new WebAssembly.Instance(new WebAssembly.Module(wasm), imports);
        receive(instance);
        return instance.exports;
      },
    };
    create(m);  // resolves later, but with a synchronous instance it is ready now
    if (!m.calledRun || typeof m.ffprobe !== 'function') throw new Error('the media libraries did not start');
    return m;
  }

  function open(name) {
    close();
    var st;
    try {
      st = fs.statSync(name, { throwIfNoEntry: false });
    } catch (e) {
      return errnoText(e);
    }
    if (!st) return ERRNO_TEXT.ENOENT;
    // Only a regular file: a directory is no music, a named pipe would block.
    if (st.isDirectory()) return ERRNO_TEXT.EISDIR;
    if (!st.isFile()) return 'Invalid argument';
    if (!BriscoMedia.containerFor(name)) return 'Demuxer not found';
    var identity = [name, st.dev, st.ino, st.size, st.mtimeMs, st.ctimeMs].join(':');
    if (lastOpened === identity) {
      opened = name;
      return null;
    }
    var bytes;
    try { bytes = fs.readFileSync(name); } catch (e) { return errnoText(e); }
    try {
      if (!core) core = loadCore();
    } catch (e) {
      return 'Cannot load the media libraries (' + (e && e.message || e) + ')';
    }
    var r = BriscoMedia.probe(core, name, new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.length));
    if (r.failure) {
      lastOpened = null;
      return r.failure;
    }
    lastOpened = identity;
    opened = name;
    return null;
  }

  function play() {
    playing = opened !== null;
  }

  function close() {
    opened = null;
    playing = false;
  }

  return { open: open, play: play, close: close, playing: function () { return playing; } };
})();
