// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/widget.h"

#include "toolkit/application.h"
#include "toolkit/state.h"
#include "toolkit/window.h"

namespace tk {

const char* kindName(WidgetKind kind) {
    switch (kind) {
        case WidgetKind::Window:
            return "window";
        case WidgetKind::Panel:
            return "panel";
        case WidgetKind::Label:
            return "label";
        case WidgetKind::Picture:
            return "picture";
        case WidgetKind::MediaPlayer:
            return "media player";
    }
    return "?";
}

Widget::Widget(std::string name, WidgetKind kind, Widget* parent)
    : Object(std::move(name)),
      kind_(kind),
      parent_(parent),
      window_(parent ? parent->window_ : nullptr) {
    if (parent_) parent_->children_.push_back(this);
    if (window_ && window_ != this) window_->widgets_.push_back(this);
}

void Widget::changed() {
    ++revision_;
    noteStateChange();
    if (!window_) return;
    if (window_ == this)
        window_->notifyWindow();
    else
        window_->notifyContent();
}

void Widget::setLeft(int v) {
    if (v == left_) return;
    left_ = v;
    changed();
}

void Widget::setTop(int v) {
    if (v == top_) return;
    top_ = v;
    changed();
}

void Widget::setWidth(int v) {
    if (v == width_) return;
    width_ = v;
    changed();
}

void Widget::setHeight(int v) {
    if (v == height_) return;
    height_ = v;
    changed();
}

void Widget::setBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    changed();
}

void Widget::setVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    changed();
}

void Widget::setCaption(const std::string& text) {
    if (hasCaption_ && text == caption_) return;
    caption_ = text;
    hasCaption_ = true;
    autosize();
    changed();
}

void Widget::loadCaption(const std::string& text) {
    ++revision_;
    noteStateChange();
    caption_ = text;
    hasCaption_ = true;
    autosize();
}

void Widget::setColor(Color c) {
    if (ownColor_ && *ownColor_ == c) return;
    ownColor_ = c;
    changed();
}

Color Widget::color() const {
    if (ownColor_) return *ownColor_;
    switch (kind_) {
        case WidgetKind::Panel:
        case WidgetKind::MediaPlayer:
        case WidgetKind::Window:
            return colors::buttonFace;
        case WidgetKind::Label:
        case WidgetKind::Picture:
            break;
    }
    return parent_ ? parent_->color() : colors::buttonFace;
}

void Widget::setFont(const Font& f) {
    if (ownFont_ && *ownFont_ == f) return;
    ownFont_ = f;
    autosize();
    changed();
}

const Font& Widget::font() const {
    static const Font kDefault;  // immutable fallback for a widget outside any window
    if (ownFont_) return *ownFont_;
    return parent_ ? parent_->font() : kDefault;
}

void Widget::setPicture(const Picture* p) {
    if (p == picture_) return;
    picture_ = p;
    changed();
}

void Widget::setBevel(bool on) {
    if (on == bevel_) return;
    bevel_ = on;
    changed();
}

void Label::resize() {
    if (!window()) return;
    Size s = window()->app().metrics().measure(font(), caption_.empty() ? " " : caption_);
    setWidth(s.width);
    setHeight(s.height);
}

}  // namespace tk
