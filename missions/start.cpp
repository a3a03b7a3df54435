// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The nine mission starts: one procedure, driven by the table below.
#include "app/main_window.h"
#include "missions/missions.h"

namespace brisco2 {

namespace missions {
// clang-format off
const std::array<Setting, 9> kSettings = {{
//   level       width BarRight act2,act2b    act3          act3b         ca2    ca3    a-group           b-group
    {"Level: 1",  50,  266,     Show::Hidden,   Show::Hidden,   Show::Hidden,   false, false, Group::AsBefore,  Group::UpLeft},
    {"Level: 2",  50,  266,     Show::Hidden,   Show::Shown,    Show::Hidden,   false, true,  Group::AsBefore,  Group::DownRight},
    {"Level: 3",  250, 466,     Show::Hidden,   Show::Hidden,   Show::Hidden,   false, false, Group::None,      Group::DownLeft},
    {"Level: 4",  100, 316,     Show::AsBefore, Show::AsBefore, Show::AsBefore, true,  false, Group::UpRight,   Group::DownLeft},
    {"Level: 5",  25,  231,     Show::Hidden,   Show::Hidden,   Show::Hidden,   false, false, Group::None,      Group::DownLeft},
    {"Level: 6",  25,  231,     Show::Hidden,   Show::Hidden,   Show::Hidden,   true,  true,  Group::DownRight, Group::DownLeft},
    {"Level: 7",  50,  256,     Show::Hidden,   Show::Hidden,   Show::Hidden,   false, false, Group::None,      Group::DownLeft},
    {"Level: 8",  50,  256,     Show::Hidden,   Show::Hidden,   Show::Hidden,   true,  false, Group::UpRight,   Group::DownLeft},
    {"Level: 9",  25,  231,     Show::Hidden,   Show::Hidden,   Show::Hidden,   false, false, Group::None,      Group::DownLeft},
}};
// clang-format on
}  // namespace missions

namespace {
using missions::Group;
using missions::Show;

void apply(Show s, tk::Widget* w) {
    if (s == Show::Shown) w->show();
    if (s == Show::Hidden) w->hide();
}

// Timers of one group in the order up, down, right, left.
void setGroup(Group g, tk::Timer* up, tk::Timer* down, tk::Timer* right, tk::Timer* left) {
    if (g == Group::AsBefore) return;
    const bool u = g == Group::UpLeft || g == Group::UpRight;
    const bool d = g == Group::DownLeft || g == Group::DownRight;
    const bool r = g == Group::UpRight || g == Group::DownRight;
    const bool l = g == Group::UpLeft || g == Group::DownLeft;
    up->setEnabled(u);
    down->setEnabled(d);
    right->setEnabled(r);
    left->setEnabled(l);
}
}  // namespace

void TForm1::startMission(int mission) {
    if (!m->visible()) return;  // digit keys act only on the menu screen
    const missions::Setting& s = missions::kSettings[std::size_t(mission - 1)];
    tk::Timer* const checks[9] = {m1, m2, m3, m4, m5, m6, m7, m8, m9};
    for (int i = 0; i < 9; ++i) checks[i]->setEnabled(i == mission - 1);
    ck->setEnabled(true);
    apply(s.act2, act2);
    apply(s.act2, act2b);
    apply(s.act3, act3);
    apply(s.act3b, act3b);
    va->setColor(tk::colors::red);
    va->setCaption("Game Over!");
    ca2->setEnabled(s.ca2);
    ca3->setEnabled(s.ca3);
    setGroup(s.aGroup, aTimer46, aTimer47, aTimer48, aTimer49);
    l->setCaption(std::string(s.level));
    c->setWidth(s.width);
    setGroup(s.bGroup, bTimer46, bTimer47, bTimer48, bTimer49);
    Left2->setEnabled(true);
    Left1->setEnabled(true);
    Ttt->setEnabled(true);
    m->hide();
    c->setLeft(missions::kBarLeft);
    BarLeft = missions::kBarLeft;
    BarRight = s.barRight;
    Points = 0;
    MissionSeconds = 0;
    // Fixed texts, not counter captions: the edges read 0 until the first key press.
    tt->setCaption("Time: 0s");
    p->setCaption("Points: 0");
    c2a->setCaption("Left+: 0");
    c2b->setCaption("Left-: 0");
}

void TForm1::res1Click(tk::Object*) {
    startMission(1);
}
void TForm1::mis21Click(tk::Object*) {
    startMission(2);
}
void TForm1::mis31Click(tk::Object*) {
    startMission(3);
}
void TForm1::mis41Click(tk::Object*) {
    startMission(4);
}
void TForm1::mis51Click(tk::Object*) {
    startMission(5);
}
void TForm1::mis61Click(tk::Object*) {
    startMission(6);
}
void TForm1::mis71Click(tk::Object*) {
    startMission(7);
}
void TForm1::mis81Click(tk::Object*) {
    startMission(8);
}
void TForm1::mis91Click(tk::Object*) {
    startMission(9);
}

}  // namespace brisco2
