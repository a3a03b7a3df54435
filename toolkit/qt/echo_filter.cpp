// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "toolkit/qt/echo_filter.h"

#include <algorithm>

namespace tk::qt {

template <class T>
bool EchoFilter::recent(const std::deque<Request<T>>& asked, const T& value, qint64 now) {
    return std::any_of(asked.begin(), asked.end(),
                       [&](const auto& r) { return r.value == value && now - r.at <= kMemoryMs; });
}

template <class T>
void EchoFilter::forgetOld(std::deque<Request<T>>& asked, qint64 now) {
    while (!asked.empty() && now - asked.front().at > kMemoryMs) asked.pop_front();
}

void EchoFilter::askedSize(QSize client) {
    const qint64 now = nowMs_();
    forgetOld(sizes_, now);
    sizes_.push_back({client, now});
}

void EchoFilter::askedPosition(QPoint outer, QPoint client) {
    const qint64 now = nowMs_();
    forgetOld(positions_, now);
    forgetOld(clientPositions_, now);
    positions_.push_back({outer, now});
    clientPositions_.push_back({client, now});
}

bool EchoFilter::sizeEcho(QSize client) const {
    return recent(sizes_, client, nowMs_());
}

bool EchoFilter::positionEcho(QPoint outer, QPoint client) const {
    const qint64 now = nowMs_();
    return recent(positions_, outer, now) || recent(clientPositions_, client, now);
}

}  // namespace tk::qt
