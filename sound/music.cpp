// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Background music: opened afresh every 82 s; a failed open ends the handler.
#include "app/main_window.h"

namespace brisco2 {

namespace {
constexpr std::uint32_t kRestartMs = 82000;
}  // namespace

void TForm1::Timer4Timer(tk::Object*) {
    Media->setFileName(kMusicFile);
    Media->open();  // throws on failure: no play, no interval change
    Media->play();
    Timer4->setInterval(kRestartMs);
}

}  // namespace brisco2
