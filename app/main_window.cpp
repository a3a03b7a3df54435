// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/main_window.h"

#include <map>
#include <string>

#include "app/forms/forms.h"
#include "app/forms/pictures.h"
#include "engine/arith.h"

namespace brisco2 {

tk::Tracked<std::int32_t> BarLeft = 0;
tk::Tracked<std::int32_t> BarRight = 0;
tk::Tracked<std::int32_t> Points = 0;
tk::Tracked<std::int32_t> MissionSeconds = 0;
tk::Tracked<std::int32_t> GameSeconds = 0;

namespace {

using Method = void (TForm1::*)(tk::Object*);

// The class's published handlers, by the names the widget tree uses.
const std::map<std::string, Method>& form1Handlers() {
#define H(name) \
    { #name, &TForm1::name }
    static const std::map<std::string, Method> table = {
        H(FormCreate),    H(s1Timer),       H(form1Click),    H(ckTimer),       H(aTimer46Timer),
        H(aTimer47Timer), H(aTimer48Timer), H(aTimer49Timer), H(bTimer46Timer), H(bTimer47Timer),
        H(bTimer48Timer), H(bTimer49Timer), H(Timer6Timer),   H(Timer5Timer),   H(Timer9Timer),
        H(Timer10Timer),  H(Timer11Timer),  H(Left1Click),    H(Left2Click),    H(Timer2Timer),
        H(TttTimer),      H(Timer7Timer),   H(sTimer),        H(strTimer),      H(MENU1Click),
        H(res1Click),     H(mis21Click),    H(mis31Click),    H(mis41Click),    H(mis51Click),
        H(mis61Click),    H(mis71Click),    H(mis81Click),    H(mis91Click),    H(m1Timer),
        H(m2Timer),       H(m3Timer),       H(m4Timer),       H(m5Timer),       H(m6Timer),
        H(m7Timer),       H(m8Timer),       H(tr1Timer),      H(tr2Timer),      H(Timer4Timer),
    };
#undef H
    return table;
}

std::unique_ptr<tk::Form> loadForm1(tk::Application& app, TForm1* self, MediaFactory media) {
    tk::FormBindings b;
    b.handler = [self](const std::string& name) -> tk::Handler {
        auto it = form1Handlers().find(name);
        if (it == form1Handlers().end()) return {};
        Method fn = it->second;
        return [self, fn](tk::Object* sender) { (self->*fn)(sender); };
    };
    b.picture = forms::picture;
    b.media = std::move(media);
    return std::make_unique<tk::Form>(app, forms::form1(), b);
}

}  // namespace

#define W(kind, name) name(&form_->kind(#name))
#define T(name) name(&form_->timer(#name))
#define I(name) name(&form_->menuItem(#name))

TForm1::TForm1(tk::Application& app, MediaFactory media)
    : form_(loadForm1(app, this, std::move(media))),
      Form1(*form_),
      W(label, Label1),
      W(panel, Panel1),
      W(panel, x),
      W(panel, st),
      W(picture, Image1),
      W(panel, Panel2),
      W(label, brisco),
      W(picture, act1),
      W(picture, Image2),
      W(picture, act1b),
      W(label, l),
      W(label, vd),
      W(label, inisi),
      W(label, au),
      W(picture, act2),
      W(picture, act2b),
      W(picture, act3),
      W(picture, act3b),
      W(picture, logo1),
      W(label, men),
      W(panel, c),
      W(panel, Panel3),
      W(label, c2a),
      W(label, c2b),
      W(label, c2c),
      W(label, c2d),
      W(label, p),
      W(label, tt),
      W(panel, m),
      W(label, l1),
      W(label, Label5),
      W(label, Label3),
      W(label, Label4),
      W(label, l2),
      W(label, Label7),
      W(label, l3),
      W(label, Label9),
      W(label, Label10),
      W(label, va),
      W(label, l4),
      W(label, Label12),
      W(label, l5),
      W(label, Label14),
      W(label, l6),
      W(label, Label16),
      W(label, l7),
      W(label, Label18),
      W(label, l8),
      W(label, Label20),
      W(label, l9),
      W(panel, Panel4),
      W(mediaPlayer, Media),
      T(tr),
      T(Tst),
      T(s),
      T(s1),
      T(bTimer48),
      T(bTimer49),
      T(bTimer47),
      T(Timer4),
      T(bTimer46),
      T(Timer6),
      T(Timer2),
      T(Ttt),
      T(m1),
      T(m2),
      T(m3),
      T(bc),
      T(Timer1),
      T(Timer3),
      T(Timer5),
      T(Timer9),
      T(Timer10),
      T(Timer11),
      T(Timer7),
      T(aTimer46),
      T(aTimer49),
      T(aTimer47),
      T(aTimer48),
      T(ca3),
      T(ca2),
      T(m4),
      T(m5),
      T(m6),
      T(m7),
      T(m8),
      T(m9),
      T(tr1),
      T(tr2),
      T(ck),
      T(str),
      MainMenu1(form_->menu()),
      I(a1),
      I(form1),
      I(Man1),
      I(Player1),
      I(Left1),
      I(Left2),
      I(res1),
      I(mis21),
      I(mis31),
      I(mis41),
      I(mis51),
      I(mis61),
      I(mis71),
      I(mis81),
      I(mis91),
      I(MENU1) {
    form_->runOnCreate();
}

TForm1::~TForm1() {
    // The music stops with the window.
    Media->close();
}

void TForm1::FormCreate(tk::Object*) {
    RandomSeed(std::uint32_t(Form1.app().calendarSeconds()));
    BarLeft = 0;
    BarRight = 0;
    Points = 0;
    MissionSeconds = 0;
    GameSeconds = 0;
}

void TForm1::s1Timer(tk::Object*) {
    Form1.setBorder(tk::BorderStyle::None);
    s1->setEnabled(false);
}

void TForm1::form1Click(tk::Object*) {
    Form1.setEnabled(true);
    Form1.setState(tk::WindowState::Normal);
}

void TForm1::ckTimer(tk::Object*) {
    ck->setEnabled(false);
}

TForm2::TForm2(tk::Application& app)
    : form_([&] {
          tk::FormBindings b;
          b.handler = [this](const std::string& name) -> tk::Handler {
              if (name == "iTimer") return [this](tk::Object* sender) { iTimer(sender); };
              return {};
          };
          b.picture = forms::picture;
          return std::make_unique<tk::Form>(app, forms::form2(), b);
      }()),
      Form2(*form_),
      T(i) {
    form_->runOnCreate();
}

void TForm2::iTimer(tk::Object*) {
    Form2.show();
    i->setEnabled(false);
    Form2.setEnabled(false);
}

#undef W
#undef T
#undef I

// The generator: a 64-bit linear congruential sequence.
namespace {
std::uint64_t randomState = 0;
constexpr std::uint64_t kMultiplier = (std::uint64_t(0x15A) << 32) + 0x4E35;
}  // namespace

void RandomSeed(std::uint32_t seed) {
    randomState = seed;
    tk::noteStateChange();
}

std::int32_t RandomNext() {
    randomState = randomState * kMultiplier + 1;  // unsigned: wraps modulo 2^64
    tk::noteStateChange();
    return std::int32_t((randomState >> 32) & 0x7FFFFFFF);
}

std::int32_t RandomBelow(std::int32_t n) {
    if (n == 0) return 0;
    const std::int32_t v = RandomNext();
    // Truncating remainder of a non-negative dividend: 0 .. |n|-1 for either sign. The
    // one bound whose magnitude has no int32 (INT32_MIN) needs the wider type.
    return std::int32_t(std::int64_t(v) % std::int64_t(n));
}

std::uint64_t RandomState() {
    return randomState;
}

}  // namespace brisco2
