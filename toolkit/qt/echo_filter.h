// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPoint>
#include <QSize>
#include <QtGlobal>
#include <deque>
#include <functional>

namespace tk::qt {

// Sizes and positions the window host asked of the platform lately. The window manager
// confirms each with a report that looks like the user's own doing; such a report is an
// echo, not a user action, for as long as it may still come.
class EchoFilter {
  public:
    // How long a size or position asked for may still come back as a confirmation.
    static constexpr qint64 kMemoryMs = 2000;

    // `nowMs`: a monotonic clock in milliseconds.
    explicit EchoFilter(std::function<qint64()> nowMs) : nowMs_(std::move(nowMs)) {}

    // A client area size asked for.
    void askedSize(QSize client);
    // A place asked for: the outer frame's position, and the client area's for the
    // frame the window was then known to have.
    void askedPosition(QPoint outer, QPoint client);

    bool sizeEcho(QSize client) const;
    // Either matches: a place comes back as asked even when the frame learnt since
    // makes its outer position another (the client area is where it was asked).
    bool positionEcho(QPoint outer, QPoint client) const;

  private:
    template <class T>
    struct Request {
        T value;
        qint64 at;
    };
    template <class T>
    static bool recent(const std::deque<Request<T>>& asked, const T& value, qint64 now);
    template <class T>
    static void forgetOld(std::deque<Request<T>>& asked, qint64 now);

    std::function<qint64()> nowMs_;
    std::deque<Request<QSize>> sizes_;
    std::deque<Request<QPoint>> positions_;
    std::deque<Request<QPoint>> clientPositions_;
};

}  // namespace tk::qt
