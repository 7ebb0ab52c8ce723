#include "shell/world_tick.h"

#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/physics_world.h"

namespace br {

void world_tick(World& w) {
  // The history playback, network, roost, erosion, robots, gates and demo work joins here as
  // those parts of the game arrive.
  make_bike_contacts(w);
  step_physics(w);
  for (RiderSlot& slot : w.slots) {
    if (slot.bike) step_bike(w, *slot.bike);
  }
  w.frame += 1;
}

}  // namespace br
