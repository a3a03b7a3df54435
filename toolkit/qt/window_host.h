// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QElapsedTimer>
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "toolkit/qt/event_loop.h"
#include "toolkit/qt/frame_trace.h"
#include "toolkit/qt/tree_painter.h"
#include "toolkit/qt/x11_frame.h"
#include "toolkit/window.h"

namespace tk::qt {

class HostWidget;

// One real top-level window for one tk::Window: it shows the model's caption, icon,
// border, state, position, outer size, enabled flag and visibility, paints the widget
// tree at most once per display frame when something changed, and reports the user's
// keys, clicks, resizes, moves, state changes and close requests to the model.
class QtWindowHost : public QObject, public WindowHost {
  public:
    explicit QtWindowHost(Window& window);
    ~QtWindowHost() override;
    QtWindowHost(const QtWindowHost&) = delete;
    QtWindowHost& operator=(const QtWindowHost&) = delete;

    void windowChanged(Window& w) override;
    void contentChanged(Window& w) override;
    FrameExtents decoration(const Window& w) const override;

    // Called after every key the window offered to the key dispatch, so the timer
    // wake-up can follow what the handler armed.
    void setInputListener(std::function<void()> fn) { afterInput_ = std::move(fn); }

    QWidget& widget() const;
    Window& window() const { return window_; }
    TreePainter& treePainter() { return painter_; }
    std::uint64_t paints() const { return paints_; }

    // The shortest time between two frames: one refresh of a 60 Hz display, or of the
    // screen's own if it is slower.
    static constexpr qint64 kFrameNs = 16'666'667;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class HostWidget;

    void applyAll();
    void applyBorder(bool first);
    void beginReframe();
    void advance();
    void setHiddenBorder();
    void prepareShow();
    void finishShow();
    void wmChanged();
    void showNow();
    bool exposed() const;
    QSize clientSize() const;
    QPoint outerPos() const;
    bool geometryMatches() const;
    void applyGeometry();
    void applyVisibility();
    void applyState();
    void scheduleFrame();
    void frameTick();
    void restored();
    void watchFrame();
    void watchTick();
    void readFrame();
    FrameExtents platformFrame() const;
    std::optional<FrameExtents> wmFrame() const;
    FrameExtents inWidgetPixels(const FrameExtents& screen) const;
    bool recentlyRequested(QSize client) const;
    bool recentlyRequested(QPoint pos) const;

    // From the widget.
    void paint(QPainter& p, QRect only);
    void geometryReported();
    void takeUserGeometry();
    void userResize(QSize client);
    void userMove(QPoint framePos);
    void userState(Qt::WindowStates states);
    bool userClose();

    Window& window_;
    std::unique_ptr<HostWidget> widget_;
    TreePainter painter_;
    std::function<void()> afterInput_;

    // What was last handed to the platform, so a change is applied once.
    struct Applied {
        std::string caption;
        const Picture* icon = nullptr;
        BorderStyle border = BorderStyle::Sizeable;
        WindowState state = WindowState::Normal;
        bool enabled = true;
        bool visible = false;
        bool first = true;
    } applied_;

    // The window manager's frame while the window has a border; learnt once framed.
    std::optional<FrameExtents> sizeableFrame_;
    QTimer frameWatch_;
    QElapsedTimer frameWatchAge_;
    bool restoring_ = false;  // back to normal, the platform not yet settled

    // On X11: what the window manager says of the window, and where a re-framing or a
    // show waits for its answer. Re-framing a mapped window goes: wait until the
    // window manager manages it, unmap it, wait until it has let it go, change the
    // decorations, ask for the frame they get, map it sized to that frame.
    std::unique_ptr<X11Frame> x11_;
    enum class Step { None, Managed, Withdrawn, Extents };
    Step step_ = Step::None;
    QTimer answerWait_;            // running while an answer may still come
    QTimer userGeometry_;          // a move or resize waits for what came with it
    bool activateOnShow_ = false;  // the pending show is one the model asked for

    // Sizes and positions asked for lately: their confirmations are no user action.
    template <class T>
    struct Request {
        T value;
        qint64 at;
    };
    std::deque<Request<QSize>> sizeRequests_;
    std::deque<Request<QPoint>> posRequests_;
    QElapsedTimer clock_;

    // The frame path: a change asks for the next frame, which paints what changed.
    // The next frame's time to the nanosecond, or, where no such timer can be had, a
    // millisecond one.
    std::unique_ptr<MonotonicDeadline> frameDeadline_;
    QTimer frameTimer_;
    qint64 framePeriodNs_ = kFrameNs;
    qint64 lastFrameNs_ = 0;  // on the monotonic clock; 0 before the first frame
    std::uint64_t paints_ = 0;
    std::shared_ptr<FrameTrace> trace_;  // shared with the program's other windows
    std::vector<qint64> keysShown_;      // when keys that changed the content were taken
};

}  // namespace tk::qt
