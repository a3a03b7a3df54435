// SPDX-FileCopyrightText: 2026 Brisco2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "tools/replay/silent_music.h"

#include "toolkit/media/audio_output.h"
#include "toolkit/media/ffmpeg_media.h"

namespace brisco2::replay {

MediaFactory silentMusic() {
    return []() -> std::unique_ptr<tk::MediaBackend> {
        return std::make_unique<tk::FfmpegMedia>(std::make_unique<tk::SilentOutput>());
    };
}

}  // namespace brisco2::replay
