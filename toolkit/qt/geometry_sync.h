// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRect>
#include <QTimer>
#include <functional>
#include <optional>

#include "toolkit/qt/echo_filter.h"
#include "toolkit/window.h"

namespace tk::qt {

// Keeps a real window's place and size in step with the model's, through a window
// manager that answers in its own time. What the host asked for comes back as
// confirmations, which are no user action (EchoFilter); what the user did by moving or
// sizing the window goes to the model. The window manager's frame is learnt once the
// window is framed, and the client area is sized so that the outer size is the
// model's. After a show, a re-framing or a restore the platform is watched until it has
// settled: meanwhile its reports are its own settling, not the user's.
class GeometrySync {
  public:
    // What the sync reads of the real window and does to it.
    class Platform {
      public:
        virtual ~Platform() = default;
        // The client area on the screen, as the platform last reported it.
        virtual QRect clientGeometry() const = 0;
        virtual bool visible() const = 0;
        virtual bool exposed() const = 0;
        // The state the platform last reported.
        virtual WindowState state() const = 0;
        // The frame the platform says the window has now; empty while it has said
        // nothing (or the window is hidden).
        virtual std::optional<FrameExtents> frame() const = 0;
        // Whether the window manager holds the window maximised, full-screen or hidden,
        // read as it is now: the platform's state may not have caught up yet.
        virtual bool heldByWindowManager() const = 0;
        // The border the real window has now (a change may still be on its way).
        virtual BorderStyle border() const = 0;
        // The window is being re-framed: hidden, its geometry in flux.
        virtual bool reframing() const = 0;
        virtual void place(QRect client) = 0;
        virtual void resize(QSize client) = 0;
    };

    // How long after showing or re-bordering the window manager may take to place it.
    static constexpr qint64 kWatchMs = 3000;
    static constexpr int kWatchStepMs = 25;
    // The longest wait for the window manager to restore a maximised or minimised window.
    static constexpr qint64 kRestoreWaitMs = 1000;
    // How long the window must stay as asked before it counts as settled.
    static constexpr qint64 kSettleMs = 300;

    // `userResized` is called after the user's resize has changed the model; `nowMs` is
    // a monotonic clock in milliseconds.
    GeometrySync(Window& model, Platform& platform, std::function<void()> userResized,
                 std::function<qint64()> nowMs = {});
    GeometrySync(const GeometrySync&) = delete;
    GeometrySync& operator=(const GeometrySync&) = delete;

    // The window manager's frame while the window has a border: learnt once framed.
    std::optional<FrameExtents> frame() const { return frame_; }
    // The frame the window manager said it gives the window before it was shown.
    void learnFrame(const FrameExtents& f) { frame_ = f; }

    // Puts the model's place and size on the real window, unless it is not in its
    // normal state (the platform keeps the normal geometry meanwhile).
    void apply();
    // The window was shown or re-bordered: the platform settles.
    void watch();
    // Back to the normal state: the model's geometry holds again once the platform
    // shows the normal frame.
    void restored();
    // The window manager said something new about the window's frame.
    void frameChanged();
    // The platform reported a move or a resize; it is looked at once Qt has handled
    // what came with it.
    void reported();

    bool watching() const { return watch_.isActive(); }
    bool restoring() const { return restoring_; }

    // One step of the watch, run every kWatchStepMs while watching.
    void watchTick();
    // The reported geometry, taken as the user's where it is not the platform's own.
    void takeUserGeometry();

  private:
    FrameExtents platformFrame() const;
    FrameExtents modelFrame() const;
    QSize clientSize() const;
    QPoint outerPos() const;
    bool matches() const;
    void userResize(QSize client);
    void userMove(QPoint outer, QPoint client);

    Window& model_;
    Platform& platform_;
    std::function<void()> userResized_;
    std::function<qint64()> nowMs_;
    EchoFilter echo_;
    std::optional<FrameExtents> frame_;
    bool restoring_ = false;  // back to normal, the platform not yet settled
    QTimer watch_;
    qint64 watchStart_ = 0;
    QTimer userGeometry_;  // a move or resize waits for what came with it
};

}  // namespace tk::qt
