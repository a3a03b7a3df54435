// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QWidget>
#include <functional>
#include <memory>

#include "toolkit/qt/frame_pacer.h"
#include "toolkit/qt/frame_tracer.h"
#include "toolkit/qt/geometry_sync.h"
#include "toolkit/qt/key_filter.h"
#include "toolkit/qt/tree_painter.h"
#include "toolkit/qt/x11_frame.h"
#include "toolkit/qt/x11_reframer.h"
#include "toolkit/window.h"

namespace tk::qt {

class HostWidget;

// One real top-level window for one tk::Window: it shows the model's caption, icon,
// border, state, position, outer size, enabled flag and visibility, paints the widget
// tree at most once per display frame when something changed, and reports the user's
// keys, clicks, resizes, moves, state changes and close requests to the model.
//
// It puts together the parts that do each: X11Reframer (showing and re-framing under
// an X11 window manager), GeometrySync (place and size against the window manager's
// echoes), FramePacer (one paint per display frame), KeyFilter (the keys) and
// FrameTracer (the frame trace).
class QtWindowHost : public WindowHost {
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
    void setInputListener(std::function<void()> fn) { keys_->setInputListener(std::move(fn)); }

    QWidget& widget() const;
    Window& window() const { return window_; }
    TreePainter& treePainter() { return painter_; }
    std::uint64_t paints() const { return paints_; }

    static constexpr qint64 kFrameNs = FramePacer::kFrameNs;

  private:
    friend class HostWidget;
    class SyncPlatform;
    class ReframerHost;

    void applyAll();
    void applyBorder(bool first);
    void setHiddenBorder();
    void finishShow();
    void wmChanged();
    void showNow();
    void applyVisibility();
    void applyState();
    void frameTick();
    FrameExtents inWidgetPixels(const FrameExtents& screen) const;

    // From the widget.
    void paint(QPainter& p, QRect only);
    void userState(Qt::WindowStates states);
    bool userClose();

    Window& window_;
    std::unique_ptr<HostWidget> widget_;
    TreePainter painter_;

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
    bool activateOnShow_ = false;  // the pending show is one the model asked for

    std::unique_ptr<SyncPlatform> syncPlatform_;
    GeometrySync sync_;
    FrameTracer tracer_;
    FramePacer pacer_;
    std::uint64_t paints_ = 0;
    // On X11: what the window manager says of the window.
    std::unique_ptr<X11Frame> x11_;
    std::unique_ptr<ReframerHost> reframerHost_;
    std::unique_ptr<X11Reframer> reframer_;
    std::unique_ptr<KeyFilter> keys_;
};

}  // namespace tk::qt
