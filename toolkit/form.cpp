// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/form.h"

#include "toolkit/application.h"
#include "toolkit/error.h"

namespace tk {

namespace {
[[noreturn]] void fail(const std::string& form, const std::string& what) {
    throw Error(form + ": " + what);
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}
}  // namespace

Form::Form(Application& app, const FormDesc& d, const FormBindings& b) : Window(d.name, app) {
    auto handler = [&](const std::string& name) -> Handler {
        if (name.empty()) return {};
        Handler h = b.handler ? b.handler(name) : Handler{};
        if (!h) fail(d.name, "no handler " + quoted(name));
        return h;
    };

    loadCaption(d.caption);
    setBounds(d.left, d.top, d.width, d.height);
    setColor(d.color);
    setFont(d.font);
    setBorder(d.border);
    setVisible(d.visible);
    if (!d.icon.empty()) {
        const Picture* icon = b.picture ? b.picture(d.icon) : nullptr;
        if (!icon) fail(d.name, "no picture " + quoted(d.icon) + " for the window icon");
        setIcon(icon);
    }

    for (const WidgetDesc& w : d.widgets) {
        if (find(w.name) || w.name == d.name) fail(d.name, quoted(w.name) + " is defined twice");
        Widget* parent = w.parent == d.name ? static_cast<Widget*>(this) : find(w.parent);
        if (!parent) fail(d.name, quoted(w.name) + " names an unknown parent " + quoted(w.parent));
        std::unique_ptr<Widget> made;
        switch (w.kind) {
            case WidgetKind::Label:
                made = std::make_unique<Label>(w.name, parent);
                break;
            case WidgetKind::MediaPlayer:
                made = std::make_unique<MediaPlayer>(w.name, parent, b.media ? b.media() : nullptr);
                break;
            case WidgetKind::Panel:
            case WidgetKind::Picture:
                made = std::make_unique<Widget>(w.name, w.kind, parent);
                break;
            case WidgetKind::Window:
                fail(d.name, quoted(w.name) + " cannot be a window");
        }
        Widget& x = *made;
        owned_.push_back(std::move(made));
        x.setBounds(w.left, w.top, w.width, w.height);
        if (w.font) x.setFont(*w.font);
        if (w.color) x.setColor(*w.color);
        x.setVisible(w.visible);
        x.setBevel(w.bevel);
        if (!w.picture.empty()) {
            const Picture* p = b.picture ? b.picture(w.picture) : nullptr;
            if (!p) fail(d.name, quoted(w.name) + " names an unknown picture " + quoted(w.picture));
            x.setPicture(p);
        }
        if (w.caption)
            x.loadCaption(*w.caption);
        else if (w.kind == WidgetKind::Label)
            x.loadCaption("");
    }

    if (!d.menu.empty()) {
        menu_ = std::make_unique<Menu>(d.menu);
        for (const MenuItemDesc& m : d.menuItems) {
            for (const auto& other : items_)
                if (other->name() == m.name) fail(d.name, quoted(m.name) + " is defined twice");
            auto item = std::make_unique<MenuItem>(m.name, m.caption, m.shortcut, m.visible);
            item->setOnClick(handler(m.handler));
            if (m.parent.empty()) {
                menu_->add(item.get());
            } else {
                MenuItem* parent = nullptr;
                for (const auto& other : items_)
                    if (other->name() == m.parent) parent = other.get();
                if (!parent)
                    fail(d.name,
                         quoted(m.name) + " names an unknown menu item " + quoted(m.parent));
                parent->add(item.get());
            }
            items_.push_back(std::move(item));
        }
        setMenu(menu_.get());
    }

    // Timers start counting as they are loaded, in table order.
    for (const TimerDesc& t : d.timers) {
        for (const auto& other : timers_)
            if (other->name() == t.name) fail(d.name, quoted(t.name) + " is defined twice");
        auto timer = std::make_unique<Timer>(app.scheduler(), t.name);
        Handler h = handler(t.handler);
        timer->setInterval(t.interval);
        timer->setEnabled(t.enabled);
        if (h) timer->setOnTimer(std::move(h));
        timers_.push_back(std::move(timer));
    }

    onCreate_ = handler(d.onCreate);
}

Form::~Form() {
    // Widgets go before the window; timers stop first so nothing ticks into a
    // half-destroyed tree.
    timers_.clear();
}

Widget& Form::widget(const std::string& name, WidgetKind kind) const {
    Widget* w = find(name);
    if (!w) fail(this->name(), "widget " + quoted(name) + " is missing");
    if (w->kind() != kind)
        fail(this->name(), "widget " + quoted(name) + " is a " + kindName(w->kind()) +
                               ", expected a " + kindName(kind));
    return *w;
}

Label& Form::label(const std::string& name) const {
    return static_cast<Label&>(widget(name, WidgetKind::Label));
}

MediaPlayer& Form::mediaPlayer(const std::string& name) const {
    return static_cast<MediaPlayer&>(widget(name, WidgetKind::MediaPlayer));
}

Timer& Form::timer(const std::string& name) const {
    for (const auto& t : timers_)
        if (t->name() == name) return *t;
    fail(this->name(), "timer " + quoted(name) + " is missing");
}

MenuItem& Form::menuItem(const std::string& name) const {
    for (const auto& m : items_)
        if (m->name() == name) return *m;
    fail(this->name(), "menu item " + quoted(name) + " is missing");
}

void Form::runOnCreate() {
    if (onCreate_) onCreate_(this);
}

}  // namespace tk
