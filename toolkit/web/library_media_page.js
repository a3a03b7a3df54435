// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The music as the page's module sees it. Opening suspends the module (Asyncify) until
// the page has fetched the file and the decoder has looked into it; the page holds back
// every other call into the module meanwhile (page.js).
mergeInto(LibraryManager.library, {
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
});
