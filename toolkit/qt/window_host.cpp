// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/window_host.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QWindow>
#include <algorithm>

#include "toolkit/application.h"
#include "toolkit/qt/keys.h"

namespace tk::qt {

namespace {

// How long a size or position we asked for may still come back as a confirmation.
constexpr qint64 kRequestMemoryMs = 2000;
// How long after showing or re-bordering the window manager may take to frame it.
constexpr qint64 kFrameWatchMs = 3000;
constexpr int kFrameWatchStepMs = 25;
// The longest wait for the window manager to restore a maximised or minimised window.
constexpr qint64 kRestoreWaitMs = 1000;
// How long a frame must stay as learnt before the window counts as settled.
constexpr qint64 kSettleMs = 300;
// How long a shown window may wait for its first exposure, and how often it is shown
// again when it never comes.
constexpr qint64 kExposeWaitMs = 1000;
constexpr int kExposeRetries = 3;

FrameExtents toExtents(const QMargins& m) {
    return FrameExtents{m.left(), m.top(), m.right(), m.bottom()};
}

bool sameFrame(const FrameExtents& a, const FrameExtents& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

WindowState fromQt(Qt::WindowStates s) {
    if (s & Qt::WindowMinimized) return WindowState::Minimized;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return WindowState::Maximized;
    return WindowState::Normal;
}

Qt::WindowStates toQt(WindowState s, Qt::WindowStates current) {
    current &= ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (s) {
        case WindowState::Minimized:
            return current | Qt::WindowMinimized;
        case WindowState::Maximized:
            return current | Qt::WindowMaximized;
        case WindowState::Normal:
            break;
    }
    return current;
}

}  // namespace

// The real window. It only forwards what happens to it; the host decides.
class HostWidget : public QWidget {
  public:
    explicit HostWidget(QtWindowHost& host) : host_(host) {
        // The tree covers every pixel: no background fill before each paint.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }

  protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        host_.paint(p, e->rect());
    }
    void resizeEvent(QResizeEvent* e) override {
        if (e->spontaneous()) host_.userResize(e->size());
    }
    void moveEvent(QMoveEvent* e) override {
        if (e->spontaneous()) host_.userMove(frameGeometry().topLeft());
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::WindowStateChange && e->spontaneous())
            host_.userState(windowState());
        QWidget::changeEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (host_.userClose())
            e->accept();
        else
            e->ignore();
    }

  private:
    QtWindowHost& host_;
};

QtWindowHost::QtWindowHost(Window& window)
    : window_(window), widget_(std::make_unique<HostWidget>(*this)) {
    clock_.start();
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { frameTick(); });
    frameWatch_.setInterval(kFrameWatchStepMs);
    connect(&frameWatch_, &QTimer::timeout, this, [this] { watchTick(); });
    // Keys are taken where they reach the window, before Qt drops them for a
    // disabled one: a disabled window's keys still go to the key dispatch.
    QCoreApplication::instance()->installEventFilter(this);
    window_.setHost(this);
    applyAll();
}

QtWindowHost::~QtWindowHost() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
    if (window_.host() == this) window_.setHost(nullptr);
}

QWidget& QtWindowHost::widget() const {
    return *widget_;
}

void QtWindowHost::windowChanged(Window&) {
    applyAll();
}

void QtWindowHost::contentChanged(Window&) {
    scheduleFrame();
}

FrameExtents QtWindowHost::decoration(const Window&) const {
    return sizeableFrame_.value_or(FrameExtents{});
}

FrameExtents QtWindowHost::platformFrame() const {
    // The frame the platform really has: a border change may still be waiting. The game
    // measures by the border it set (frame()); the window is sized by this one.
    if (applied_.border == BorderStyle::None) return {};
    return decoration(window_);
}

void QtWindowHost::applyAll() {
    const bool first = applied_.first;
    applied_.first = false;

    if (first || window_.caption() != applied_.caption) {
        applied_.caption = window_.caption();
        widget_->setWindowTitle(QString::fromStdString(applied_.caption));
    }
    if (first || window_.icon() != applied_.icon) {
        applied_.icon = window_.icon();
        widget_->setWindowIcon(
            applied_.icon ? QIcon(QPixmap::fromImage(painter_.image(*applied_.icon))) : QIcon());
    }
    if (first || window_.enabled() != applied_.enabled) {
        applied_.enabled = window_.enabled();
        widget_->setEnabled(applied_.enabled);
    }
    if (first || window_.border() != applied_.border) applyBorder(first);
    if (first || window_.state() != applied_.state) applyState();
    applyGeometry();
    applyVisibility();
    scheduleFrame();
}

bool QtWindowHost::exposed() const {
    QWindow* handle = widget_->windowHandle();
    return handle && handle->isExposed();
}

