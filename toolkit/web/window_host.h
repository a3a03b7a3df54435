// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

#include "toolkit/web/canvas.h"
#include "toolkit/window.h"

namespace tk::web {

// One window of the page's desktop for one tk::Window: a frame drawn by the page around
// a canvas for the client area. The page shows the model's caption, icon, border,
// state, place, size, enabled flag and visibility, and hands the user's keys, clicks,
// drags, state changes and close requests back here.
class WebWindowHost : public WindowHost {
  public:
    // The page's frame while the window has a border: a 4-pixel edge and a caption bar.
    static constexpr FrameExtents kSizeableFrame{4, 23, 4, 4};

    WebWindowHost(Window& window, int id, PictureIds& pictures);
    ~WebWindowHost() override;
    WebWindowHost(const WebWindowHost&) = delete;
    WebWindowHost& operator=(const WebWindowHost&) = delete;

    void windowChanged(Window& w) override;
    void contentChanged(Window& w) override;
    FrameExtents decoration(const Window& w) const override;

    Window& window() const { return window_; }
    int id() const { return id_; }

    // The page's display frame: paints the tree when something changed, or always
    // when `force` (the canvas was resized or its pixel ratio changed). `width` and
    // `height` are the canvas's size in CSS pixels.
    void paint(int width, int height, bool force);

    // What the user did in the page.
    void userResize(int outerWidth, int outerHeight);
    void userMove(int left, int top);
    void userState(WindowState s);
    bool userClose();
    bool key(int virtualKey, int modifiers);
    void mouse(bool down);

    // Called after every input that reached the model, so the timer wake-up can follow
    // what the handlers armed.
    void setInputListener(std::function<void()> fn) { afterInput_ = std::move(fn); }

  private:
    void push();

    Window& window_;
    int id_;
    PictureIds& pictures_;
    WebCanvas canvas_;
    std::function<void()> afterInput_;
};

}  // namespace tk::web
