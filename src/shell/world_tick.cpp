#include "shell/world_tick.h"

namespace br {

void world_tick(World& w) {
  // The rider, physics, gate and demo work joins here as those parts of the game arrive.
  w.frame += 1;
}

}  // namespace br
