// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/keys.h"
#include "toolkit/object.h"
#include "toolkit/state.h"

namespace tk {

class MenuItem : public Object {
  public:
    MenuItem(std::string name, std::string caption, Shortcut shortcut, bool visible)
        : Object(std::move(name)),
          caption_(std::move(caption)),
          shortcut_(shortcut),
          visible_(visible) {}

    const std::string& caption() const { return caption_; }
    Shortcut shortcut() const { return shortcut_; }
    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool v) {
        if (v == enabled_) return;
        enabled_ = v;
        noteStateChange();
    }
    void setOnClick(Handler h) {
        onClick_ = std::move(h);
        noteStateChange();
    }
    const Handler& onClick() const { return onClick_; }

    MenuItem* parent() const { return parent_; }
    const std::vector<MenuItem*>& children() const { return children_; }
    void add(MenuItem* child);

  private:
    std::string caption_;
    Shortcut shortcut_;
    bool visible_;
    bool enabled_ = true;
    Handler onClick_;
    MenuItem* parent_ = nullptr;
    std::vector<MenuItem*> children_;
};

// A window's menu: the root of its item tree. It exists to carry key bindings.
class Menu : public Object {
  public:
    explicit Menu(std::string name) : Object(std::move(name)) {}
    const std::vector<MenuItem*>& items() const { return items_; }
    void add(MenuItem* top) { items_.push_back(top); }

    // Depth-first in item order, each item before its children, over every item
    // whatever its flags. The first item whose shortcut equals the value, or null.
    MenuItem* find(Shortcut value) const;

    // Runs the click handlers on the path from the root down to the item when every
    // item on the path is enabled; otherwise runs nothing. Returns whether it ran.
    static bool click(MenuItem& item);

  private:
    std::vector<MenuItem*> items_;
};

}  // namespace tk
