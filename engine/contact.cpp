// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Contact detection and scoring: an actor over the bar bounces back.
#include "app/main_window.h"
#include "engine/arith.h"

namespace brisco2 {

namespace {
// The fixed vertical band of the bar; the horizontal zone is the tracked edges.
constexpr int kBandTop = 88, kBandBottom = 120;

bool touches(const tk::Widget* actor) {
    return actor->left() >= BarLeft && actor->left() <= BarRight && actor->top() >= kBandTop &&
           actor->top() <= kBandBottom;
}
}  // namespace

void TForm1::swapVertical(tk::Timer& up, tk::Timer& down) {
    if (up.enabled() && bc->enabled() && !down.enabled()) {
        down.setEnabled(true);
        up.setEnabled(false);
        bc->setEnabled(false);
    }
    if (down.enabled() && bc->enabled() && !up.enabled()) {
        up.setEnabled(true);
        down.setEnabled(false);
        bc->setEnabled(false);
    }
}

void TForm1::Timer2Timer(tk::Object*) {
    auto widen = [this](int by) {
        c->setWidth(add32(c->width(), by));
        BarRight = add32(BarRight, by);
        c2b->setCaption(counterCaption("Left-:", BarRight));
    };
    auto score = [this](int by) {
        Points = add32(Points, by);
        p->setCaption(counterCaption("Points:", Points));
    };

    if (ca3->enabled() && touches(act3)) {
        bc->setEnabled(true);
        swapVertical(*bTimer46, *bTimer47);
        if (m6->enabled()) widen(2);
        widen(1);
    }
    if (ca2->enabled() && touches(act2)) {
        bc->setEnabled(true);
        score(-1);
        swapVertical(*aTimer46, *aTimer47);
        if (m6->enabled()) widen(-1);
        if (m4->enabled()) widen(-1);
    }
    if (touches(act1)) {
        bc->setEnabled(true);
        score(1);
        swapVertical(*bTimer46, *bTimer47);
        if (m3->enabled()) widen(-1);
    }
}

}  // namespace brisco2
