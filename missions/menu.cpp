// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Title screen end, menu screen and the M key.
#include "app/main_window.h"

namespace brisco2 {

namespace {
// Where the menu screen puts the actors (left, top).
constexpr int kActor1Left = 55, kActor1Top = 23;
constexpr int kActor2Left = 155, kActor2Top = 20;
constexpr int kActor3Left = 255, kActor3Top = 23;
}  // namespace

// These steps test nothing and run whole in every state.
void TForm1::titleEndSteps(tk::Timer& own) {
    men->show();
    au->hide();
    inisi->hide();
    logo1->hide();
    vd->hide();
    c->show();
    l->show();
    brisco->show();
    Form1.setBorder(tk::BorderStyle::Sizeable);
    own.setEnabled(false);
    ca3->setEnabled(true);
    Timer7->setEnabled(true);
    st->hide();
    for (tk::Timer* t : {aTimer46, aTimer47, aTimer48, aTimer49}) t->setEnabled(false);
    for (tk::Timer* t : {bTimer46, bTimer47, bTimer48, bTimer49}) t->setEnabled(false);
    Panel3->show();
    m->show();
    act2->setLeft(kActor2Left);
    act2b->setLeft(kActor2Left);
    act1->setLeft(kActor1Left);
    act1b->setLeft(kActor1Left);
    act3->setLeft(kActor3Left);
    act3b->setLeft(kActor3Left);
    act1->setTop(kActor1Top);
    act1b->setTop(kActor1Top);
    act3->setTop(kActor3Top);
    act3b->setTop(kActor3Top);
    act2->setTop(kActor2Top);
    act2b->setTop(kActor2Top);
}

void TForm1::sTimer(tk::Object*) {
    titleEndSteps(*s);
}
void TForm1::strTimer(tk::Object*) {
    titleEndSteps(*str);
}

// Shared by the M key and the end checks; only mission 4's end stops actor 2.
void TForm1::returnToMenu(bool stopActor2) {
    Ttt->setEnabled(false);
    Left1->setEnabled(false);
    Left2->setEnabled(false);
    if (stopActor2)
        for (tk::Timer* t : {aTimer46, aTimer47, aTimer48, aTimer49}) t->setEnabled(false);
    for (tk::Timer* t : {bTimer46, bTimer47, bTimer48, bTimer49}) t->setEnabled(false);
    m->show();
}

void TForm1::MENU1Click(tk::Object*) {
    if (m7->enabled()) {
        tr2->setEnabled(true);
        tr1->setEnabled(false);
        m7->setEnabled(false);
        str->setEnabled(true);
    }
    if (m8->enabled()) {
        str->setEnabled(true);
        tr2->setEnabled(true);
        tr1->setEnabled(false);
        m8->setEnabled(false);
        s->setEnabled(true);
    }
    returnToMenu(false);
}

}  // namespace brisco2
