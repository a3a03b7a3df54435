// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The end checks of missions 1 to 8. They never disable themselves: while the
// trigger holds, every tick marks the line, judges the result and stops play again.
#include "app/main_window.h"
#include "missions/missions.h"

namespace brisco2 {

namespace missions {
// clang-format off
const std::array<EndCheck, 8> kEndChecks = {{
//   trigger                  value  win test              value  stops actor 2
    {Trigger::SecondsAtLeast, 100,   Win::PointsAtLeast,   100,   false},  // 1 = Time Record 100
    {Trigger::PointsAtLeast,  100,   Win::SecondsAtMost,   75,    false},  // 2 = Score Record 100
    {Trigger::BarAtMost,      3,     Win::SecondsAtMost,   75,    false},  // 3 = Crash Bar
    {Trigger::SecondsAtLeast, 100,   Win::PointsAtLeast,   100,   true},   // 4 = Minus-Crash
    {Trigger::SecondsAtLeast, 50,    Win::PointsAtLeast,   50,    false},  // 5 = Speed Record
    {Trigger::SecondsAtLeast, 300,   Win::PointsAtLeast,   250,   false},  // 6 = Extreme Score
    {Trigger::SecondsAtLeast, 100,   Win::PointsAtLeast,   50,    false},  // 7 = Invisible all 5s.
    {Trigger::SecondsAtLeast, 100,   Win::PointsAtLeast,   50,    false},  // 8 = Transfer all 5s.
}};
// clang-format on
}  // namespace missions

void TForm1::endCheck(int mission) {
    using namespace missions;
    const EndCheck& e = kEndChecks[std::size_t(mission - 1)];
    bool triggered = false;
    switch (e.trigger) {
        case Trigger::SecondsAtLeast:
            triggered = MissionSeconds >= e.triggerValue;
            break;
        case Trigger::PointsAtLeast:
            triggered = Points >= e.triggerValue;
            break;
        case Trigger::BarAtMost:
            triggered = c->width() <= e.triggerValue;
            break;
    }
    if (!triggered) return;
    tk::Label* const lines[8] = {l1, l2, l3, l4, l5, l6, l7, l8};
    tk::Label* line = lines[mission - 1];
    line->setColor(tk::colors::silver);
    const bool won =
        e.win == Win::PointsAtLeast ? Points >= e.winValue : MissionSeconds <= e.winValue;
    if (won) {
        line->setColor(tk::colors::green);
        va->setColor(tk::colors::green);
        va->setCaption("Winner!");
    }
    returnToMenu(e.stopsActor2);
}

void TForm1::m1Timer(tk::Object*) {
    endCheck(1);
}
void TForm1::m2Timer(tk::Object*) {
    endCheck(2);
}
void TForm1::m3Timer(tk::Object*) {
    endCheck(3);
}
void TForm1::m4Timer(tk::Object*) {
    endCheck(4);
}
void TForm1::m5Timer(tk::Object*) {
    endCheck(5);
}
void TForm1::m6Timer(tk::Object*) {
    endCheck(6);
}
void TForm1::m7Timer(tk::Object*) {
    endCheck(7);
}
void TForm1::m8Timer(tk::Object*) {
    endCheck(8);
}

}  // namespace brisco2
