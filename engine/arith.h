// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brisco2 {

// Game arithmetic is plain 32-bit two's complement: it wraps instead of overflowing,
// so no amount of play (or a hostile replay) reaches undefined behaviour.
inline std::int32_t add32(std::int32_t a, std::int32_t b) {
    return std::int32_t(std::uint32_t(a) + std::uint32_t(b));
}

// The counter caption: the prefix, a blank from 10000 on, the decimal digits (a minus
// sign straight after the prefix), then the suffix ("s." for the time captions).
std::string counterCaption(std::string_view prefix, std::int32_t value,
                           std::string_view suffix = {});

}  // namespace brisco2
