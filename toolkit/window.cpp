// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/window.h"

#include "toolkit/application.h"
#include "toolkit/state.h"

namespace tk {

const char* borderName(BorderStyle b) {
    return b == BorderStyle::None ? "none" : "sizeable";
}

const char* stateName(WindowState s) {
    switch (s) {
        case WindowState::Normal:
            return "normal";
        case WindowState::Minimized:
            return "minimized";
        case WindowState::Maximized:
            return "maximized";
    }
    return "?";
}

FrameExtents WindowHost::frame(const Window& w) const {
    return w.border() == BorderStyle::None ? FrameExtents{} : decoration(w);
}

Window::Window(std::string name, Application& app)
    : Widget(std::move(name), WidgetKind::Window, nullptr), app_(app) {
    // Set here, not in Widget's constructor: there `this` is not a Window yet.
    window_ = this;
    app_.addWindow(*this);
}

Window::~Window() {
    app_.removeWindow(*this);
}

void Window::setBorder(BorderStyle b) {
    if (b == border_) return;
    border_ = b;
    notifyWindow();
}

void Window::setState(WindowState s) {
    if (s == state_) return;
    state_ = s;
    notifyWindow();
}

void Window::setEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    notifyWindow();
}

int Window::clientWidth() const {
    FrameExtents f = host_ ? host_->frame(*this) : FrameExtents{};
    return width() - f.left - f.right;
}

int Window::clientHeight() const {
    FrameExtents f = host_ ? host_->frame(*this) : FrameExtents{};
    return height() - f.top - f.bottom;
}

Widget* Window::find(const std::string& name) const {
    for (Widget* w : widgets_)
        if (w->name() == name) return w;
    return nullptr;
}

void Window::userResized(int outerWidth, int outerHeight) {
    Input in;
    in.kind = Input::Kind::Resize;
    in.window = this;
    in.width = outerWidth;
    in.height = outerHeight;
    app_.inputArrives(in);
    echo_ = false;
    setWidth(outerWidth);
    setHeight(outerHeight);
    echo_ = true;
    dirty_ = true;
}

void Window::userMoved(int left, int top) {
    echo_ = false;
    setLeft(left);
    setTop(top);
    echo_ = true;
}

void Window::userStateChanged(WindowState s) {
    Input in;
    in.kind = Input::Kind::State;
    in.window = this;
    in.state = s;
    app_.inputArrives(in);
    echo_ = false;
    setState(s);
    echo_ = true;
}

void Window::notifyWindow() {
    noteStateChange();
    dirty_ = true;
    if (host_ && echo_) host_->windowChanged(*this);
}

void Window::notifyContent() {
    ++contentChanges_;
    if (dirty_) return;  // one request per frame is enough
    dirty_ = true;
    if (host_) host_->contentChanged(*this);
}

}  // namespace tk
