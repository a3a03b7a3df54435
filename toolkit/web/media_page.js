// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's music: opened and decoded by the game's own media code in a worker
// (media_worker.js, brisco2-decoder.wasm) and played through Web Audio. The decoder and
// the files the program names in advance are fetched right after the first frame is
// painted, never before it, so the game's first open finds them there.
//
// The browser keeps sound off until the player first presses a key or a button; the
// music's position runs on meanwhile, so it comes in where it would be by then and the
// restarts keep their times. Without sound (no audio in this browser, or refused) the
// game plays silently.
var BriscoMusic = (function () {
  'use strict';

  var worker = null;
  var workerReady = null;
  var nextRequest = 1;
  var pending = {};
  var audio = null;        // the AudioContext, once the player has given a gesture
  var silent = false;      // no sound in this page
  var analyser = null;
  var opened = null;       // { name, key, duration } of the open file
  var current = null;      // what play() started: { startedAt, pcm, feeding, failure }
  var buffers = {};        // decoded sound by the file's content key

  var PIECE_S = 2;          // seconds of sound per buffer handed to Web Audio
  var QUEUED_S = 6;         // seconds of sound kept queued ahead
  var FEED_EVERY_MS = 1000; // how often more is queued (a hidden tab's timers run about this often)
  var START_LEAD_S = 0.02;  // the first piece starts this far ahead, so that it is not late

  var warmed = [];          // files to fetch once the first frame is painted
  var started = false;     // the first frame is there: loading may begin

  function loadDecoder() {
    if (workerReady) return workerReady;
    workerReady = new Promise(function (resolve, reject) {
      var w;
      try {
        w = new Worker('media_worker.js');
      } catch (e) {
        reject(e);
        return;
      }
      worker = w;
      var ready = false;
      w.onmessage = function (e) {
        var m = e.data;
        if (m.ready) { ready = true; resolve(); return; }
        if (m.loadFailure) { reject(new Error(m.loadFailure)); return; }
        var p = pending[m.id];
        delete pending[m.id];
        if (p) p(m);
      };
      // A worker that fails to start, or dies later, answers every request that waits
      // with a failure: the game never waits for a reply that cannot come. The next
      // open starts a new one.
      w.onerror = w.onmessageerror = function (e) {
        if (e && e.preventDefault) e.preventDefault();
        var why = 'The music decoder stopped (' + (e && e.message || 'no reason given') + ')';
        if (!ready) reject(new Error(e && e.message || 'the decoder did not start'));
        else dropWorker(why);
      };
      warmed.forEach(function (name) { w.postMessage({ op: 'warm', name: name }); });
    });
    workerReady.catch(function (e) {
      dropWorker('The music decoder could not be loaded (' + (e && e.message || e) + ')');
    });
    return workerReady;
  }

  function dropWorker(why) {
    if (worker) worker.terminate();
    worker = null;
    workerReady = null;
    var waiting = pending;
    pending = {};
    Object.keys(waiting).forEach(function (id) { waiting[id]({ id: Number(id), failure: why }); });
  }

  function request(message, transfer) {
    return loadDecoder().then(function () {
      return new Promise(function (resolve) {
        message.id = nextRequest++;
        pending[message.id] = resolve;
        worker.postMessage(message, transfer || []);
      });
    });
  }

  // The program will open `name`: fetched with the decoder after the first frame.
  function prefetch(name) {
    if (warmed.indexOf(name) >= 0) return;
    warmed.push(name);
    if (worker) worker.postMessage({ op: 'warm', name: name });
  }

  // The first frame is painted: the decoder and the named files may come now.
  function firstFrame() {
    if (started) return;
    started = true;
    loadDecoder().catch(function () { /* said at the open that needs it */ });
  }

  // Resolves with null when the file is open, else with the text of the failure.
  function open(name) {
    close();
    return request({ op: 'open', name: name }).then(function (reply) {
      if (reply.failure) return reply.failure;
      opened = { name: name, key: reply.key, duration: reply.duration };
      return null;
    }, function (e) {
      return 'The music decoder could not be loaded (' + (e && e.message || e) + ')';
    });
  }

  // Starts from the beginning and returns at once; decoding comes after.
  function play() {
    if (!opened) return;
    stopSource();
    var file = opened;
    var started = { startedAt: performance.now(), pcm: null, feeding: null, failure: null, duration: file.duration };
    current = started;
    if (navigator.userActivation && navigator.userActivation.hasBeenActive) userGesture();
    var decoded = buffers[file.key];
    var ready = decoded ? Promise.resolve(decoded) : request({ op: 'decode' }).then(function (reply) {
      if (reply.failure) throw new Error(reply.failure);
      buffers[file.key] = reply;
      return reply;
    });
    ready.then(function (pcm) {
      if (current !== started) return;
      started.pcm = pcm;
      startSource();
    }, function (e) {
      // A failure to play is recorded, never reported.
      if (current === started) started.failure = String(e && e.message || e);
    });
  }

  function stopSource() {
    if (!current || !current.feeding) return;
    clearTimeout(current.feeding.timer);
    current.feeding.sources.forEach(function (source) {
      try { source.stop(); } catch (e) { /* never started */ }
      source.disconnect();
    });
    current.feeding = null;
  }

  function close() {
    stopSource();
    current = null;
    opened = null;
  }

  function playing() {
    return !!current && !current.failure &&
      (performance.now() - current.startedAt) / 1000 < (current.duration || Infinity);
  }

  // Sound may begin: the player has pressed a key or a button.
  function userGesture() {
    if (silent) return;
    if (!audio) {
      var Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) { silent = true; return; }
      try {
        // At the music's own rate the pieces join frame on frame; the browser converts
        // the whole stream for its output instead of each piece on its own.
        try {
          audio = new Context({ sampleRate: Brisco.SHARED.MUSIC_RATE });
        } catch (e) {
          audio = new Context();
        }
        analyser = audio.createAnalyser();
        analyser.fftSize = 2048;
        analyser.connect(audio.destination);
      } catch (e) {
        silent = true;
        audio = null;
        return;
      }
    }
    if (audio.state === 'suspended') {
      audio.resume().then(startSource, function () { silent = true; });
    } else {
      startSource();
    }
  }

  // Plays what is decoded from where the music would be by now. The sound goes to Web
  // Audio a few seconds at a time, each piece starting on the frame where the last one
  // ends: one buffer for the whole tune would be copied at once on the page's thread,
  // which held the game for a fifth of a second.
  function startSource() {
    if (!audio || audio.state !== 'running' || !current || !current.pcm || current.feeding) return;
    var pcm = current.pcm;
    var first = Math.round((performance.now() - current.startedAt) / 1000 * pcm.sampleRate);
    if (first >= pcm.left.length) return;  // over: silence until the next restart
    current.feeding = { first: first, next: first, at: audio.currentTime + START_LEAD_S, sources: [], timer: null };
    feed(current);
  }

  // Queues pieces until QUEUED_S of sound lie ahead, and looks again in a while.
  function feed(playing) {
    var f = playing.feeding, pcm = playing.pcm;
    if (!f || current !== playing) return;
    var rate = pcm.sampleRate, frames = pcm.left.length;
    while (f.next < frames && f.at + (f.next - f.first) / rate < audio.currentTime + QUEUED_S) {
      var n = Math.min(Math.round(PIECE_S * rate), frames - f.next);
      var b = audio.createBuffer(2, n, rate);
      b.copyToChannel(pcm.left.subarray(f.next, f.next + n), 0);
      b.copyToChannel(pcm.right.subarray(f.next, f.next + n), 1);
      var source = audio.createBufferSource();
      source.buffer = b;
      source.connect(analyser);
      source.onended = function () {
        var i = f.sources.indexOf(this);
        if (i >= 0) f.sources.splice(i, 1);
        this.disconnect();
      };
      source.start(f.at + (f.next - f.first) / rate);
      f.sources.push(source);
      f.next += n;
    }
    if (f.next < frames) f.timer = setTimeout(function () { feed(playing); }, FEED_EVERY_MS);
  }

  // How loud the music is right now (RMS of the last samples): 0 when silent.
  function level() {
    if (!analyser) return 0;
    var data = new Float32Array(analyser.fftSize);
    analyser.getFloatTimeDomainData(data);
    var sum = 0;
    for (var i = 0; i < data.length; ++i) sum += data[i] * data[i];
    return Math.sqrt(sum / data.length);
  }

  function state() {
    return { context: audio ? audio.state : (silent ? 'silent' : 'none'), decoderLoaded: !!worker, playing: playing() };
  }

  var media = { open: open, play: play, close: close, playing: playing, prefetch: prefetch };
  Module.media = media;
  return { userGesture: userGesture, close: close, level: level, state: state, firstFrame: firstFrame };
})();
