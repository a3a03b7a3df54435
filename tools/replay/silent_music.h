#pragma once

#include "app/main_window.h"

namespace brisco2::replay {

// The music as the game plays it, into an output that discards the sound.
MediaFactory silentMusic();

}  // namespace brisco2::replay
