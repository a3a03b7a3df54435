// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/window_host.h"

#include <QCloseEvent>
#include <QIcon>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>

#include "toolkit/application.h"

namespace tk::qt {

namespace {

FrameExtents toExtents(const QMargins& m) {
    return FrameExtents{m.left(), m.top(), m.right(), m.bottom()};
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
        if (e->spontaneous()) host_.sync_.reported();
    }
    void moveEvent(QMoveEvent* e) override {
        if (e->spontaneous()) host_.sync_.reported();
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

// What the geometry sync reads of the widget and the window manager.
class QtWindowHost::SyncPlatform : public GeometrySync::Platform {
  public:
    explicit SyncPlatform(QtWindowHost& host) : h_(host) {}
    QRect clientGeometry() const override { return h_.widget_->geometry(); }
    bool visible() const override { return h_.widget_->isVisible(); }
    bool exposed() const override {
        QWindow* handle = h_.widget_->windowHandle();
        return handle && handle->isExposed();
    }
    WindowState state() const override { return fromQt(h_.widget_->windowState()); }
    std::optional<FrameExtents> frame() const override {
        if (!h_.widget_->isVisible()) return std::nullopt;
        // On X11 the window manager says what frame it gives the window, in the screen's
        // pixels; none runs, none.
        if (h_.x11_) {
            if (!h_.x11_->wmRunning()) return FrameExtents{};
            const std::optional<FrameExtents> f = h_.x11_->extents();
            if (!f) return std::nullopt;
            return h_.inWidgetPixels(*f);
        }
        // Elsewhere (Wayland) Qt draws the frame itself and knows it; none yet is unknown.
        QWindow* handle = h_.widget_->windowHandle();
        if (!handle || handle->frameMargins().isNull()) return std::nullopt;
        return toExtents(handle->frameMargins());
    }
    bool heldByWindowManager() const override { return h_.x11_ && h_.x11_->maximisedOrHidden(); }
    BorderStyle border() const override { return h_.applied_.border; }
    bool reframing() const override { return h_.reframer_ && h_.reframer_->busy(); }
    void place(QRect client) override { h_.widget_->setGeometry(client); }
    void resize(QSize client) override { h_.widget_->resize(client); }

  private:
    QtWindowHost& h_;
};

// What the re-framer does to the widget.
class QtWindowHost::ReframerHost : public X11Reframer::Host {
  public:
    explicit ReframerHost(QtWindowHost& host) : h_(host) {}
    bool wanted() const override { return h_.window_.visible(); }
    bool borderOutdated() const override { return h_.window_.border() != h_.applied_.border; }
    void withdraw() override { h_.widget_->hide(); }
    void rebuild() override { h_.setHiddenBorder(); }
    void framed(const FrameExtents& screen) override {
        if (h_.applied_.border == BorderStyle::Sizeable)
            h_.sync_.learnFrame(h_.inWidgetPixels(screen));
    }
    void show() override { h_.finishShow(); }
    void keepHidden() override { h_.sync_.apply(); }

  private:
    QtWindowHost& h_;
};

QtWindowHost::QtWindowHost(Window& window)
    : window_(window),
      widget_(std::make_unique<HostWidget>(*this)),
      syncPlatform_(std::make_unique<SyncPlatform>(*this)),
      sync_(window, *syncPlatform_, [this] { pacer_.request(); }),
      tracer_(FrameTrace::fromEnvironment()),
      pacer_([this] { frameTick(); }) {
    // The native window exists from here on, so the window manager's answers about it
    // can be read before it is first shown.
    widget_->winId();
    x11_ = X11Frame::create(*widget_, [this] { wmChanged(); });
    reframerHost_ = std::make_unique<ReframerHost>(*this);
    reframer_ = std::make_unique<X11Reframer>(*reframerHost_, x11_.get());
    keys_ = std::make_unique<KeyFilter>(window_, *widget_, tracer_);
    window_.setHost(this);
    applyAll();
}

QtWindowHost::~QtWindowHost() {
    keys_.reset();
    if (window_.host() == this) window_.setHost(nullptr);
}

QWidget& QtWindowHost::widget() const {
    return *widget_;
}

void QtWindowHost::windowChanged(Window&) {
    applyAll();
}

void QtWindowHost::contentChanged(Window&) {
    pacer_.request();
}

FrameExtents QtWindowHost::decoration(const Window&) const {
    return sync_.frame().value_or(FrameExtents{});
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
    sync_.apply();
    applyVisibility();
    pacer_.request();
}

void QtWindowHost::applyBorder(bool first) {
    if (reframer_->busy()) return;  // the re-framing under way takes the latest border
    if (!first && window_.border() == applied_.border) return;
    const bool shown = widget_->isVisible();
    // Re-framing hides the window; it comes back with the same widgets, state and
    // geometry, and its keys keep working. A button held over it is let go: its
    // release would never arrive.
    if (shown) window_.app().setMouseCaptured(false);
    if (shown && x11_) {
        reframer_->reframe();
        return;
    }
    applied_.border = window_.border();
    widget_->setWindowFlag(Qt::FramelessWindowHint, applied_.border == BorderStyle::None);
    sync_.apply();
    if (shown && window_.visible()) showNow();
}

void QtWindowHost::setHiddenBorder() {
    applied_.border = window_.border();
    widget_->setWindowFlag(Qt::FramelessWindowHint, applied_.border == BorderStyle::None);
    // Qt lets the native window go with the old flags and makes the new one only when
    // the widget is shown; the window manager is to be asked about it before that.
    widget_->winId();
}

void QtWindowHost::finishShow() {
    sync_.apply();
    showNow();
    if (activateOnShow_) {
        activateOnShow_ = false;
        // Showing brings the window in front and makes it the active one.
        widget_->raise();
        widget_->activateWindow();
    }
}

void QtWindowHost::wmChanged() {
    if (reframer_->busy()) {
        reframer_->answered();
        return;
    }
    sync_.frameChanged();
}

void QtWindowHost::showNow() {
    widget_->show();
    sync_.watch();
}

void QtWindowHost::applyState() {
    const WindowState before = applied_.state;
    applied_.state = window_.state();
    widget_->setWindowState(toQt(applied_.state, widget_->windowState()));
    if (applied_.state == WindowState::Normal && before != WindowState::Normal) sync_.restored();
}

void QtWindowHost::applyVisibility() {
    const bool shown = widget_->isVisible() || reframer_->busy();
    if (window_.visible() == applied_.visible && window_.visible() == shown) return;
    applied_.visible = window_.visible();
    if (applied_.visible) {
        activateOnShow_ = true;
        if (!reframer_->busy()) reframer_->show();
    } else {
        activateOnShow_ = false;
        if (widget_->isVisible()) window_.app().setMouseCaptured(false);
        reframer_->cancelShow();
        widget_->hide();
    }
}

FrameExtents QtWindowHost::inWidgetPixels(const FrameExtents& screen) const {
    // The window manager counts in the screen's pixels, the widget tree in Qt's.
    const qreal r = widget_->devicePixelRatioF();
    return FrameExtents{qRound(screen.left / r), qRound(screen.top / r), qRound(screen.right / r),
                        qRound(screen.bottom / r)};
}

void QtWindowHost::frameTick() {
    // Only what changed goes to the screen: a moving actor costs its two squares.
    const QRegion damage =
        window_.takeDirty() ? painter_.damage(window_, widget_->rect()) : QRegion();
    if (damage.isEmpty()) {
        tracer_.nothingShown();  // what the keys changed does not show
        return;
    }
    QScreen* screen = widget_->screen();
    pacer_.painting(screen ? screen->refreshRate() : 0);
    // Painted and handed to the window system now, not at a later pass of the loop.
    widget_->repaint(damage);
    if (tracer_.on()) tracer_.frameShown(RealClock::monotonicNow());
}

void QtWindowHost::paint(QPainter& p, QRect only) {
    ++paints_;
    painter_.paint(p, window_, widget_->rect(), only);
}

void QtWindowHost::userState(Qt::WindowStates states) {
    const WindowState s = fromQt(states);
    applied_.state = s;
    if (s == window_.state()) return;
    window_.userStateChanged(s);
    // Back to normal: the model's geometry holds again once the platform has settled.
    if (s == WindowState::Normal) sync_.restored();
    pacer_.request();
}

bool QtWindowHost::userClose() {
    return window_.app().userClose(window_);
}

}  // namespace tk::qt
