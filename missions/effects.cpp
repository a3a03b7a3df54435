// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The effect cycle of missions 7 (blink) and 8 (transfer).
#include "app/main_window.h"

namespace brisco2 {

namespace {
constexpr int kFlatHeight = 1;  // the top row of every actor picture is transparent
constexpr int kActorHeight = 33;
}  // namespace

void TForm1::tr1Timer(tk::Object*) {
    if (m8->enabled()) {
        // Bounds from the client area as it is now, not from the play field.
        for (tk::Widget* w : {act1, act1b, act2, act2b}) {
            w->setLeft(RandomBelow(Form1.clientWidth() - w->width()));
            w->setTop(RandomBelow(Form1.clientHeight() - w->height()));
        }
    }
    if (m7->enabled())
        for (tk::Widget* w : {act1, act2, act3}) w->setHeight(kFlatHeight);
    tr2->setEnabled(true);
    tr1->setEnabled(false);
}

void TForm1::tr2Timer(tk::Object*) {
    for (tk::Widget* w : {act1, act2, act3}) w->setHeight(kActorHeight);
    tr1->setEnabled(true);
    tr2->setEnabled(false);
}

}  // namespace brisco2
