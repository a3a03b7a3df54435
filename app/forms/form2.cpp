// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The second window: no widgets, an empty menu, one timer.
#include "app/forms/forms.h"

namespace forms {

namespace {
tk::FormDesc make() {
    tk::FormDesc d;
    d.name = "Form2";
    d.caption = "V Systeme";
    d.left = 278, d.top = 179, d.width = 496, d.height = 335;
    d.color = tk::colors::navy;
    d.font = tk::Font{"MS Sans Serif", -11, tk::colors::windowText, false, false};
    d.icon = "form2_icon";
    d.border = tk::BorderStyle::Sizeable;
    d.visible = false;
    d.menu = "MainMenu1";
    d.timers = {{"i", 2500, true, "iTimer"}};
    return d;
}
}  // namespace

const tk::FormDesc& form2() {
    static const tk::FormDesc desc = make();
    return desc;
}

}  // namespace forms
