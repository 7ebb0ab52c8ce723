#include "shell/world_tick.h"

#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/physics_world.h"
#include "race/rider_timing.h"
#include "race/standings.h"
#include "race/start_gates.h"
#include "robot/auto_pilot.h"
#include "robot/learn.h"
#include "track/roost.h"
#include "track/ruts.h"

namespace br {
namespace {

// A server's race refreshes its standings every 512 steps, on this step of the 512.
constexpr int32_t kServerStandingsPeriod = 512;
constexpr int32_t kServerStandingsPhase = 510;

}  // namespace

void world_tick(World& w) {
  // The history playback, network and demo work joins here as those parts of the game arrive.
  make_bike_contacts(w);
  throw_roost(w);
  step_physics(w);
  erode_terrain(w);
  for (int i = 0; i < kRiderSlots; ++i) {
    RiderSlot& slot = w.slots[static_cast<size_t>(i)];
    if (!slot.bike) continue;
    if (w.connected && slot.control == kControlLocal) false_start_step(w, i);
    if (slot.control == kControlRobot) auto_pilot_step(w, i);
    step_bike(w, *slot.bike);
  }
  update_particles(w);
  start_gate_step(w);
  // Offline every rider is timed here; in a server's race only our own, the server times the
  // others. What the gates saw feeds the robots' line database.
  for (int i = 0; i < kRiderSlots; ++i) {
    if (!w.connected || w.slots[static_cast<size_t>(i)].control == kControlLocal) {
      timing_step(w, i);
      learn_step(w, i);
    }
  }
  if (w.connected && w.frame % kServerStandingsPeriod == kServerStandingsPhase) {
    update_standings(w);
  }
  w.frame += 1;
}

}  // namespace br
