// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's music decoder: the WebAssembly build of the media libraries, in a worker so
// that decoding never holds up the game. It opens and decodes what the page sends
// (media_probe.js does the asking).
'use strict';
importScripts('media_probe.js');

var core = null;
var input = null;  // { name, key } of the file in the libraries' file system

// The libraries' own file, fetched here so that a failure says what went wrong.
function instantiate(imports, receive) {
  var url = 'ffmpeg-core.wasm';
  fetch(url).then(function (r) {
    if (!r.ok) throw new Error('HTTP ' + r.status + ' for ' + url);
    return WebAssembly.instantiateStreaming(r, imports);
  }).then(function (result) {
    receive(result.instance, result.module);
  }, function (e) {
    postMessage({ loadFailure: String(e && e.message || e) });
  });
  return {};
}

try {
  importScripts('ffmpeg-core.js');
  createFFmpegCore({ instantiateWasm: instantiate }).then(function (m) {
    core = m;
    postMessage({ ready: true });
  }, function (e) {
    postMessage({ loadFailure: String(e && e.message || e) });
  });
} catch (e) {
  postMessage({ loadFailure: String(e && e.message || e) });
}

// A short fingerprint of the file's bytes: the same file is decoded once.
function contentKey(bytes) {
  var h = 2166136261;
  for (var i = 0; i < bytes.length; ++i) {
    h ^= bytes[i];
    h = Math.imul(h, 16777619) >>> 0;
  }
  return bytes.length + ':' + h.toString(16);
}

onmessage = function (e) {
  var m = e.data;
  var reply;
  try {
    if (m.op === 'probe') {
      var bytes = new Uint8Array(m.bytes);
      var key = contentKey(bytes);
      reply = BriscoMedia.probe(core, m.name, bytes);
      input = reply.failure ? null : { name: m.name, key: key };
      if (!reply.failure) reply.key = key;
      postMessage({ id: m.id, failure: reply.failure, duration: reply.duration, key: reply.key });
      return;
    }
    if (m.op === 'decode') {
      if (!input) {
        postMessage({ id: m.id, failure: 'Kein Gerät geöffnet' });
        return;
      }
      reply = BriscoMedia.decode(core, input.name);
      if (reply.failure) {
        postMessage({ id: m.id, failure: reply.failure });
        return;
      }
      postMessage({ id: m.id, left: reply.left, right: reply.right, sampleRate: reply.sampleRate },
        [reply.left.buffer, reply.right.buffer]);
    }
  } catch (err) {
    postMessage({ id: m.id, failure: String(err && err.message || err) });
  }
};