void QtWindowHost::applyBorder(bool first) {
    const bool shown = widget_->isVisible();
    // Re-framing a window the window manager has not yet finished showing can leave
    // it unmapped: wait for the first exposure (or a while) before re-framing.
    if (!first && shown && !exposed() && shownAge_.isValid() &&
        shownAge_.elapsed() < kExposeWaitMs) {
        borderPending_ = true;
        watchFrame();
        return;
    }
    borderPending_ = false;
    if (!first && window_.border() == applied_.border) return;  // changed back meanwhile
    applied_.border = window_.border();
    // Re-framing hides the window; it comes back with the same widgets, state and
    // geometry, and its keys keep working. A button held over it is let go: its
    // release would never arrive.
    if (shown) window_.app().setMouseCaptured(false);
    widget_->setWindowFlag(Qt::FramelessWindowHint, applied_.border == BorderStyle::None);
    applyGeometry();
    if (shown && window_.visible()) showNow();
}

void QtWindowHost::showNow() {
    widget_->show();
    shownAge_.restart();
    watchFrame();
}

void QtWindowHost::applyState() {
    const WindowState before = applied_.state;
    applied_.state = window_.state();
    widget_->setWindowState(toQt(applied_.state, widget_->windowState()));
    if (applied_.state == WindowState::Normal && before != WindowState::Normal) restored();
}

void QtWindowHost::restored() {
    // The window manager puts the normal frame and geometry back in its own time;
    // geometry set before that would be placed by the maximised frame.
    restoring_ = true;
    watchFrame();
}

void QtWindowHost::applyGeometry() {
    // The platform keeps the normal geometry while minimised or maximised; it is set
    // again when the window returns to normal.
    if (window_.state() != WindowState::Normal || restoring_) return;
    const QSize client = clientSize();
    const qint64 now = clock_.elapsed();
    if (widget_->size() != client) {
        sizeRequests_.push_back({client, now});
        widget_->resize(client);
    }
    const QPoint pos(window_.left(), window_.top());
    if (widget_->frameGeometry().topLeft() != pos) {
        posRequests_.push_back({pos, now});
        widget_->move(pos);  // a top-level's position is its frame's
    }
}

QSize QtWindowHost::clientSize() const {
    const FrameExtents f = platformFrame();
    return QSize(std::max(1, window_.width() - f.left - f.right),
                 std::max(1, window_.height() - f.top - f.bottom));
}

bool QtWindowHost::geometryMatches() const {
    if (window_.state() != WindowState::Normal) return true;
    return widget_->size() == clientSize() &&
           widget_->frameGeometry().topLeft() == QPoint(window_.left(), window_.top());
}

void QtWindowHost::applyVisibility() {
    if (window_.visible() == applied_.visible && window_.visible() == widget_->isVisible()) return;
    applied_.visible = window_.visible();
    if (applied_.visible) {
        showExposeRetries_ = 0;
        showNow();
        // Showing brings the window in front and makes it the active one.
        widget_->raise();
        widget_->activateWindow();
    } else {
        if (widget_->isVisible()) window_.app().setMouseCaptured(false);
        widget_->hide();
    }
}

void QtWindowHost::watchFrame() {
    frameWatchAge_.restart();
    frameWatch_.start();
}

void QtWindowHost::watchTick() {
    const qint64 age = frameWatchAge_.elapsed();
    if (borderPending_ && (exposed() || shownAge_.elapsed() >= kExposeWaitMs)) {
        applyBorder(false);
        return;
    }
    // Shown, yet never exposed: the window manager lost the request in a race. Show
    // the window once more.
    if (widget_->isVisible() && window_.visible() && !exposed() &&
        window_.state() != WindowState::Minimized && shownAge_.elapsed() >= kExposeWaitMs &&
        showExposeRetries_ < kExposeRetries) {
        ++showExposeRetries_;
        widget_->hide();
        showNow();
        return;
    }
    if (restoring_) {
        // Restored once the platform shows the normal frame again (none when
        // borderless), or after a while in any case.
        const QMargins m = margins();
        const bool normalFrame =
            applied_.border == BorderStyle::None
                ? m.isNull()
                : (sizeableFrame_ ? sameFrame(*sizeableFrame_, toExtents(m)) : !m.isNull());
        if (!normalFrame && age < kRestoreWaitMs) return;
        restoring_ = false;
        applyGeometry();
    }
    readFrame();
    // The window manager may have placed the window by a frame it no longer has.
    applyGeometry();
    // Settled: exposed, the frame the one learnt, at the model's place and size.
    const bool frameKnown = applied_.border == BorderStyle::None ||
                            (sizeableFrame_ && sameFrame(*sizeableFrame_, toExtents(margins())));
    const bool settled =
        frameKnown && exposed() && !borderPending_ && !restoring_ && geometryMatches();
    if (age > kFrameWatchMs || (settled && age >= kSettleMs)) frameWatch_.stop();
}

