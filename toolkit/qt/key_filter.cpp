// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/key_filter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "toolkit/application.h"
#include "toolkit/qt/event_loop.h"
#include "toolkit/qt/keys.h"

namespace tk::qt {

KeyFilter::KeyFilter(Window& model, QWidget& widget, FrameTracer& tracer)
    : model_(model), widget_(widget), tracer_(tracer) {
    QCoreApplication::instance()->installEventFilter(this);
}

KeyFilter::~KeyFilter() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease)
        return false;
    // The platform window receives input first; a window blocked by a modal report
    // never gets it.
    QWindow* handle = widget_.windowHandle();
    if (!handle || watched != handle) return false;
    Application& app = model_.app();
    if (type == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
            app.setMouseCaptured(false);
        return false;
    }
    if (QWindow* modal = QGuiApplication::modalWindow(); modal && modal != handle) return false;
    if (type == QEvent::MouseButtonPress) {
        if (model_.enabled()) app.setMouseCaptured(true);
        return false;
    }
    // Key presses, auto-repeated ones included; releases mean nothing to the game.
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto vk = toVirtualKey(key->key(), key->modifiers());
    if (!vk) return false;
    const Nanos taken = tracer_.on() ? RealClock::monotonicNow() : 0;
    const std::uint64_t changes = model_.contentChanges();
    const bool consumed = app.keyDown(model_, vk->code, vk->modifiers);
    if (model_.contentChanges() != changes) tracer_.keyChanged(taken);
    if (afterInput_) afterInput_();
    return consumed;
}

}  // namespace tk::qt
