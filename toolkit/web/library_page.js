// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The page's functions as the WebAssembly module sees them (tkw_* in imports.h). They
// only decode arguments; the page itself (page.js) does the work.
mergeInto(LibraryManager.library, {
  tkw_arm_wake: function (delayMs) {
    Module['page'].armWake(delayMs);
  },

  tkw_window_update: function (w, caption, fl, ft, fr, fb, state, enabled, visible,
                               left, top, width, height, icon) {
    Module['page'].windowUpdate(w, {
      caption: UTF8ToString(caption),
      frame: [fl, ft, fr, fb],
      state: state,
      enabled: enabled !== 0,
      visible: visible !== 0,
      left: left, top: top, width: width, height: height,
      icon: icon,
    });
  },

  tkw_request_frame: function (w) {
    Module['page'].requestFrame(w);
  },

  tkw_draw: function (w, ops, count, text) {
    // Strings travel as byte ranges of one UTF-8 buffer. The operations' codes are the
    // module's own (shared_constants.js).
    var C = window['Brisco']['SHARED'];
    var words = HEAP32.subarray(ops >> 2, (ops >> 2) + count);
    var list = [];
    for (var i = 0; i < count;) {
      var op = words[i];
      if (op === C.OP_CLIP) { list.push({ op: 'clip', x: words[i + 1], y: words[i + 2], w: words[i + 3], h: words[i + 4] }); i += 5; }
      else if (op === C.OP_FILL) { list.push({ op: 'fill', x: words[i + 1], y: words[i + 2], w: words[i + 3], h: words[i + 4], rgb: words[i + 5] }); i += 6; }
      else if (op === C.OP_TEXT) {
        list.push({
          op: 'text', x: words[i + 1], y: words[i + 2], w: words[i + 3], h: words[i + 4],
          centred: words[i + 5] !== 0, rgb: words[i + 6],
          font: UTF8ArrayToString(HEAPU8, text + words[i + 7], words[i + 8]),
          text: UTF8ArrayToString(HEAPU8, text + words[i + 9], words[i + 10]),
        });
        i += 11;
      }
      else if (op === C.OP_PICTURE) { list.push({ op: 'picture', x: words[i + 1], y: words[i + 2], id: words[i + 3] }); i += 4; }
      else break;  // an operation this page does not know: draw what came before
    }
    Module['page'].draw(w, list);
  },

  tkw_define_picture: function (id, width, height, rgba) {
    Module['page'].definePicture(id, width, height, HEAPU8.slice(rgba, rgba + width * height * 4));
  },

  tkw_measure: function (font, text, heightOut) {
    var m = Module['page'].measure(UTF8ToString(font), UTF8ToString(text));
    HEAP32[heightOut >> 2] = m.height;
    return m.width;
  },

  tkw_report_show: function (id, caption, text) {
    Module['page'].reportShow(id, UTF8ToString(caption), UTF8ToString(text));
  },

  tkw_quit: function () {
    Module['page'].quit();
  },
});
