// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The music device as the page's module sees it: Module.media (media_page.js) does the
// work. Opening suspends the module (Asyncify) until the decoder in its worker has looked
// into the file; the page holds back every other call into the module meanwhile
// (page.js).
mergeInto(LibraryManager.library, {
  tkw_media_prefetch: function (name) {
    Module['media'].prefetch(UTF8ToString(name));
  },

  tkw_media_open__deps: ['$Asyncify'],
  tkw_media_open: function (name, failure, size) {
    var fileName = UTF8ToString(name);
    return Asyncify.handleSleep(function (wakeUp) {
      Module['page'].suspend();
      Module['media'].open(fileName).then(function (text) {
        return text;
      }, function (error) {
        return String(error && error.message || error);
      }).then(function (text) {
        // Only memory is written while the module sleeps; it runs on in wakeUp.
        if (text) stringToUTF8(text, failure, size);
        Module['page'].resume(function () { wakeUp(text ? 1 : 0); });
      });
    });
  },

  tkw_media_play: function () {
    Module['media'].play();
  },

  tkw_media_close: function () {
    Module['media'].close();
  },

  tkw_media_playing: function () {
    return Module['media'].playing() ? 1 : 0;
  },
});
