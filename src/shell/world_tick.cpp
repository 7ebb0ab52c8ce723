#include "shell/world_tick.h"

#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/physics_world.h"
#include "replay/demo_player.h"
#include "replay/demo_recorder.h"
#include "replay/history_pose.h"
#include "track/roost.h"
#include "track/ruts.h"

namespace br {
namespace {

// A spectator of a server's race watches it this many steps late, so that the states of
// every rider have arrived.
constexpr int32_t kSpectatorDelay = 127;

}  // namespace

void world_tick(World& w) {
  // Riders driven from recorded or received states take them first.
  int32_t posed_at = w.frame;
  if (w.connected && w.session.race_position == kNoRacePosition) posed_at -= kSpectatorDelay;
  for (int i = 0; i < kRiderSlots; ++i) {
    const RiderSlot& slot = w.slots[static_cast<size_t>(i)];
    if (slot.bike && slot.control == kControlPlayedBack) pose_from_history(w, i, posed_at);
  }
  // The network, robots and gates join here as those parts of the game arrive.
  make_bike_contacts(w);
  throw_roost(w);
  step_physics(w);
  erode_terrain(w);
  for (RiderSlot& slot : w.slots) {
    if (slot.bike) step_bike(w, *slot.bike);
  }
  update_particles(w);
  w.frame += 1;
  record_step(w, false);
  playback_step(w);
}

}  // namespace br
