// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace brisco2::missions {

// What a direction group does at a mission start.
enum class Group { AsBefore, None, UpLeft, UpRight, DownLeft, DownRight };
// What a mission start does to a picture's visibility.
enum class Show { AsBefore, Shown, Hidden };

struct Setting {
    std::string_view level;
    int width;
    std::int32_t barRight;
    Show act2;  // act2 and act2b
    Show act3;
    Show act3b;
    bool ca2;
    bool ca3;
    Group aGroup;
    Group bGroup;
};

// Missions 1 to 9, index 0 to 8.
extern const std::array<Setting, 9> kSettings;

enum class Trigger { SecondsAtLeast, PointsAtLeast, BarAtMost };
enum class Win { PointsAtLeast, SecondsAtMost };

struct EndCheck {
    Trigger trigger;
    std::int32_t triggerValue;
    Win win;
    std::int32_t winValue;
    bool stopsActor2;
};

// Missions 1 to 8; mission 9 has no end check.
extern const std::array<EndCheck, 8> kEndChecks;

// The left edge every mission start gives the bar and BarLeft.
inline constexpr int kBarLeft = 216;

}  // namespace brisco2::missions
