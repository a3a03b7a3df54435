// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The page's side of the platform: functions the JavaScript libraries of this folder
// give the WebAssembly module. Strings are UTF-8 and live only for the call.

#include <cstdint>

extern "C" {

// --- timers -------------------------------------------------------------------------
// Wakes the module (tkw_wake) once after `delayMs`; a negative delay only cancels the
// wake-up that is pending.
void tkw_arm_wake(double delayMs);

// --- windows ------------------------------------------------------------------------
// The window's whole state as the page shows it: frame extents for its border, caption,
// state (0 normal, 1 minimised, 2 maximised), flags, outer place and size, icon.
void tkw_window_update(int window, const char* caption, int frameLeft, int frameTop, int frameRight,
                       int frameBottom, int state, int enabled, int visible, int left, int top,
                       int width, int height, int icon);
// Asks for tkw_paint of the window at the next display frame.
void tkw_request_frame(int window);
// A display list for the window's canvas: `count` 32-bit words of operations (see
// WebCanvas), strings in `text`.
void tkw_draw(int window, const std::int32_t* ops, int count, const char* text);
// A picture's pixels as 8-bit RGBA rows, transparent pixels with alpha 0.
void tkw_define_picture(int picture, int width, int height, const std::uint8_t* rgba);

// --- captions -----------------------------------------------------------------------
// The advance of `text` in the CSS font `font`; its line height goes to *height.
int tkw_measure(const char* font, const char* text, int* height);

// --- default error report -----------------------------------------------------------
void tkw_report_show(int report, const char* caption, const char* text);

// --- the program ends ---------------------------------------------------------------
void tkw_quit();

// --- music --------------------------------------------------------------------------
// Opens the named file for the player: returns 0 when it opened, else 1 with the
// media system's text for the failure in `failure` (`size` bytes, NUL included). In the
// page the module is suspended meanwhile (until the decoder has the file), so
// the call blocks the handler that made it, as on the desktop.
int tkw_media_open(const char* name, char* failure, int size);
// The program will open `name` later: the page fetches it once the first frame shows.
void tkw_media_prefetch(const char* name);
void tkw_media_play();
void tkw_media_close();
int tkw_media_playing();
}
