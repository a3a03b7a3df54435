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
#include <QScreen>
#include <QWindow>
#include <algorithm>

#include "toolkit/application.h"
#include "toolkit/qt/keys.h"

namespace tk::qt {

namespace {

// How long a size or position we asked for may still come back as a confirmation.
constexpr qint64 kRequestMemoryMs = 2000;
// How long after showing or re-bordering the window manager may take to place it.
constexpr qint64 kFrameWatchMs = 3000;
constexpr int kFrameWatchStepMs = 25;
// The longest wait for the window manager to restore a maximised or minimised window.
constexpr qint64 kRestoreWaitMs = 1000;
// How long the window must stay as asked before it counts as settled.
constexpr qint64 kSettleMs = 300;
// The longest wait for an X11 window manager's answer (taking the window in, letting it
// go, telling its frame). openbox, metacity, xfwm4 and icewm answer within a few
// milliseconds; this is for one that never does, and then the window goes on as if it
// had answered.
constexpr int kWmAnswerMs = 1000;

FrameExtents toExtents(const QMargins& m) {
    return FrameExtents{m.left(), m.top(), m.right(), m.bottom()};
}

bool isZero(const FrameExtents& f) {
    return f.left == 0 && f.top == 0 && f.right == 0 && f.bottom == 0;
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
        if (e->spontaneous()) host_.geometryReported();
    }
    void moveEvent(QMoveEvent* e) override {
        if (e->spontaneous()) host_.geometryReported();
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
    trace_ = FrameTrace::fromEnvironment();
    try {
        frameDeadline_ = std::make_unique<MonotonicDeadline>([this] { frameTick(); });
    } catch (const std::exception&) {
        frameDeadline_.reset();  // frames then come on the millisecond timer
    }
    frameTimer_.setSingleShot(true);
    // Never early: two frames are at least one refresh apart.
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { frameTick(); });
    frameWatch_.setInterval(kFrameWatchStepMs);
    connect(&frameWatch_, &QTimer::timeout, this, [this] { watchTick(); });
    userGeometry_.setSingleShot(true);
    userGeometry_.setInterval(0);
    connect(&userGeometry_, &QTimer::timeout, this, [this] { takeUserGeometry(); });
    answerWait_.setSingleShot(true);
    answerWait_.setInterval(kWmAnswerMs);
    connect(&answerWait_, &QTimer::timeout, this, [this] { advance(); });
    // The native window exists from here on, so the window manager's answers about it
    // can be read before it is first shown.
    widget_->winId();
    x11_ = X11Frame::create(*widget_, [this] { wmChanged(); });
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
    if (step_ != Step::None) return;  // the re-framing under way takes the latest border
    if (!first && window_.border() == applied_.border) return;
    const bool shown = widget_->isVisible();
    if (shown && x11_) {
        beginReframe();
        return;
    }
    applied_.border = window_.border();
    // Re-framing hides the window; it comes back with the same widgets, state and
    // geometry, and its keys keep working. A button held over it is let go: its
    // release would never arrive.
    if (shown) window_.app().setMouseCaptured(false);
    widget_->setWindowFlag(Qt::FramelessWindowHint, applied_.border == BorderStyle::None);
    applyGeometry();
    if (shown && window_.visible()) showNow();
}

void QtWindowHost::beginReframe() {
    // Changing the decorations of a mapped window is not enough: metacity reads them
    // only when it takes a window in. So the window is withdrawn and mapped again, and
    // it is mapped again only once the window manager has let it go (ICCCM 4.1.4):
    // mapped sooner, it may still be taken for the old window.
    window_.app().setMouseCaptured(false);
    step_ = Step::Managed;
    answerWait_.start();
    advance();
}

void QtWindowHost::advance() {
    const bool wm = x11_ && x11_->wmRunning();
    const bool late = !answerWait_.isActive();
    if (step_ == Step::Managed) {
        // A window the window manager has not yet taken in cannot be withdrawn: its
        // map request would still be on the way.
        if (wm && !late && !x11_->managed()) return;
        widget_->hide();
        step_ = Step::Withdrawn;
        answerWait_.start();
        if (wm && !x11_->withdrawn()) return;
    }
    if (step_ == Step::Withdrawn) {
        if (wm && !late && !x11_->withdrawn()) return;
        setHiddenBorder();
        prepareShow();
        return;
    }
    if (step_ == Step::Extents) {
        if (window_.border() != applied_.border) {
            // Changed while the window waited to be shown: it is shown as it is now.
            setHiddenBorder();
            prepareShow();
            return;
        }
        const std::optional<FrameExtents> f = x11_->extents();
        if (!f && !late) return;
        if (f && applied_.border == BorderStyle::Sizeable) sizeableFrame_ = inWidgetPixels(*f);
        finishShow();
    }
}

void QtWindowHost::setHiddenBorder() {
    applied_.border = window_.border();
    widget_->setWindowFlag(Qt::FramelessWindowHint, applied_.border == BorderStyle::None);
    // Qt lets the native window go with the old flags and makes the new one only when
    // the widget is shown; the window manager is to be asked about it before that.
    widget_->winId();
}

void QtWindowHost::prepareShow() {
    if (!window_.visible()) {
        step_ = Step::None;
        answerWait_.stop();
        applyGeometry();
        return;
    }
    // The frame a window gets, asked for before it is mapped: the client area is
    // sized for the model's outer size from the start. An old answer is cleared
    // first: it would be that of the window's last frame, and metacity leaves it on a
    // window it then manages without decorations. Qt places the window by the answer
    // too, so it is asked for a borderless window as well.
    if (x11_ && x11_->wmRunning()) {
        x11_->clearExtents();
        x11_->requestExtents();
        step_ = Step::Extents;
        answerWait_.start();
        return;
    }
    finishShow();
}

void QtWindowHost::finishShow() {
    step_ = Step::None;
    answerWait_.stop();
    applyGeometry();
    showNow();
    if (activateOnShow_) {
        activateOnShow_ = false;
        // Showing brings the window in front and makes it the active one.
        widget_->raise();
        widget_->activateWindow();
    }
}

void QtWindowHost::wmChanged() {
    if (step_ != Step::None) {
        advance();
        return;
    }
    readFrame();
}

void QtWindowHost::showNow() {
    widget_->show();
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
    const QPoint pos(window_.left(), window_.top());
    const bool resize = widget_->size() != client;
    const bool move = !widget_->isVisible() || outerPos() != pos;
    if (!resize && !move) return;
    const qint64 now = clock_.elapsed();
    if (resize) sizeRequests_.push_back({client, now});
    if (move) posRequests_.push_back({pos, now});
    if (move) {
        // Placed by its client area and the frame the window manager said it gives.
        // Qt's move() counts from its own record of the frame, which keeps a titled
        // frame's top after the window has gone borderless (seen under icewm: the
        // window then sat a title bar's height too low for the whole title screen).
        const FrameExtents f = platformFrame();
        widget_->setGeometry(QRect(pos + QPoint(f.left, f.top), client));
    } else {
        widget_->resize(client);
    }
}

QPoint QtWindowHost::outerPos() const {
    // Not Qt's frame geometry: Qt takes the frame from _NET_FRAME_EXTENTS as it is,
    // and metacity leaves a frame's extents on a window that has lost it.
    const FrameExtents f = frame(window_);
    return widget_->geometry().topLeft() - QPoint(f.left, f.top);
}

QSize QtWindowHost::clientSize() const {
    const FrameExtents f = platformFrame();
    return QSize(std::max(1, window_.width() - f.left - f.right),
                 std::max(1, window_.height() - f.top - f.bottom));
}

bool QtWindowHost::geometryMatches() const {
    if (window_.state() != WindowState::Normal) return true;
    return widget_->size() == clientSize() && outerPos() == QPoint(window_.left(), window_.top());
}

void QtWindowHost::applyVisibility() {
    const bool shown = widget_->isVisible() || step_ != Step::None;
    if (window_.visible() == applied_.visible && window_.visible() == shown) return;
    applied_.visible = window_.visible();
    if (applied_.visible) {
        activateOnShow_ = true;
        if (step_ == Step::None) prepareShow();
    } else {
        activateOnShow_ = false;
        if (widget_->isVisible()) window_.app().setMouseCaptured(false);
        if (step_ == Step::Extents) {
            step_ = Step::None;
            answerWait_.stop();
        }
        widget_->hide();
    }
}

void QtWindowHost::watchFrame() {
    frameWatchAge_.restart();
    frameWatch_.start();
}

void QtWindowHost::watchTick() {
    const qint64 age = frameWatchAge_.elapsed();
    if (step_ != Step::None) return;  // the window manager's answer comes first
    const std::optional<FrameExtents> now = wmFrame();
    if (restoring_) {
        // Restored once the platform shows the normal frame again (none when
        // borderless), or after a while in any case.
        const bool normalFrame =
            applied_.border == BorderStyle::None
                ? (!now || isZero(*now))
                : (now && (sizeableFrame_ ? sameFrame(*sizeableFrame_, *now) : !isZero(*now)));
        if (!normalFrame && age < kRestoreWaitMs) return;
        restoring_ = false;
        applyGeometry();
    }
    readFrame();
    // The window manager may have placed the window by a frame it no longer has.
    applyGeometry();
    // Settled: exposed, the frame the one learnt, at the model's place and size.
    const bool frameKnown = applied_.border == BorderStyle::None ||
                            (sizeableFrame_ && now && sameFrame(*sizeableFrame_, *now));
    const bool settled = frameKnown && exposed() && !restoring_ && geometryMatches();
    if (age > kFrameWatchMs || (settled && age >= kSettleMs)) frameWatch_.stop();
}

FrameExtents QtWindowHost::inWidgetPixels(const FrameExtents& screen) const {
    // The window manager counts in the screen's pixels, the widget tree in Qt's.
    const qreal r = widget_->devicePixelRatioF();
    return FrameExtents{qRound(screen.left / r), qRound(screen.top / r), qRound(screen.right / r),
                        qRound(screen.bottom / r)};
}

std::optional<FrameExtents> QtWindowHost::wmFrame() const {
    if (!widget_->isVisible()) return std::nullopt;
    // On X11 the window manager says what frame it gives the window, in the screen's
    // pixels; none runs, none.
    if (x11_) {
        if (!x11_->wmRunning()) return FrameExtents{};
        const std::optional<FrameExtents> f = x11_->extents();
        if (!f) return std::nullopt;
        return inWidgetPixels(*f);
    }
    // Elsewhere (Wayland) Qt draws the frame itself and knows it; none yet is unknown.
    QWindow* handle = widget_->windowHandle();
    if (!handle || handle->frameMargins().isNull()) return std::nullopt;
    return toExtents(handle->frameMargins());
}

void QtWindowHost::readFrame() {
    // Only the frame of a normal window: a maximised one has borders of its own.
    if (applied_.border != BorderStyle::Sizeable || window_.state() != WindowState::Normal ||
        fromQt(widget_->windowState()) != WindowState::Normal || restoring_)
        return;
    const std::optional<FrameExtents> now = wmFrame();
    if (!now) return;  // not framed yet
    const FrameExtents f = *now;
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
    if (frameTimer_.isActive() || (frameDeadline_ && frameDeadline_->armed())) return;
    // The next refresh after the last frame: at once when that has passed.
    const qint64 next = lastFrameNs_ + framePeriodNs_;
    const qint64 wait = next - RealClock::monotonicNow();
    if (wait > 0 && frameDeadline_) {
        try {
            frameDeadline_->armAt(next);
            return;
        } catch (const std::exception&) {
            // The platform refused the timer: the millisecond one it is.
        }
    }
    frameTimer_.start(int(std::max<qint64>(0, (wait + 999'999) / 1'000'000)));
}

void QtWindowHost::frameTick() {
    const qint64 now = clock_.elapsed();
    auto old = [&](const auto& r) { return now - r.at > kRequestMemoryMs; };
    while (!sizeRequests_.empty() && old(sizeRequests_.front())) sizeRequests_.pop_front();
    while (!posRequests_.empty() && old(posRequests_.front())) posRequests_.pop_front();
    // Only what changed goes to the screen: a moving actor costs its two squares.
    const QRegion damage =
        window_.takeDirty() ? painter_.damage(window_, widget_->rect()) : QRegion();
    if (damage.isEmpty()) {
        keysShown_.clear();  // what they changed does not show
        return;
    }
    if (QScreen* screen = widget_->screen(); screen && screen->refreshRate() > 1)
        framePeriodNs_ = std::max<qint64>(kFrameNs, qint64(1e9 / screen->refreshRate()));
    lastFrameNs_ = RealClock::monotonicNow();
    // Painted and handed to the window system now, not at a later pass of the loop.
    widget_->repaint(damage);
    if (trace_) {
        const Nanos shown = RealClock::monotonicNow();
        for (const qint64 taken : keysShown_) trace_->key(taken, shown);
        trace_->frame(shown);
    }
    keysShown_.clear();
}

void QtWindowHost::paint(QPainter& p, QRect only) {
    ++paints_;
    painter_.paint(p, window_, widget_->rect(), only);
}

void QtWindowHost::geometryReported() {
    // Taken once Qt has handled what came with it: icewm moves and sizes a window it
    // maximises before it says that it is maximised.
    if (!userGeometry_.isActive()) userGeometry_.start();
}

void QtWindowHost::takeUserGeometry() {
    if (x11_ && x11_->maximisedOrHidden()) return;
    userResize(widget_->size());
    userMove(outerPos());
}

void QtWindowHost::userResize(QSize client) {
    // Only a framed window in its normal state can be dragged to a size; anything
    // else is the platform settling what was asked of it.
    if (applied_.border != BorderStyle::Sizeable || window_.state() != WindowState::Normal ||
        fromQt(widget_->windowState()) != WindowState::Normal || frameWatch_.isActive() ||
        restoring_ || step_ != Step::None || recentlyRequested(client))
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
        restoring_ || step_ != Step::None || recentlyRequested(pos))
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
    const Nanos taken = trace_ ? RealClock::monotonicNow() : 0;
    const std::uint64_t changes = window_.contentChanges();
    const bool consumed = app.keyDown(window_, vk->code, vk->modifiers);
    if (trace_ && window_.contentChanges() != changes) keysShown_.push_back(taken);
    if (afterInput_) afterInput_();
    return consumed;
}

}  // namespace tk::qt
