// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The music device as the module sees it, beside the open of each build
// (library_media_page.js, library_media_node.js): Module.media does the work.
mergeInto(LibraryManager.library, {
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
