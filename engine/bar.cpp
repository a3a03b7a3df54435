// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Bar control: keys D and A.
#include "app/main_window.h"
#include "engine/arith.h"

namespace brisco2 {

namespace {
constexpr int kBarStep = 10;
}

void TForm1::barMove(int step) {
    c->setLeft(add32(c->left(), step));
    BarLeft = add32(BarLeft, step);
    c2a->setCaption(counterCaption("Left+:", BarLeft));
    BarRight = add32(BarRight, step);
    c2b->setCaption(counterCaption("Left-:", BarRight));
}

void TForm1::Left1Click(tk::Object*) {
    if (m5->enabled()) barMove(kBarStep);  // mission 5 doubles the step
    barMove(kBarStep);
}

void TForm1::Left2Click(tk::Object*) {
    if (m5->enabled()) barMove(-kBarStep);
    barMove(-kBarStep);
}

}  // namespace brisco2
