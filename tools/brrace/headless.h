// The game's simulation brought up with no window and no sound: the data files, the bikes'
// collision shapes, the settings as a new player has them, the track list and the physics
// world; and taken down again.
#pragma once

#include <string>

#include "world/world.h"

namespace brrace {

// False, with the reason in `error`, when there is no game data to race on.
bool headless_start(br::World& w, std::string& error);

// Selects `track` for the next session; false when the data holds no such track.
bool choose_track(br::World& w, const std::string& track);

void headless_stop(br::World& w);

}  // namespace brrace
