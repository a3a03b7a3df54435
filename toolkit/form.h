// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/media_player.h"
#include "toolkit/menu.h"
#include "toolkit/timer.h"
#include "toolkit/window.h"

namespace tk {

// A window's description as data: what a form file holds. Rows read like the
// tables they come from.
struct WidgetDesc {
    WidgetDesc(std::string name, WidgetKind kind, std::string parent, int left, int top, int width,
               int height, std::optional<std::string> caption, std::optional<Font> font,
               std::optional<Color> color, bool visible, std::string picture = {},
               bool bevel = true)
        : name(std::move(name)),
          kind(kind),
          parent(std::move(parent)),
          left(left),
          top(top),
          width(width),
          height(height),
          caption(std::move(caption)),
          font(std::move(font)),
          color(color),
          visible(visible),
          picture(std::move(picture)),
          bevel(bevel) {}

    std::string name;
    WidgetKind kind;
    std::string parent;
    int left, top, width, height;
    std::optional<std::string> caption;  // none: the widget shows no text
    std::optional<Font> font;            // none: the parent's
    std::optional<Color> color;          // none: the kind's default or the parent's
    bool visible = true;
    std::string picture;  // pictures: the icon's name, empty for none
    bool bevel = true;    // panels: the raised one-pixel bevel
};

struct TimerDesc {
    std::string name;
    std::uint32_t interval = 1000;
    bool enabled = true;
    std::string handler;  // empty: a flag timer
};

struct MenuItemDesc {
    std::string name;
    std::string caption;
    std::string parent;  // empty: a top entry
    bool visible = true;
    Shortcut shortcut = 0;
    std::string handler;  // empty: none
};

struct FormDesc {
    std::string name;
    std::string caption;
    int left, top, width, height;
    Color color;
    Font font;
    std::string icon;
    BorderStyle border = BorderStyle::Sizeable;
    bool visible = false;
    std::string onCreate;  // creation handler, empty for none
    std::string menu;      // the menu's name, empty for none
    std::vector<WidgetDesc> widgets;
    std::vector<TimerDesc> timers;
    std::vector<MenuItemDesc> menuItems;
};

// What a loading form needs from its class and from the platform.
struct FormBindings {
    // The class's handler of that name, or an empty handler when it has none.
    std::function<Handler(const std::string& name)> handler;
    // The built-in picture of that name, or null.
    std::function<const Picture*(std::string_view name)> picture;
    // A device for each media player widget.
    std::function<std::unique_ptr<MediaBackend>()> media;
};

// A window built from its description. It owns its widgets, timers and menu for as
// long as it lives. Loading fails with tk::Error naming what is wrong.
class Form : public Window {
  public:
    Form(Application& app, const FormDesc& desc, const FormBindings& bindings);
    ~Form() override;

    // Members by name, checked for their kind: a missing or mistyped one is an error
    // that names it.
    Widget& widget(const std::string& name, WidgetKind kind) const;
    Label& label(const std::string& name) const;
    Widget& panel(const std::string& name) const { return widget(name, WidgetKind::Panel); }
    Widget& picture(const std::string& name) const { return widget(name, WidgetKind::Picture); }
    MediaPlayer& mediaPlayer(const std::string& name) const;
    Timer& timer(const std::string& name) const;
    MenuItem& menuItem(const std::string& name) const;

    const std::vector<std::unique_ptr<Timer>>& timers() const { return timers_; }
    const std::vector<std::unique_ptr<MenuItem>>& menuItems() const { return items_; }

    // Runs the creation handler, if the description names one.
    void runOnCreate();

  private:
    std::vector<std::unique_ptr<Widget>> owned_;
    std::vector<std::unique_ptr<Timer>> timers_;
    std::unique_ptr<Menu> menu_;
    std::vector<std::unique_ptr<MenuItem>> items_;
    Handler onCreate_;
};

}  // namespace tk
