// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Program entry of the browser edition: the page's clock, windows, report box and
// music around the same game as the desktop's.
#include <memory>

#include "app/main_window.h"
#include "toolkit/web/page.h"
#include "toolkit/web/web_media.h"

int main() {
    // Both live for as long as the page: the browser's event loop goes on after main()
    // returns, and its events reach them through the page's exported functions.
    auto* page = new tk::web::Page("brisco2.wasm");
    auto* game =
        new brisco2::Game(page->app(), [] { return std::make_unique<tk::web::WebMedia>(); });
    page->addWindow(game->Form1.form());
    page->addWindow(game->Form2.form());
    page->prefetch(brisco2::kMusicFile);
    page->start(game->Form1.form());
    return 0;
}
