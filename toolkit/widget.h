// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/color.h"
#include "toolkit/object.h"

namespace tk {

class Picture;
class Window;

struct Font {
    std::string name = "MS Sans Serif";
    int height = -11;  // negative: character height in pixels without internal leading
    Color color = colors::windowText;
    bool bold = false;
    bool italic = false;
    bool operator==(const Font&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// Measures captions; the platform supplies it (labels size themselves to their text).
class TextMetrics {
  public:
    virtual ~TextMetrics() = default;
    virtual Size measure(const Font& font, const std::string& text) const = 0;
};

enum class WidgetKind { Window, Panel, Label, Picture, MediaPlayer };
const char* kindName(WidgetKind kind);

// One node of a window's widget tree. Setters that change nothing do nothing, so a
// repeated write never asks for a repaint.
class Widget : public Object {
  public:
    Widget(std::string name, WidgetKind kind, Widget* parent);

    WidgetKind kind() const { return kind_; }
    Widget* parent() const { return parent_; }
    Window* window() const { return window_; }
    const std::vector<Widget*>& children() const { return children_; }
    // Panels and media players are child windows; labels and pictures are drawn on
    // their parent.
    bool windowed() const { return kind_ == WidgetKind::Panel || kind_ == WidgetKind::MediaPlayer; }

    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool visible() const { return visible_; }
    const std::string& caption() const { return caption_; }
    bool hasCaption() const { return hasCaption_; }

    void setLeft(int v);
    void setTop(int v);
    void setWidth(int v);
    void setHeight(int v);
    void setBounds(int left, int top, int width, int height);
    void setVisible(bool v);
    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    void setCaption(const std::string& text);

    // Background: a widget's own colour once set, else its kind's default, else the
    // parent's (labels and pictures show their parent's colour).
    void setColor(Color c);
    bool hasOwnColor() const { return ownColor_.has_value(); }
    Color color() const;

    void setFont(const Font& f);
    const Font& font() const;  // own font, else the parent's
    bool hasOwnFont() const { return ownFont_.has_value(); }

    // Pictures only: the icon, or none.
    void setPicture(const Picture* p);
    const Picture* picture() const { return picture_; }

    // Panels only: the one-pixel raised bevel.
    bool bevel() const { return bevel_; }
    void setBevel(bool on);

    // Loading: the caption text without the effects a handler's write has.
    void loadCaption(const std::string& text);

    // Counts the widget's own changes of any property: a painter tells what changed
    // by it, without keeping copies of what it drew.
    std::uint32_t revision() const { return revision_; }

  protected:
    void changed();
    virtual void autosize() {}

    std::string caption_;
    bool hasCaption_ = false;

  private:
    friend class Window;
    WidgetKind kind_;
    Widget* parent_;
    Window* window_;
    std::vector<Widget*> children_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    std::optional<Color> ownColor_;
    std::optional<Font> ownFont_;
    const Picture* picture_ = nullptr;
    bool bevel_ = true;
    std::uint32_t revision_ = 0;
};

// Opaque, self-sizing text: the rectangle is the caption's extent in its font; an
// empty caption measures as one blank.
class Label : public Widget {
  public:
    Label(std::string name, Widget* parent) : Widget(std::move(name), WidgetKind::Label, parent) {}
    void resize();  // measure again, as after a caption or font change

  protected:
    void autosize() override { resize(); }
};

}  // namespace tk
