// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What an X11 window manager says about one top-level window, read from the X server
// instead of assumed: whether it manages the window, and the frame it gives it.
// Window managers differ in both (openbox, metacity, xfwm4 and icewm each draw
// another frame, and metacity reads a window's decorations only when it starts
// managing it), so the window host waits for these answers rather than for time.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "toolkit/window.h"

namespace tk::qt {

// The ICCCM window states of WM_STATE; None when the property is missing.
enum class WmState { None, Withdrawn, Normal, Iconic };

// What the window manager says of one window, as the re-framer asks it.
class WmAnswers {
  public:
    virtual ~WmAnswers() = default;
    // Whether a window manager runs at all.
    virtual bool wmRunning() const = 0;
    // Managed: the window manager has taken the window in.
    virtual bool managed() const = 0;
    // Withdrawn: unmapped and let go, so it may be mapped again with other hints.
    virtual bool withdrawn() const = 0;
    // The frame the window manager gives the window, in the screen's pixels; empty
    // while it has said nothing.
    virtual std::optional<FrameExtents> extents() const = 0;
    // Asks for the frame an unmapped window would get; the answer comes as a change.
    virtual void requestExtents() = 0;
    // Forgets the last answer, so a fresh one can be told apart.
    virtual void clearExtents() = 0;
};

class X11Frame : public QAbstractNativeEventFilter, public WmAnswers {
  public:
    // Null unless Qt runs on X11. `changed` is called (from the event loop, never from
    // inside Qt's event handling) when WM_STATE, _NET_FRAME_EXTENTS or the window's
    // parent changes.
    static std::unique_ptr<X11Frame> create(QWidget& window, std::function<void()> changed);
    ~X11Frame() override;
    X11Frame(const X11Frame&) = delete;
    X11Frame& operator=(const X11Frame&) = delete;

    // Whether a window manager runs at all (_NET_SUPPORTING_WM_CHECK on the root).
    bool wmRunning() const override;
    WmState state() const;
    // Whether the window manager holds the window maximised, full-screen or hidden
    // (_NET_WM_STATE), read from the server as it is now.
    bool maximisedOrHidden() const;
    // Managed: the window manager has taken the window in (Normal or Iconic).
    bool managed() const override;
    // Withdrawn: unmapped and let go, so it may be mapped again with other hints.
    bool withdrawn() const override;
    // The frame the window manager gives the window: _NET_FRAME_EXTENTS, or no frame
    // when the window is not inside a frame window. Empty while it has said nothing.
    std::optional<FrameExtents> extents() const override;
    // Asks the window manager for the frame an unmapped window would get
    // (_NET_REQUEST_FRAME_EXTENTS); the answer comes as a _NET_FRAME_EXTENTS change.
    void requestExtents() override;
    // Forgets the last answer, so a fresh one can be told apart.
    void clearExtents() override;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

  private:
    struct Connection;
    X11Frame(QWidget& window, std::unique_ptr<Connection> c, std::function<void()> changed);
    std::uint32_t id() const;
    bool reparented() const;
    void sendToRoot(std::uint32_t type, const std::uint32_t (&data)[5]);

    QWidget& window_;
    std::unique_ptr<Connection> c_;
    std::function<void()> changed_;
    QObject queue_;  // the context of queued notices: they die with this object
    bool notifyQueued_ = false;
};

}  // namespace tk::qt
