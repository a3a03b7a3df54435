// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "toolkit/widget.h"

namespace tk {

class Application;
class Menu;

enum class BorderStyle { None, Sizeable };
enum class WindowState { Normal, Minimized, Maximized };
const char* borderName(BorderStyle b);
const char* stateName(WindowState s);

struct FrameExtents {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const FrameExtents&) const = default;
};

// The platform side of one top-level window: it shows the model and is told of changes.
class WindowHost {
  public:
    virtual ~WindowHost() = default;
    // Border style, state, enabled flag, visibility, position, outer size or caption.
    virtual void windowChanged(Window& w) = 0;
    // Something inside needs painting again.
    virtual void contentChanged(Window& w) = 0;
    // The frame the platform puts around the window while it has a border (the window
    // manager's decoration); all zero while none is known.
    virtual FrameExtents decoration(const Window& w) const = 0;
    // The frame around the client area for the window's current border style.
    FrameExtents frame(const Window& w) const;
};

// A top-level window. Left/top are the outer frame's screen position, width/height
// its outer size.
class Window : public Widget {
  public:
    // A window is one of the application's from its construction to its destruction,
    // a construction that fails included.
    Window(std::string name, Application& app);
    ~Window() override;

    Application& app() const { return app_; }

    BorderStyle border() const { return border_; }
    void setBorder(BorderStyle b);
    WindowState state() const { return state_; }
    void setState(WindowState s);
    bool enabled() const { return enabled_; }
    void setEnabled(bool e);

    Menu* menu() const { return menu_; }
    void setMenu(Menu* m) { menu_ = m; }
    const Picture* icon() const { return icon_; }
    void setIcon(const Picture* p) { icon_ = p; }

    int clientWidth() const;
    int clientHeight() const;

    void setHost(WindowHost* host) { host_ = host; }
    WindowHost* host() const { return host_; }

    // Every widget of the tree in creation order (the window itself not included).
    const std::vector<Widget*>& widgets() const { return widgets_; }
    Widget* find(const std::string& name) const;

    // What the user did to the window, reported by the platform. They change the
    // model without echoing back to the platform.
    void userResized(int outerWidth, int outerHeight);
    void userMoved(int left, int top);
    void userStateChanged(WindowState s);

    // How many changes of the content there have been: whether an input changed what
    // shows.
    std::uint64_t contentChanges() const { return contentChanges_; }

    // The platform's wish to repaint is collected here and fetched once per frame.
    bool takeDirty() {
        bool d = dirty_;
        dirty_ = false;
        return d;
    }

  private:
    friend class Widget;
    void notifyWindow();
    void notifyContent();

    Application& app_;
    BorderStyle border_ = BorderStyle::Sizeable;
    WindowState state_ = WindowState::Normal;
    bool enabled_ = true;
    Menu* menu_ = nullptr;
    const Picture* icon_ = nullptr;
    WindowHost* host_ = nullptr;
    std::vector<Widget*> widgets_;
    bool dirty_ = true;
    std::uint64_t contentChanges_ = 0;
    bool echo_ = true;  // false while applying a change that came from the platform
};

}  // namespace tk
