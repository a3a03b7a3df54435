// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Opening and decoding a music file with the WebAssembly build of the media libraries,
// as the desktop's device does: the container comes from the file's extension (the
// content is never probed for other formats), only the listed decoders may open it, and
// a failure is the libraries' own text for it. Shared by the page's decoder worker
// (media_worker.js) and the replay tool under Node.js (media_node.js).
var BriscoMedia = (function () {
  'use strict';

  // By extension: the demuxer and the decoders it may reach.
  var CONTAINERS = {
    '.wma': { demuxer: 'asf', decoders: ['wmav1', 'wmav2', 'wmapro', 'wmalossless', 'wmavoice'] },
  };
  // Keeps opening quick even on a damaged file, as on the desktop.
  var PROBE_BYTES = '65536';
  var ANALYZE_MICROS = '200000';
  // Each open gets a name of its own: the libraries' log drops a line that repeats the
  // one before, so a second failure about the same name would go unsaid.
  var opens = 0;
  var input = null;
  var OUTPUT = '/brisco2-output.pcm';
  var SAMPLE_RATE = 44100;

  function containerFor(name) {
    var slash = name.lastIndexOf('/');
    var dot = name.lastIndexOf('.');
    if (dot < 0 || dot < slash) return null;
    return CONTAINERS[name.slice(dot).toLowerCase()] || null;
  }

  // Runs one of the libraries' programs, collecting what it says.
  function run(core, program, args) {
    var out = [], err = [];
    core.setLogger(function (entry) {
      (entry.type === 'stdout' ? out : err).push(entry.message);
    });
    try {
      core[program].apply(null, args);
    } finally {
      core.setLogger(function () {});
      if (core.reset) core.reset();
    }
    return { out: out.join('\n'), err: err };
  }

  // The text of the libraries' failure report about `path` ("path: text").
  function failureAbout(path, lines) {
    for (var i = lines.length - 1; i >= 0; --i) {
      var line = lines[i];
      if (line.indexOf(path + ': ') === 0) return line.slice(path.length + 2);
    }
    return null;
  }

  function unlink(core, path) {
    try { core.FS.unlink(path); } catch (e) { /* not there */ }
  }

  // Opens `bytes` as the file `name`: { failure } or { duration, codec }. The input
  // stays in the libraries' file system for decode() until the next open.
  function probe(core, name, bytes) {
    var c = containerFor(name);
    if (!c) return { failure: 'Demuxer not found' };
    if (input) unlink(core, input);
    input = '/brisco2-input-' + (++opens);
    core.FS.writeFile(input, bytes);
    var r = run(core, 'ffprobe', ['-v', 'error', '-probesize', PROBE_BYTES,
      '-analyzeduration', ANALYZE_MICROS, '-f', c.demuxer,
      '-show_entries', 'stream=codec_type,codec_name:format=duration', '-of', 'json', input]);
    var failure = failureAbout(input, r.err);
    if (failure) return { failure: failure };
    var info;
    try { info = JSON.parse(r.out); } catch (e) { return { failure: 'Unbekannter Fehlercode' }; }
    var streams = info.streams || [];
    var audio = null;
    for (var i = 0; i < streams.length && !audio; ++i)
      if (streams[i].codec_type === 'audio') audio = streams[i];
    if (!audio) return { failure: 'Stream not found' };
    if (c.decoders.indexOf(audio.codec_name) < 0) return { failure: 'Decoder not found' };
    var duration = info.format && Number(info.format.duration);
    return { duration: isFinite(duration) ? duration : 0, codec: audio.codec_name };
  }

  // Decodes what probe() opened: { left, right } at 44100 Hz, or { failure }.
  function decode(core, name) {
    var c = containerFor(name);
    if (!c) return { failure: 'Demuxer not found' };
    if (!input) return { failure: 'Kein Gerät geöffnet' };
    unlink(core, OUTPUT);
    var r = run(core, 'exec', ['-v', 'error', '-f', c.demuxer, '-i', input, '-vn',
      '-f', 'f32le', '-ac', '2', '-ar', String(SAMPLE_RATE), OUTPUT]);
    var pcm;
    try { pcm = core.FS.readFile(OUTPUT); } catch (e) { pcm = null; }
    unlink(core, OUTPUT);
    if (!pcm || pcm.length === 0)
      return { failure: failureAbout(input, r.err) || 'Unbekannter Fehlercode' };
    var frames = Math.floor(pcm.byteLength / 8);
    var samples = new Float32Array(pcm.buffer, pcm.byteOffset, frames * 2);
    var left = new Float32Array(frames), right = new Float32Array(frames);
    for (var f = 0; f < frames; ++f) {
      left[f] = samples[2 * f];
      right[f] = samples[2 * f + 1];
    }
    return { left: left, right: right, sampleRate: SAMPLE_RATE };
  }

  return { probe: probe, decode: decode, containerFor: containerFor };
})();
