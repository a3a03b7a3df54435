// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/x11_reframer.h"

namespace tk::qt {

X11Reframer::X11Reframer(Host& host, WmAnswers* wm, int answerMs) : host_(host), wm_(wm) {
    answerWait_.setSingleShot(true);
    answerWait_.setInterval(answerMs);
    QObject::connect(&answerWait_, &QTimer::timeout, &answerWait_, [this] { advance(); });
}

void X11Reframer::reframe() {
    step_ = Step::Managed;
    answerWait_.start();
    advance();
}

void X11Reframer::advance() {
    const bool wm = wm_ && wm_->wmRunning();
    const bool late = !answerWait_.isActive();
    if (step_ == Step::Managed) {
        // A window the window manager has not yet taken in cannot be withdrawn: its
        // map request would still be on the way.
        if (wm && !late && !wm_->managed()) return;
        host_.withdraw();
        step_ = Step::Withdrawn;
        answerWait_.start();
        if (wm && !wm_->withdrawn()) return;
    }
    if (step_ == Step::Withdrawn) {
        if (wm && !late && !wm_->withdrawn()) return;
        host_.rebuild();
        show();
        return;
    }
    if (step_ == Step::Extents) {
        if (host_.borderOutdated()) {
            // Changed while the window waited to be shown: it is shown as it is now.
            host_.rebuild();
            show();
            return;
        }
        const std::optional<FrameExtents> f = wm_->extents();
        if (!f && !late) return;
        if (f) host_.framed(*f);
        finish();
    }
}

void X11Reframer::show() {
    if (!host_.wanted()) {
        step_ = Step::None;
        answerWait_.stop();
        host_.keepHidden();
        return;
    }
    // The frame a window gets, asked for before it is mapped: the client area is
    // sized for the model's outer size from the start. An old answer is cleared
    // first: it would be that of the window's last frame, and metacity leaves it on a
    // window it then manages without decorations. Qt places the window by the answer
    // too, so it is asked for a borderless window as well.
    if (wm_ && wm_->wmRunning()) {
        wm_->clearExtents();
        wm_->requestExtents();
        step_ = Step::Extents;
        answerWait_.start();
        return;
    }
    finish();
}

void X11Reframer::cancelShow() {
    if (step_ != Step::Extents) return;
    step_ = Step::None;
    answerWait_.stop();
}

void X11Reframer::finish() {
    step_ = Step::None;
    answerWait_.stop();
    host_.show();
}

}  // namespace tk::qt
