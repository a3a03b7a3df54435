// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/state.h"

namespace brisco2 {

// The game state: five signed 32-bit globals of the main window's module, zeroed by
// FormCreate. Each real change is counted, like a widget's (tk::Tracked).
extern tk::Tracked<std::int32_t> BarLeft;
extern tk::Tracked<std::int32_t> BarRight;
extern tk::Tracked<std::int32_t> Points;
extern tk::Tracked<std::int32_t> MissionSeconds;
extern tk::Tracked<std::int32_t> GameSeconds;

using MediaFactory = std::function<std::unique_ptr<tk::MediaBackend>()>;

// The music, opened by name in the current folder (sound/music.cpp).
inline constexpr const char* kMusicFile = "Brisco.wma";

// The main window. Its members are the widgets, timers and menu items of its tree,
// named as in the tree; each handler lives with its subsystem.
class TForm1 {
  public:
    TForm1(tk::Application& app, MediaFactory media);
    ~TForm1();

    tk::Form& form() const { return *form_; }

    // --- handlers -------------------------------------------------------------
    // start-up and window (app/)
    void FormCreate(tk::Object* sender);
    void s1Timer(tk::Object* sender);
    void form1Click(tk::Object* sender);
    void ckTimer(tk::Object* sender);
    // movement, rebound, frames (engine/movement.cpp)
    void aTimer46Timer(tk::Object* sender);
    void aTimer47Timer(tk::Object* sender);
    void aTimer48Timer(tk::Object* sender);
    void aTimer49Timer(tk::Object* sender);
    void bTimer46Timer(tk::Object* sender);
    void bTimer47Timer(tk::Object* sender);
    void bTimer48Timer(tk::Object* sender);
    void bTimer49Timer(tk::Object* sender);
    void Timer6Timer(tk::Object* sender);
    void Timer5Timer(tk::Object* sender);
    void Timer9Timer(tk::Object* sender);
    void Timer10Timer(tk::Object* sender);
    void Timer11Timer(tk::Object* sender);
    // bar (engine/bar.cpp)
    void Left1Click(tk::Object* sender);
    void Left2Click(tk::Object* sender);
    // contacts (engine/contact.cpp)
    void Timer2Timer(tk::Object* sender);
    // clocks (engine/clocks.cpp)
    void TttTimer(tk::Object* sender);
    void Timer7Timer(tk::Object* sender);
    // title and menu screens (missions/menu.cpp)
    void sTimer(tk::Object* sender);
    void strTimer(tk::Object* sender);
    void MENU1Click(tk::Object* sender);
    // mission starts (missions/start.cpp)
    void res1Click(tk::Object* sender);
    void mis21Click(tk::Object* sender);
    void mis31Click(tk::Object* sender);
    void mis41Click(tk::Object* sender);
    void mis51Click(tk::Object* sender);
    void mis61Click(tk::Object* sender);
    void mis71Click(tk::Object* sender);
    void mis81Click(tk::Object* sender);
    void mis91Click(tk::Object* sender);
    // end checks (missions/end_checks.cpp)
    void m1Timer(tk::Object* sender);
    void m2Timer(tk::Object* sender);
    void m3Timer(tk::Object* sender);
    void m4Timer(tk::Object* sender);
    void m5Timer(tk::Object* sender);
    void m6Timer(tk::Object* sender);
    void m7Timer(tk::Object* sender);
    void m8Timer(tk::Object* sender);
    // effects (missions/effects.cpp)
    void tr1Timer(tk::Object* sender);
    void tr2Timer(tk::Object* sender);
    // music (sound/music.cpp)
    void Timer4Timer(tk::Object* sender);

  private:
    std::unique_ptr<tk::Form> form_;
    // Shared steps of several handlers.
    void titleEndSteps(tk::Timer& own);
    void returnToMenu(bool stopActor2);
    void barMove(int step);
    void swapVertical(tk::Timer& up, tk::Timer& down);
    void startMission(int mission);
    void endCheck(int mission);

