// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QWidget>
#include <functional>

#include "toolkit/qt/frame_tracer.h"
#include "toolkit/window.h"

namespace tk::qt {

// Takes one window's keys and mouse buttons where they reach its platform window, before
// Qt drops them for a disabled one: a disabled window's keys still go to the key
// dispatch. A window blocked by a modal report gets no keys; a button held over an
// enabled window keeps keys from the game until it is let go.
class KeyFilter : public QObject {
  public:
    // Watches `widget`'s platform window for `model` from now on.
    KeyFilter(Window& model, QWidget& widget, FrameTracer& tracer);
    ~KeyFilter() override;
    KeyFilter(const KeyFilter&) = delete;
    KeyFilter& operator=(const KeyFilter&) = delete;

    // Called after every key offered to the key dispatch, so the timer wake-up can
    // follow what the handler armed.
    void setInputListener(std::function<void()> fn) { afterInput_ = std::move(fn); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Window& model_;
    QWidget& widget_;
    FrameTracer& tracer_;
    std::function<void()> afterInput_;
};

}  // namespace tk::qt
