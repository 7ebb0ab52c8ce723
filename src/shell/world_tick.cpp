#include "shell/world_tick.h"

#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/physics_world.h"
#include "robot/auto_pilot.h"
#include "robot/learn.h"
#include "track/roost.h"
#include "track/ruts.h"

namespace br {

void world_tick(World& w) {
  // The history playback, network, gates and demo work joins here as those parts of the game
  // arrive.
  make_bike_contacts(w);
  throw_roost(w);
  step_physics(w);
  erode_terrain(w);
  for (int i = 0; i < kRiderSlots; ++i) {
    RiderSlot& slot = w.slots[size_t(i)];
    if (!slot.bike) continue;
    if (slot.control == kControlRobot) auto_pilot_step(w, i);
    step_bike(w, *slot.bike);
  }
  update_particles(w);
  // Every rider simulated here feeds the robots' line database.
  if (w.track.timing.active) {
    for (int i = 0; i < kRiderSlots; ++i) {
      if (!w.connected || w.slots[size_t(i)].control == kControlLocal) learn_step(w, i);
    }
  }
  w.frame += 1;
}

}  // namespace br