  public:
    // --- widgets, in creation order ----------------------------------------------
    tk::Form& Form1;
    tk::Label* Label1;
    tk::Widget* Panel1;
    tk::Widget* x;
    tk::Widget* st;
    tk::Widget* Image1;
    tk::Widget* Panel2;
    tk::Label* brisco;
    tk::Widget* act1;
    tk::Widget* Image2;
    tk::Widget* act1b;
    tk::Label* l;
    tk::Label* vd;
    tk::Label* inisi;
    tk::Label* au;
    tk::Widget* act2;
    tk::Widget* act2b;
    tk::Widget* act3;
    tk::Widget* act3b;
    tk::Widget* logo1;
    tk::Label* men;
    tk::Widget* c;
    tk::Widget* Panel3;
    tk::Label* c2a;
    tk::Label* c2b;
    tk::Label* c2c;
    tk::Label* c2d;
    tk::Label* p;
    tk::Label* tt;
    tk::Widget* m;
    tk::Label* l1;
    tk::Label* Label5;
    tk::Label* Label3;
    tk::Label* Label4;
    tk::Label* l2;
    tk::Label* Label7;
    tk::Label* l3;
    tk::Label* Label9;
    tk::Label* Label10;
    tk::Label* va;
    tk::Label* l4;
    tk::Label* Label12;
    tk::Label* l5;
    tk::Label* Label14;
    tk::Label* l6;
    tk::Label* Label16;
    tk::Label* l7;
    tk::Label* Label18;
    tk::Label* l8;
    tk::Label* Label20;
    tk::Label* l9;
    tk::Widget* Panel4;
    tk::MediaPlayer* Media;

    // --- timers, in creation order -------------------------------------------
    tk::Timer* tr;
    tk::Timer* Tst;
    tk::Timer* s;
    tk::Timer* s1;
    tk::Timer* bTimer48;
    tk::Timer* bTimer49;
    tk::Timer* bTimer47;
    tk::Timer* Timer4;
    tk::Timer* bTimer46;
    tk::Timer* Timer6;
    tk::Timer* Timer2;
    tk::Timer* Ttt;
    tk::Timer* m1;
    tk::Timer* m2;
    tk::Timer* m3;
    tk::Timer* bc;
    tk::Timer* Timer1;
    tk::Timer* Timer3;
    tk::Timer* Timer5;
    tk::Timer* Timer9;
    tk::Timer* Timer10;
    tk::Timer* Timer11;
    tk::Timer* Timer7;
    tk::Timer* aTimer46;
    tk::Timer* aTimer49;
    tk::Timer* aTimer47;
    tk::Timer* aTimer48;
    tk::Timer* ca3;
    tk::Timer* ca2;
    tk::Timer* m4;
    tk::Timer* m5;
    tk::Timer* m6;
    tk::Timer* m7;
    tk::Timer* m8;
    tk::Timer* m9;
    tk::Timer* tr1;
    tk::Timer* tr2;
    tk::Timer* ck;
    tk::Timer* str;

    // --- menu ----------------------------------------------------------------
    tk::Menu* MainMenu1;
    tk::MenuItem* a1;
    tk::MenuItem* form1;
    tk::MenuItem* Man1;
    tk::MenuItem* Player1;
    tk::MenuItem* Left1;
    tk::MenuItem* Left2;
    tk::MenuItem* res1;
    tk::MenuItem* mis21;
    tk::MenuItem* mis31;
    tk::MenuItem* mis41;
    tk::MenuItem* mis51;
    tk::MenuItem* mis61;
    tk::MenuItem* mis71;
    tk::MenuItem* mis81;
    tk::MenuItem* mis91;
    tk::MenuItem* MENU1;
};

// The second window: shown and disabled 2500 ms after start.
class TForm2 {
  public:
    explicit TForm2(tk::Application& app);
    tk::Form& form() const { return *form_; }
    void iTimer(tk::Object* sender);

  private:
    std::unique_ptr<tk::Form> form_;

  public:
    tk::Form& Form2;
    tk::Timer* i;
};

// Both windows, created in start-up order: the main window first.
struct Game {
    Game(tk::Application& app, MediaFactory media) : Form1(app, std::move(media)), Form2(app) {}
    TForm1 Form1;
    TForm2 Form2;
};

// The pseudo-random generator: one 64-bit state for the whole program.
void RandomSeed(std::uint32_t seed);
std::int32_t RandomNext();
std::int32_t RandomBelow(std::int32_t n);
std::uint64_t RandomState();

}  // namespace brisco2
