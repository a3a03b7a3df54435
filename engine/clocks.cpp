// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The mission clock and the game clock, which also holds the window at its size.
#include "app/forms/forms.h"
#include "app/main_window.h"
#include "engine/arith.h"

namespace brisco2 {

void TForm1::TttTimer(tk::Object*) {
    MissionSeconds = add32(MissionSeconds, 1);
    tt->setCaption(counterCaption("Time:", MissionSeconds, "s."));
}

void TForm1::Timer7Timer(tk::Object*) {
    Form1.setWidth(forms::form1().width);
    Form1.setHeight(forms::form1().height);
    GameSeconds = add32(GameSeconds, 1);
    Label5->setCaption(counterCaption("Game Time:", GameSeconds, "s."));
}

}  // namespace brisco2
