// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's music decoder: the game's own media code (brisco2-decoder.wasm, the
// desktop's tk::FfmpegMedia on a minimal FFmpeg) in a worker, so that loading it and
// decoding never hold up the game. The page asks, one request at a time:
//   { op: 'warm', name }        fetch the file now and open it, for a later open
//   { op: 'open', id, name }    open it as the desktop does: { id, failure } or
//                               { id, duration, key }
//   { op: 'decode', id }        decode what is open: { id, left, right, sampleRate }
'use strict';

var FAILURE_SIZE = 512;
var decoder = null;
var loaded = null;  // resolves once the decoder is made
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
  loaded = createDecoder({ instantiateWasm: instantiate, print: function () {}, printErr: function () {} });
  loaded.then(function (m) {
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

// Opens the fetched file as the desktop does: { failure } or { duration, key }.
function openBytes(name, got) {
  decoder._tkd_close();
  if (!got.bytes) return { failure: withFailure(decoder._tkd_fetch_failure, [got.status]) };
  place(name, got.bytes);
  var failure = withName(name, function (p) { return withFailure(decoder._tkd_open, [p]); });
  if (failure) return { failure: failure };
  if (!got.key) got.key = contentKey(got.bytes);
  return { duration: decoder._tkd_duration(), key: got.key };
}

// A file the program will open is opened as soon as it is here, so that the game's open,
// which holds the game, finds the answer ready. The file is kept for the page's life: the
// answer is the one the open would give.
var ready = null;  // { name, got, answer } of the file opened in advance
var opened = false;  // the program has opened a file: nothing is opened in advance any more

function prepare(name) {
  if (!loaded) return;
  Promise.all([fetchFile(name), loaded]).then(function (both) {
    var got = both[0];
    if (!got.bytes) return;
    queue = queue.then(function () {
      if (!opened) ready = { name: name, got: got, answer: openBytes(name, got) };
    });
  }, function () { /* said at the open */ });
}

function open(m) {
  var early = ready;
  ready = null;
  opened = true;
  return fetchFile(m.name).then(function (got) {
    var answer = early && early.name === m.name && early.got === got ? early.answer : openBytes(m.name, got);
    answer.id = m.id;
    return answer;
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
    prepare(m.name);
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
