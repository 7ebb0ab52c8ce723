#include "shell/world_tick.h"

#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/physics_world.h"
#include "track/roost.h"
#include "track/ruts.h"

namespace br {

void world_tick(World& w) {
  // The history playback, network, robots, gates and demo work joins here as those parts of
  // the game arrive.
  make_bike_contacts(w);
  throw_roost(w);
  step_physics(w);
  erode_terrain(w);
  for (RiderSlot& slot : w.slots) {
    if (slot.bike) step_bike(w, *slot.bike);
  }
  update_particles(w);
  w.frame += 1;
}

}  // namespace br
