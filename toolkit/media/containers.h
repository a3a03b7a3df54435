// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace tk::media {

// The containers the music device opens, by extension, and the decoders each may reach.
// Naming the demuxer keeps the library from guessing the format from the content, so a
// replaced file can only reach these few decoders.
//
// The one list for every build: scripts/build-ffmpeg reads the rows below (one a line,
// as written) to build just these parts of FFmpeg for the desktop and the browser.
struct Container {
    const char* extension;
    const char* demuxer;
    const char* decoders;  // comma-separated, as the library's whitelists take them
};
inline constexpr Container kContainers[] = {
    {".wma", "asf", "wmav1,wmav2,wmapro,wmalossless,wmavoice"},
};

}  // namespace tk::media
