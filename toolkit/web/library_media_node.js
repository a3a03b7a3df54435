// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The music as the replay tool's module sees it under Node.js: the media libraries are
// loaded and asked synchronously (media_node.js), so nothing is ever suspended.
mergeInto(LibraryManager.library, {
  tkw_media_open: function (name, failure, size) {
    var text = Module['media'].open(UTF8ToString(name));
    if (!text) return 0;
    stringToUTF8(text, failure, size);
    return 1;
  },
});
