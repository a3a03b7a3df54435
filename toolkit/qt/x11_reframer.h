// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTimer>

#include "toolkit/qt/x11_frame.h"
#include "toolkit/window.h"

namespace tk::qt {

// Shows a window and re-frames a shown one by the X11 window manager's answers rather
// than by time. Changing the decorations of a mapped window is not enough: metacity
// reads them only when it takes a window in. So re-framing goes: wait until the window
// manager manages the window, unmap it, wait until it has let it go (ICCCM 4.1.4: mapped
// sooner, it may still be taken for the old window), change the decorations, ask for
// the frame they get, map it sized to that frame. A show asks for the frame first too.
// Each answer is waited for at most kAnswerMs; then the window goes on as if it had
// come.
class X11Reframer {
  public:
    // What the re-framer does to the real window, and what it reads of the model.
    class Host {
      public:
        virtual ~Host() = default;
        // Whether the model wants the window shown.
        virtual bool wanted() const = 0;
        // Whether the model's border differs from the one the real window was given.
        virtual bool borderOutdated() const = 0;
        // Unmaps the real window.
        virtual void withdraw() = 0;
        // Gives the unmapped window the model's border.
        virtual void rebuild() = 0;
        // The frame the window manager says the window gets, in the screen's pixels.
        virtual void framed(const FrameExtents& screen) = 0;
        // Places and maps the window.
        virtual void show() = 0;
        // The window stays hidden: it is only placed.
        virtual void keepHidden() = 0;
    };

    enum class Step { None, Managed, Withdrawn, Extents };

    // The longest wait for the window manager's answer (taking the window in, letting it
    // go, telling its frame). openbox, metacity, xfwm4 and icewm answer within a few
    // milliseconds; this is for one that never does.
    static constexpr int kAnswerMs = 1000;

    // `wm` is null where there is no X11 window manager to ask (the window is then
    // shown at once).
    X11Reframer(Host& host, WmAnswers* wm, int answerMs = kAnswerMs);
    X11Reframer(const X11Reframer&) = delete;
    X11Reframer& operator=(const X11Reframer&) = delete;

    Step step() const { return step_; }
    bool busy() const { return step_ != Step::None; }

    // Re-frames the shown window for the model's border.
    void reframe();
    // Shows the window the model wants shown, sized for the frame it will get.
    void show();
    // The window is to stay hidden after all: a show waiting for its frame is dropped.
    void cancelShow();
    // The window manager said something new about the window.
    void answered() { advance(); }

  private:
    void advance();
    void finish();

    Host& host_;
    WmAnswers* wm_;
    Step step_ = Step::None;
    QTimer answerWait_;  // running while an answer may still come
};

}  // namespace tk::qt
