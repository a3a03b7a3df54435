// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/web/window_host.h"

#include "toolkit/application.h"
#include "toolkit/web/imports.h"

namespace tk::web {

WebWindowHost::WebWindowHost(Window& window, int id, PictureIds& pictures)
    : window_(window), id_(id), pictures_(pictures), canvas_(pictures) {
    window_.setHost(this);
    push();
}

WebWindowHost::~WebWindowHost() {
    if (window_.host() == this) window_.setHost(nullptr);
}

void WebWindowHost::windowChanged(Window&) {
    push();
}

void WebWindowHost::contentChanged(Window&) {
    tkw_request_frame(id_);
}

FrameExtents WebWindowHost::decoration(const Window&) const {
    // The page draws the same frame for every window with a border.
    return kSizeableFrame;
}

void WebWindowHost::push() {
    const FrameExtents f = frame(window_);
    const int icon = window_.icon() ? pictures_.id(*window_.icon()) : 0;
    tkw_window_update(id_, window_.caption().c_str(), f.left, f.top, f.right, f.bottom,
                      int(window_.state()), window_.enabled(), window_.visible(), window_.left(),
                      window_.top(), window_.width(), window_.height(), icon);
    tkw_request_frame(id_);
}

void WebWindowHost::paint(int width, int height, bool force) {
    const bool dirty = window_.takeDirty();
    if (!dirty && !force) return;
    canvas_.clear();
    paintWindow(canvas_, window_, Rect{0, 0, width, height});
    tkw_draw(id_, canvas_.ops().data(), int(canvas_.ops().size()), canvas_.text().c_str());
}

void WebWindowHost::userResize(int outerWidth, int outerHeight) {
    // Only a framed window in its normal state can be dragged to a size.
    if (window_.border() != BorderStyle::Sizeable || window_.state() != WindowState::Normal) return;
    if (outerWidth == window_.width() && outerHeight == window_.height()) return;
    window_.userResized(outerWidth, outerHeight);
    tkw_request_frame(id_);
}

void WebWindowHost::userMove(int left, int top) {
    if (window_.state() != WindowState::Normal) return;
    if (left == window_.left() && top == window_.top()) return;
    window_.userMoved(left, top);
}

void WebWindowHost::userState(WindowState s) {
    if (s == window_.state()) return;
    window_.userStateChanged(s);
    tkw_request_frame(id_);
}

bool WebWindowHost::userClose() {
    return window_.app().userClose(window_);
}

bool WebWindowHost::key(int virtualKey, int modifiers) {
    const bool consumed = window_.app().keyDown(window_, std::uint8_t(virtualKey),
                                                Shortcut(modifiers & (kShift | kCtrl | kAlt)));
    if (afterInput_) afterInput_();
    return consumed;
}

void WebWindowHost::mouse(bool down) {
    // A press over a disabled window is refused; a release anywhere lets go.
    if (down && !window_.enabled()) return;
    window_.app().setMouseCaptured(down);
}

}  // namespace tk::web
