// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/menu.h"

namespace tk {

void MenuItem::add(MenuItem* child) {
    child->parent_ = this;
    children_.push_back(child);
}

namespace {
MenuItem* findIn(const std::vector<MenuItem*>& items, Shortcut value) {
    for (MenuItem* item : items) {
        if (item->shortcut() != 0 && item->shortcut() == value) return item;
        if (MenuItem* hit = findIn(item->children(), value)) return hit;
    }
    return nullptr;
}
}  // namespace

MenuItem* Menu::find(Shortcut value) const {
    return value == 0 ? nullptr : findIn(items_, value);
}

bool Menu::click(MenuItem& item) {
    std::vector<MenuItem*> path;
    for (MenuItem* p = &item; p; p = p->parent()) path.insert(path.begin(), p);
    for (MenuItem* p : path)
        if (!p->enabled()) return false;
    for (MenuItem* p : path)
        if (p->onClick()) p->onClick()(p);
    return true;
}

}  // namespace tk
