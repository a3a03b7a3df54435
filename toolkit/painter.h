// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "toolkit/color.h"
#include "toolkit/widget.h"

namespace tk {

class Picture;
class Window;

// A rectangle in a window's client area.
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
    int right() const { return x + w; }   // one past the last column
    int bottom() const { return y + h; }  // one past the last row
    Rect operator&(const Rect& o) const;
    bool operator==(const Rect&) const = default;
};

// What a platform draws with. Every call is clipped to the last clip set.
class Canvas {
  public:
    enum class Align { TopLeft, Center };
    virtual ~Canvas() = default;
    virtual void setClip(const Rect& clip) = 0;
    virtual void fill(const Rect& r, Color c) = 0;
    // One line of text in `r`, in the font's colour.
    virtual void text(const Rect& r, const Font& font, const std::string& text, Align align) = 0;
    // The picture at its own size, its top-left corner at (x, y); transparent pixels
    // leave what lies beneath.
    virtual void picture(int x, int y, const Picture& picture) = 0;
};

// Paints a window's widget tree by the toolkit's stacking rules: windowed children
// (panels, media player) over non-windowed siblings, creation order within each kind,
// every child clipped to its parent, hidden widgets with all they hold left out.
// `area` is the client area to cover; the window's colour fills it first.
void paintWindow(Canvas& canvas, const Window& window, const Rect& area);

// Pictures show at most this much of themselves, whatever the widget's size: the
// icons are 32 x 32 and never stretch.
inline constexpr int kIconSize = 32;

}  // namespace tk
