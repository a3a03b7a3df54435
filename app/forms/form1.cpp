// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's widget tree: window properties, widgets in creation order,
// timers in creation order, and the hidden menu that carries the key bindings.
#include "app/forms/forms.h"

namespace forms {

namespace {
using tk::Color;
using tk::Font;
using tk::WidgetKind;
namespace c = tk::colors;

constexpr auto panel = WidgetKind::Panel;
constexpr auto label = WidgetKind::Label;
constexpr auto picture = WidgetKind::Picture;
constexpr auto media = WidgetKind::MediaPlayer;
constexpr bool yes = true, no = false;
constexpr auto none = std::nullopt;

Font font(const char* name, int height, Color color, bool bold = false, bool italic = false) {
    return Font{name, height, color, bold, italic};
}
const Font bold = font("MS Sans Serif", -11, c::black, true);

tk::FormDesc make() {
    tk::FormDesc d;
    d.name = "Form1";
    d.caption = "VD Brisco2";
    d.left = 278, d.top = 208, d.width = 497, d.height = 304;
    d.color = c::navy;
    d.font = font("MS Sans Serif", -11, c::windowText);
    d.icon = "form1_icon";
    d.border = tk::BorderStyle::Sizeable;
    d.visible = false;  // shown when the event loop starts
    d.onCreate = "FormCreate";
    d.menu = "MainMenu1";

    // clang-format off
    d.widgets = {
    // name       kind     parent    left top  w    h    caption         font                                                   background  visible picture
    {"Label1",   label,   "Form1",   8,  16, 113,  20, "Server Value", font("MS Sans Serif", -16, c::red, true, true),         none,       yes},
    {"Panel1",   panel,   "Form1",  96, 224, 297,  25, "Please PRES",  none,                                                   none,       yes, "", false},
    {"x",        panel,   "Form1",   0,   0, 489, 249, "x",            none,                                                   none,       no},
    {"st",       panel,   "Form1",   0,   0, 497, 305, none,           none,                                                   c::black,   yes},
    {"Image1",   picture, "st",      0,   0, 497, 305, none,           none,                                                   none,       yes},
    {"Panel2",   panel,   "Form1",   0,   0, 489, 249, "Panel2",       none,                                                   c::black,   yes},
    {"brisco",   label,   "Panel2",  1,   1, 115,  22, "Brisco2",      font("Neurochrome", -19, c::white),                     none,       no},
    {"act1",     picture, "Panel2",  0,   0,  33,  33, none,           none,                                                   none,       no,  "act1"},
    {"Image2",   picture, "Panel2", 323, 104, 33,  33, none,           none,                                                   none,       no,  "act1"},
    {"act1b",    picture, "Panel2",  0,   0,  33,  33, none,           none,                                                   none,       yes, "act1b"},
    {"l",        label,   "Panel2", 128,  8,  38,  13, "Level: 0",     font("MS Sans Serif", -11, c::white),                   none,       no},
    {"vd",       label,   "Panel2",  48,  72, 383, 106, "Velgard",     font("Algerian", -96, c::yellow, true),                 none,       yes},
    {"inisi",    label,   "Panel2", 184, 184,  93,  16, "Ovin Tessaly", font("System", -13, c::silver, true),                  none,       yes},
    {"au",       label,   "Panel2", 210, 168,  45,  16, "Auteur:",     font("System", -13, c::silver, true),                   none,       yes},
    {"act2",     picture, "Panel2",  88,   0,  33,  33, none,          none,                                                   none,       yes, "act2"},
    {"act2b",    picture, "Panel2",  88,   0,  33,  33, none,          none,                                                   none,       yes, "act2b"},
    {"act3",     picture, "Panel2", 176,   0,  33,  33, none,          none,                                                   none,       yes, "act3"},
    {"act3b",    picture, "Panel2", 176,   0,  33,  33, none,          none,                                                   none,       yes, "act3b"},
    {"logo1",    picture, "Panel2",   0,   0, 105, 105, none,          none,                                                   none,       yes, "logo1"},
    {"men",      label,   "Panel2", 224,   8,  48,  13, "M = Menu",    font("MS Sans Serif", -11, c::white),                   none,       no},
    {"c",        panel,   "Panel2", 216, 112,  50,   9, none,          none,                                                   c::grey,    no},
    {"Panel3",   panel,   "Panel2", 296,   8, 185,  41, none,          none,                                                   none,       no},
    {"c2a",      label,   "Panel3",   8,   8,  27,  13, "Left +",      none,                                                   none,       yes},
    {"c2b",      label,   "Panel3",   8,  24,  24,  13, "Left -",      none,                                                   none,       yes},
    {"c2c",      label,   "Panel3", 144,   8,  18,  13, "c2c",         none,                                                   none,       no},
    {"c2d",      label,   "Panel3", 144,  24,  18,  13, "c2d",         none,                                                   none,       no},
    {"p",        label,   "Panel3",  72,   8,   3,  13, "",            none,                                                   none,       yes},
    {"tt",       label,   "Panel3",  72,  24,   3,  13, "",            none,                                                   none,       yes},
    {"m",        panel,   "Panel2",  56,  56, 377, 177, none,          none,                                                   none,       no},
    // the mission list, children of the menu panel
    {"l1",       label,   "m",        8,  64, 100,  13, "1 = Time Record 100",   none,                                         none,       yes},
    {"Label5",   label,   "m",      256, 160,  57,  13, "Game Time:",            none,                                         none,       yes},
    {"Label3",   label,   "m",      360, 160,   8,  13, "-/",                    none,                                         none,       yes},
    {"Label4",   label,   "m",       24,  80,  61,  13, "Score: 100p.",          none,                                         none,       yes},
    {"l2",       label,   "m",        8,  96, 105,  13, "2 = Score Record 100",  none,                                         none,       yes},
    {"Label7",   label,   "m",       24, 112,  49,  13, "Time: 75s.",            none,                                         none,       yes},
    {"l3",       label,   "m",        8, 128,  64,  13, "3 = Crash Bar",         none,                                         none,       yes},
    {"Label9",   label,   "m",       24, 144,  49,  13, "Time: 75s.",            none,                                         none,       yes},
    {"Label10",  label,   "m",        8,  48,  68,  13, "Brisco Games:",         none,                                         none,       yes},
    {"va",       label,   "m",      304,  48,  53,  13, "Welcome",               bold,                                         none,       yes},
    {"l4",       label,   "m",      144,  64,  76,  13, "4 = Minus-Crash",       none,                                         none,       yes},
    {"Label12",  label,   "m",      160,  80,  61,  13, "Score: 100p.",          none,                                         none,       yes},
    {"l5",       label,   "m",      144,  96,  87,  13, "5 = Speed Record",      none,                                         none,       yes},
    {"Label14",  label,   "m",      160, 112,  55,  13, "Score: 50p.",           none,                                         none,       yes},
    {"l6",       label,   "m",      144, 128,  87,  13, "6 = Extreme Score",     none,                                         none,       yes},
    {"Label16",  label,   "m",      160, 144,  52,  13, "Score: 100",            none,                                         none,       yes},
    {"l7",       label,   "m",      264,  64,  86,  13, "7 = Invisible all 5s.", none,                                         none,       yes},
    {"Label18",  label,   "m",      280,  80,  55,  13, "Score: 50p.",           none,                                         none,       yes},
    {"l8",       label,   "m",      264,  96,  87,  13, "8 = Transfer all 5s.",  none,                                         none,       yes},
    {"Label20",  label,   "m",      280, 112,  54,  13, "Score: 50s.",           none,                                         none,       yes},
    {"l9",       label,   "m",      264, 128,  45,  13, "9 = Editor",            none,                                         none,       yes},
    {"Panel4",   panel,   "m",        0,   0, 377,  41, "Menu",  font("MS Sans Serif", -19, c::white, true),                   c::navy,    yes},
    {"Media",    media,   "Panel2", 184,  48, 253,  30, none,          none,                                                   none,       no},
    };

    d.timers = {
    // name        interval enabled handler
    {"tr",         1000,    no,     ""},
    {"Tst",        100,     no,     ""},
    {"s",          3000,    yes,    "sTimer"},
    {"s1",         1,       yes,    "s1Timer"},
    {"bTimer48",   1,       yes,    "bTimer48Timer"},
    {"bTimer49",   1,       no,     "bTimer49Timer"},
    {"bTimer47",   1,       no,     "bTimer47Timer"},
    {"Timer4",     3000,    yes,    "Timer4Timer"},
    {"bTimer46",   1,       yes,    "bTimer46Timer"},
    {"Timer6",     1,       yes,    "Timer6Timer"},
    {"Timer2",     1,       yes,    "Timer2Timer"},
    {"Ttt",        1000,    no,     "TttTimer"},
    {"m1",         1,       no,     "m1Timer"},
    {"m2",         1,       no,     "m2Timer"},
    {"m3",         1,       no,     "m3Timer"},
    {"bc",         1000,    no,     ""},
    {"Timer1",     1000,    yes,    ""},
    {"Timer3",     1000,    yes,    ""},
    {"Timer5",     3000,    yes,    "Timer5Timer"},
    {"Timer9",     500,     no,     "Timer9Timer"},
    {"Timer10",    500,     no,     "Timer10Timer"},
    {"Timer11",    300,     no,     "Timer11Timer"},
    {"Timer7",     1000,    no,     "Timer7Timer"},
    {"aTimer46",   1,       yes,    "aTimer46Timer"},
    {"aTimer49",   1,       no,     "aTimer49Timer"},
    {"aTimer47",   1,       no,     "aTimer47Timer"},
    {"aTimer48",   1,       yes,    "aTimer48Timer"},
    {"ca3",        1000,    yes,    ""},
    {"ca2",        1000,    yes,    ""},
    {"m4",         1,       no,     "m4Timer"},
    {"m5",         1,       no,     "m5Timer"},
    {"m6",         1,       no,     "m6Timer"},
    {"m7",         1,       no,     "m7Timer"},
    {"m8",         1,       no,     "m8Timer"},
    {"m9",         1,       no,     ""},
    {"tr1",        1500,    yes,    "tr1Timer"},
    {"tr2",        2500,    no,     "tr2Timer"},
    {"ck",         1,       no,     "ckTimer"},
    {"str",        1,       no,     "strTimer"},
    };

    d.menuItems = {
    // name      caption   parent     visible shortcut handler
    {"a1",       "a",      "",        no,     0,       ""},
    {"form1",    "form",   "a1",      yes,    116,     "form1Click"},   // F5
    {"Man1",     "Game",   "",        no,     0,       ""},
    {"Player1",  "\xE4",   "",        no,     0,       ""},             // one character, 0xE4
    {"Left1",    "l+",     "Player1", yes,    68,      "Left1Click"},   // D
    {"Left2",    "Left-",  "Player1", yes,    65,      "Left2Click"},   // A
    {"res1",     "mis1",   "Player1", yes,    49,      "res1Click"},    // 1
    {"mis21",    "mis2",   "Player1", yes,    50,      "mis21Click"},
    {"mis31",    "mis3",   "Player1", yes,    51,      "mis31Click"},
    {"mis41",    "mis4",   "Player1", yes,    52,      "mis41Click"},
    {"mis51",    "mis5",   "Player1", yes,    53,      "mis51Click"},
    {"mis61",    "mis6",   "Player1", yes,    54,      "mis61Click"},
    {"mis71",    "mis7",   "Player1", yes,    55,      "mis71Click"},
    {"mis81",    "mis8",   "Player1", yes,    56,      "mis81Click"},
    {"mis91",    "mis9",   "Player1", yes,    57,      "mis91Click"},   // 9
    {"MENU1",    "MENU",   "Player1", yes,    77,      "MENU1Click"},   // M
    };
    // clang-format on
    return d;
}
}  // namespace

const tk::FormDesc& form1() {
    static const tk::FormDesc desc = make();  // immutable data, built once
    return desc;
}

}  // namespace forms
