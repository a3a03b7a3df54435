// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/geometry_sync.h"

#include <QElapsedTimer>
#include <algorithm>
#include <memory>

namespace tk::qt {

namespace {

bool isZero(const FrameExtents& f) {
    return f == FrameExtents{};
}

std::function<qint64()> steadyMs() {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [clock] { return clock->elapsed(); };
}

}  // namespace

GeometrySync::GeometrySync(Window& model, Platform& platform, std::function<void()> userResized,
                           std::function<qint64()> nowMs)
    : model_(model),
      platform_(platform),
      userResized_(std::move(userResized)),
      nowMs_(nowMs ? std::move(nowMs) : steadyMs()),
      echo_(nowMs_) {
    watch_.setInterval(kWatchStepMs);
    QObject::connect(&watch_, &QTimer::timeout, &watch_, [this] { watchTick(); });
    userGeometry_.setSingleShot(true);
    userGeometry_.setInterval(0);
    QObject::connect(&userGeometry_, &QTimer::timeout, &userGeometry_,
                     [this] { takeUserGeometry(); });
}

FrameExtents GeometrySync::platformFrame() const {
    // The frame the platform really has: a border change may still be waiting. The game
    // measures by the border it set (modelFrame); the window is sized by this one.
    if (platform_.border() == BorderStyle::None) return {};
    return frame_.value_or(FrameExtents{});
}

FrameExtents GeometrySync::modelFrame() const {
    if (model_.border() == BorderStyle::None) return {};
    return frame_.value_or(FrameExtents{});
}

QSize GeometrySync::clientSize() const {
    const FrameExtents f = platformFrame();
    return QSize(std::max(1, model_.width() - f.left - f.right),
                 std::max(1, model_.height() - f.top - f.bottom));
}

QPoint GeometrySync::outerPos() const {
    // Not Qt's frame geometry: Qt takes the frame from _NET_FRAME_EXTENTS as it is,
    // and metacity leaves a frame's extents on a window that has lost it.
    const FrameExtents f = modelFrame();
    return platform_.clientGeometry().topLeft() - QPoint(f.left, f.top);
}

bool GeometrySync::matches() const {
    if (model_.state() != WindowState::Normal) return true;
    return platform_.clientGeometry().size() == clientSize() &&
           outerPos() == QPoint(model_.left(), model_.top());
}

void GeometrySync::apply() {
    // The platform keeps the normal geometry while minimised or maximised; it is set
    // again when the window returns to normal.
    if (model_.state() != WindowState::Normal || restoring_) return;
    const QSize client = clientSize();
    const QPoint pos(model_.left(), model_.top());
    const bool resize = platform_.clientGeometry().size() != client;
    const bool move = !platform_.visible() || outerPos() != pos;
    if (!resize && !move) return;
    if (resize) echo_.askedSize(client);
    if (move) {
        // Placed by its client area and the frame the window manager said it gives.
        // Qt's move() counts from its own record of the frame, which keeps a titled
        // frame's top after the window has gone borderless (seen under icewm: the
        // window then sat a title bar's height too low for the whole title screen).
        const FrameExtents f = platformFrame();
        const QRect asked(pos + QPoint(f.left, f.top), client);
        echo_.askedPosition(pos, asked.topLeft());
        platform_.place(asked);
    } else {
        platform_.resize(client);
    }
}

void GeometrySync::watch() {
    watchStart_ = nowMs_();
    watch_.start();
}

void GeometrySync::restored() {
    // The window manager puts the normal frame and geometry back in its own time;
    // geometry set before that would be placed by the maximised frame.
    restoring_ = true;
    watch();
}

void GeometrySync::watchTick() {
    const qint64 age = nowMs_() - watchStart_;
    if (platform_.reframing()) return;  // the window manager's answer comes first
    const std::optional<FrameExtents> now = platform_.frame();
    if (restoring_) {
        // Restored once the platform shows the normal frame again (none when
        // borderless), or after a while in any case.
        const bool normalFrame = platform_.border() == BorderStyle::None
                                     ? (!now || isZero(*now))
                                     : (now && (frame_ ? *frame_ == *now : !isZero(*now)));
        if (!normalFrame && age < kRestoreWaitMs) return;
        restoring_ = false;
        apply();
    }
    frameChanged();
    // The window manager may have placed the window by a frame it no longer has.
    apply();
    // Settled: exposed, the frame the one learnt, at the model's place and size.
    const bool frameKnown =
        platform_.border() == BorderStyle::None || (frame_ && now && *frame_ == *now);
    const bool settled = frameKnown && platform_.exposed() && !restoring_ && matches();
    if (age > kWatchMs || (settled && age >= kSettleMs)) watch_.stop();
}

void GeometrySync::frameChanged() {
    // Only the frame of a normal window: a maximised one has borders of its own. The
    // window manager may tell that frame before Qt reports the new state (xfwm4 does).
    if (platform_.border() != BorderStyle::Sizeable || model_.state() != WindowState::Normal ||
        platform_.state() != WindowState::Normal || restoring_ || platform_.heldByWindowManager())
        return;
    const std::optional<FrameExtents> now = platform_.frame();
    if (!now) return;  // not framed yet
    if (frame_ && *frame_ == *now) return;
    frame_ = *now;
    // Now the client area can be sized so that the outer size is the model's.
    apply();
}

void GeometrySync::reported() {
    // Taken once Qt has handled what came with it: icewm moves and sizes a window it
    // maximises before it says that it is maximised.
    if (!userGeometry_.isActive()) userGeometry_.start();
}

void GeometrySync::takeUserGeometry() {
    if (platform_.heldByWindowManager()) return;
    userResize(platform_.clientGeometry().size());
    userMove(outerPos(), platform_.clientGeometry().topLeft());
}

void GeometrySync::userResize(QSize client) {
    // Only a framed window in its normal state can be dragged to a size; anything
    // else is the platform settling what was asked of it.
    if (platform_.border() != BorderStyle::Sizeable || model_.state() != WindowState::Normal ||
        platform_.state() != WindowState::Normal || watching() || restoring_ ||
        platform_.reframing() || echo_.sizeEcho(client))
        return;
    const FrameExtents f = platformFrame();
    const int w = client.width() + f.left + f.right;
    const int h = client.height() + f.top + f.bottom;
    if (w == model_.width() && h == model_.height()) return;
    model_.userResized(w, h);
    if (userResized_) userResized_();
}

void GeometrySync::userMove(QPoint pos, QPoint client) {
    if (model_.state() != WindowState::Normal || platform_.state() != WindowState::Normal ||
        watching() || restoring_ || platform_.reframing() || echo_.positionEcho(pos, client))
        return;
    if (pos.x() == model_.left() && pos.y() == model_.top()) return;
    model_.userMoved(pos.x(), pos.y());
}

}  // namespace tk::qt
