#include "shell/world_tick.h"

#include "bike/physics_world.h"

namespace br {

void world_tick(World& w) {
  // The rider, gate and demo work joins here as those parts of the game arrive.
  step_physics(w);
  w.frame += 1;
}

}  // namespace br
