// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Actor movement, wall rebound and the frame chain.
#include "app/main_window.h"
#include "engine/arith.h"

namespace brisco2 {

namespace {
constexpr int kStep = 10;
// Rebound limits of the reference pictures.
constexpr int kMinLeft = 0, kMaxLeft = 450, kMinTop = 0, kMaxTop = 224;

void stepLeft(tk::Widget* w, int d) {
    w->setLeft(add32(w->left(), d));
}
void stepTop(tk::Widget* w, int d) {
    w->setTop(add32(w->top(), d));
}

void turn(tk::Timer* off, tk::Timer* on) {
    off->setEnabled(false);
    on->setEnabled(true);
}
}  // namespace

// a-group: actor 2
void TForm1::aTimer46Timer(tk::Object*) {
    stepTop(act2, -kStep);
    stepTop(act2b, -kStep);
}
void TForm1::aTimer47Timer(tk::Object*) {
    stepTop(act2, kStep);
    stepTop(act2b, kStep);
}
void TForm1::aTimer48Timer(tk::Object*) {
    stepLeft(act2, kStep);
    stepLeft(act2b, kStep);
}
void TForm1::aTimer49Timer(tk::Object*) {
    stepLeft(act2, -kStep);
    stepLeft(act2b, -kStep);
}

// b-group: actors 3 and 1
void TForm1::bTimer46Timer(tk::Object*) {
    for (tk::Widget* w : {act3, act3b, act1, act1b}) stepTop(w, -kStep);
}
void TForm1::bTimer47Timer(tk::Object*) {
    for (tk::Widget* w : {act3, act3b, act1, act1b}) stepTop(w, kStep);
}
void TForm1::bTimer48Timer(tk::Object*) {
    for (tk::Widget* w : {act3, act3b, act1, act1b}) stepLeft(w, kStep);
}
void TForm1::bTimer49Timer(tk::Object*) {
    for (tk::Widget* w : {act3, act3b, act1, act1b}) stepLeft(w, -kStep);
}

// Eight tests, each on its own, so a corner turns both axes in one tick.
void TForm1::Timer6Timer(tk::Object*) {
    if (act2->left() <= kMinLeft) turn(aTimer49, aTimer48);
    if (act2->left() >= kMaxLeft) turn(aTimer48, aTimer49);
    if (act2->top() <= kMinTop) turn(aTimer46, aTimer47);
    if (act2->top() > kMaxTop) turn(aTimer47, aTimer46);
    if (act1->left() <= kMinLeft) turn(bTimer49, bTimer48);
    if (act1->left() >= kMaxLeft) turn(bTimer48, bTimer49);
    if (act1->top() <= kMinTop) turn(bTimer46, bTimer47);
    if (act1->top() > kMaxTop) turn(bTimer47, bTimer46);
}

namespace {
// Within each actor one frame is hidden before the other is shown.
void showFrame(tk::Widget* hide, tk::Widget* show) {
    hide->hide();
    show->show();
}
}  // namespace

void TForm1::Timer5Timer(tk::Object*) {
    Timer9->setEnabled(true);
    Timer5->setEnabled(false);
    if (ca2->enabled()) showFrame(act2, act2b);
    if (ca3->enabled()) showFrame(act3, act3b);
    showFrame(act1, act1b);
    Timer5->setInterval(100);
}

void TForm1::Timer9Timer(tk::Object*) {
    if (ca2->enabled()) showFrame(act2b, act2);
    if (ca3->enabled()) showFrame(act3b, act3);
    Timer10->setEnabled(true);
    Timer9->setEnabled(false);
    showFrame(act1b, act1);
}

void TForm1::Timer10Timer(tk::Object*) {
    if (ca2->enabled()) showFrame(act2, act2b);
    if (ca3->enabled()) showFrame(act3, act3b);
    showFrame(act1, act1b);
    Timer11->setEnabled(true);
    Timer10->setEnabled(false);
}

void TForm1::Timer11Timer(tk::Object*) {
    if (ca2->enabled()) showFrame(act2b, act2);
    if (ca3->enabled()) showFrame(act3b, act3);
    showFrame(act1b, act1);
    Timer5->setEnabled(true);
    Timer11->setEnabled(false);
}

}  // namespace brisco2