QMargins QtWindowHost::margins() const {
    QWindow* handle = widget_->windowHandle();
    return handle && widget_->isVisible() ? handle->frameMargins() : QMargins();
}

void QtWindowHost::readFrame() {
    // Only the frame of a normal window: a maximised one has borders of its own.
    if (applied_.border != BorderStyle::Sizeable || window_.state() != WindowState::Normal ||
        fromQt(widget_->windowState()) != WindowState::Normal || restoring_)
        return;
    const QMargins m = margins();
    if (m.isNull()) return;  // not framed yet
    const FrameExtents f = toExtents(m);
    if (sizeableFrame_ && sameFrame(*sizeableFrame_, f)) return;
    sizeableFrame_ = f;
    // Now the client area can be sized so that the outer size is the model's.
    applyGeometry();
}

bool QtWindowHost::recentlyRequested(QSize client) const {
    const qint64 now = clock_.elapsed();
    return std::any_of(sizeRequests_.begin(), sizeRequests_.end(), [&](const auto& r) {
        return r.value == client && now - r.at <= kRequestMemoryMs;
    });
}

bool QtWindowHost::recentlyRequested(QPoint pos) const {
    const qint64 now = clock_.elapsed();
    return std::any_of(posRequests_.begin(), posRequests_.end(), [&](const auto& r) {
        return r.value == pos && now - r.at <= kRequestMemoryMs;
    });
}

void QtWindowHost::scheduleFrame() {
    if (frameTimer_.isActive()) return;
    const qint64 wait = lastFrameAt_ + kFrameMs - clock_.elapsed();
    frameTimer_.start(int(std::max<qint64>(0, wait)));
}

void QtWindowHost::frameTick() {
    lastFrameAt_ = clock_.elapsed();
    auto old = [&](const auto& r) { return lastFrameAt_ - r.at > kRequestMemoryMs; };
    while (!sizeRequests_.empty() && old(sizeRequests_.front())) sizeRequests_.pop_front();
    while (!posRequests_.empty() && old(posRequests_.front())) posRequests_.pop_front();
    if (!window_.takeDirty()) return;
    // Only what changed goes to the screen: a moving actor costs its two squares.
    const QRegion damage = painter_.damage(window_, widget_->rect());
    if (!damage.isEmpty()) widget_->update(damage);
}

void QtWindowHost::paint(QPainter& p, QRect only) {
    ++paints_;
    painter_.paint(p, window_, widget_->rect(), only);
}

void QtWindowHost::userResize(QSize client) {
    // Only a framed window in its normal state can be dragged to a size; anything
    // else is the platform settling what was asked of it.
    if (applied_.border != BorderStyle::Sizeable || window_.state() != WindowState::Normal ||
        fromQt(widget_->windowState()) != WindowState::Normal || frameWatch_.isActive() ||
        restoring_ || recentlyRequested(client))
        return;
    const FrameExtents f = platformFrame();
    const int w = client.width() + f.left + f.right;
    const int h = client.height() + f.top + f.bottom;
    if (w == window_.width() && h == window_.height()) return;
    window_.userResized(w, h);
    scheduleFrame();
}

void QtWindowHost::userMove(QPoint pos) {
    if (window_.state() != WindowState::Normal ||
        fromQt(widget_->windowState()) != WindowState::Normal || frameWatch_.isActive() ||
        restoring_ || recentlyRequested(pos))
        return;
    if (pos.x() == window_.left() && pos.y() == window_.top()) return;
    window_.userMoved(pos.x(), pos.y());
}

void QtWindowHost::userState(Qt::WindowStates states) {
    const WindowState s = fromQt(states);
    applied_.state = s;
    if (s == window_.state()) return;
    window_.userStateChanged(s);
    // Back to normal: the model's geometry holds again once the platform has settled.
    if (s == WindowState::Normal) restored();
    scheduleFrame();
}

bool QtWindowHost::userClose() {
    return window_.app().userClose(window_);
}

bool QtWindowHost::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease)
        return false;
    // The platform window receives input first; a window blocked by a modal report
    // never gets it.
    QWindow* handle = widget_->windowHandle();
    if (!handle || watched != handle) return false;
    Application& app = window_.app();
    if (type == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
            app.setMouseCaptured(false);
        return false;
    }
    if (QWindow* modal = QGuiApplication::modalWindow(); modal && modal != handle) return false;
    if (type == QEvent::MouseButtonPress) {
        if (window_.enabled()) app.setMouseCaptured(true);
        return false;
    }
    // Key presses, auto-repeated ones included; releases mean nothing to the game.
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto vk = toVirtualKey(key->key(), key->modifiers());
    if (!vk) return false;
    const bool consumed = app.keyDown(window_, vk->code, vk->modifiers);
    if (afterInput_) afterInput_();
    return consumed;
}

}  // namespace tk::qt
