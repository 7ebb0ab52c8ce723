// One simulation step of the whole world.
#pragma once

#include "world/world.h"

namespace br {

// Advances the world by one step of 1/128 s: contacts, physics, robots, bikes, gates, the
// frame counter, results and demos, in that order.
void world_tick(World& w);

}  // namespace br
