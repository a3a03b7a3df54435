// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's music decoder: the game's own media code (brisco2-decoder.wasm, the
// desktop's tk::FfmpegMedia on a minimal FFmpeg) in a worker, so that loading it and
// decoding never hold up the game. The page asks, one request at a time:
//   { op: 'warm', name }        fetch the file now, for a later open
//   { op: 'open', id, name }    open it as the desktop does: { id, failure } or
//                               { id, duration, key }
//   { op: 'decode', id }        decode what is open: { id, left, right, sampleRate }
'use strict';

var FAILURE_SIZE = 512;
var decoder = null;
var files = {};     // name -> Promise of { bytes } or { status }: fetched once a page
var queue = Promise.resolve();  // requests run one after another, in order

// The decoder's own file, fetched here so that a failure says what went wrong.
function instantiate(imports, receive) {
  var url = 'brisco2-decoder.wasm';
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
  importScripts('brisco2-decoder.js');
  createDecoder({ instantiateWasm: instantiate, print: function () {}, printErr: function () {} })
    .then(function (m) {
      decoder = m;
      postMessage({ ready: true });
    }, function (e) {
      postMessage({ loadFailure: String(e && e.message || e) });
    });
} catch (e) {
  postMessage({ loadFailure: String(e && e.message || e) });
}

// The site's files belong to one build: a file fetched whole is kept for the page's
// life, so the restarts every 82 s never wait for the network. A failed fetch is tried
// again at the next open, as the desktop looks at the folder again.
function fetchFile(name) {
  if (!files[name]) {
    files[name] = fetch(name).then(function (response) {
      if (!response.ok) return { status: response.status };
      return response.arrayBuffer().then(function (b) { return { bytes: new Uint8Array(b) }; });
    }, function () {
      return { status: 0 };
    }).then(function (got) {
      if (!got.bytes) delete files[name];
      return got;
    });
  }
  return files[name];
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

// Calls one of the decoder's functions whose last two arguments take a failure text.
function withFailure(fn, args) {
  var text = decoder._malloc(FAILURE_SIZE);
  try {
    var r = fn.apply(null, args.concat([text, FAILURE_SIZE]));
    return r ? decoder.UTF8ToString(text) || 'Unbekannter Fehlercode' : null;
  } finally {
    decoder._free(text);
  }
}

function withName(name, fn) {
  var size = decoder.lengthBytesUTF8(name) + 1;
  var p = decoder._malloc(size);
  try {
    decoder.stringToUTF8(name, p, size);
    return fn(p);
  } finally {
    decoder._free(p);
  }
}

// The file at the same path as the desktop would find it, in the decoder's memory.
var placed = null;
function place(name, bytes) {
  if (placed) {
    try { decoder.FS.unlink(placed); } catch (e) { /* gone */ }
    placed = null;
  }
  var path = name.charAt(0) === '/' ? name : decoder.FS.cwd().replace(/\/$/, '') + '/' + name;
  var dir = path.slice(0, path.lastIndexOf('/'));
  if (dir) decoder.FS.mkdirTree(dir);
  decoder.FS.writeFile(path, bytes);
  placed = path;
}

function open(m) {
  decoder._tkd_close();
  return fetchFile(m.name).then(function (got) {
    if (!got.bytes) {
      return { id: m.id, failure: withFailure(decoder._tkd_fetch_failure, [got.status]) };
    }
    place(m.name, got.bytes);
    var failure = withName(m.name, function (p) { return withFailure(decoder._tkd_open, [p]); });
    if (failure) return { id: m.id, failure: failure };
    return { id: m.id, duration: decoder._tkd_duration(), key: contentKey(got.bytes) };
  });
}

function decode(m) {
  var failure = withFailure(decoder._tkd_decode, []);
  if (failure) return { id: m.id, failure: failure };
  var frames = decoder._tkd_frames();
  var samples = new Int16Array(decoder.HEAP16.buffer, decoder._tkd_samples(), frames * 2);
  var left = new Float32Array(frames), right = new Float32Array(frames);
  for (var f = 0; f < frames; ++f) {
    left[f] = samples[2 * f] / 32768;
    right[f] = samples[2 * f + 1] / 32768;
  }
  return { id: m.id, left: left, right: right, sampleRate: decoder._tkd_sample_rate() };
}

onmessage = function (e) {
  var m = e.data;
  if (m.op === 'warm') {
    fetchFile(m.name);
    return;
  }
  queue = queue.then(function () {
    if (!decoder) throw new Error('the decoder is not loaded');
    return m.op === 'open' ? open(m) : decode(m);
  }).then(function (reply) {
    postMessage(reply, reply.left ? [reply.left.buffer, reply.right.buffer] : []);
  }, function (err) {
    postMessage({ id: m.id, failure: String(err && err.message || err) });
  });
};
