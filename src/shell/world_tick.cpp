#include "shell/world_tick.h"

#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/physics_world.h"
#include "platform/log.h"
#include "race/rider_timing.h"
#include "race/standings.h"
#include "race/start_gates.h"
#include "race/time_trial.h"
#include "replay/demo_player.h"
#include "replay/demo_recorder.h"
#include "replay/history_pose.h"
#include "robot/auto_pilot.h"
#include "robot/learn.h"
#include "track/roost.h"
#include "track/ruts.h"
#include "track/terrain_deform.h"

namespace br {
namespace {

// A spectator of a server's race watches it this many steps late, so that the states of
// every rider have arrived.
constexpr int32_t kSpectatorDelay = 127;

// A server's race refreshes its standings every 512 steps, on this step of the 512.
constexpr int32_t kServerStandingsPeriod = 512;
constexpr int32_t kServerStandingsPhase = 510;

// With --super-debug the played-back riders' poses are logged once a second, to be checked
// against where the recorded race had them, and so are the robots', to see them ride, and the
// state of the ground.
constexpr int32_t kPoseLogEvery = 128;
// Feet around the watched rider whose dug ground is logged: about what the chase camera shows.
constexpr float kGroundLogReach = 40.0f;

void log_riders(const World& w, int32_t step, ControlKind control, const char* what) {
  for (int i = 0; i < kRiderSlots; ++i) {
    const RiderSlot& slot = w.slots[static_cast<size_t>(i)];
    if (!slot.bike || slot.control != control) continue;
    const dReal* p = dBodyGetPosition(slot.bike->bodies[kBodyFrame]);
    kota::log_printf("%s %d at %d: %.3f %.3f %.3f\n", what, i, step, p[0], p[1], p[2]);
  }
}

// How far the wheels have cut up the ground and how much dirt is in the air, to see ruts and
// roost form in a game that is being watched.
void log_ground(const World& w) {
  const TerrainChange change = terrain_change(w.track.terrain);
  // What the camera can see of it: the ground around the rider being watched.
  TerrainChange near;
  const int viewed = w.viewed_slot;
  if (viewed >= 0 && viewed < kRiderSlots && w.slots[static_cast<size_t>(viewed)].bike) {
    const dReal* p =
        dBodyGetPosition(w.slots[static_cast<size_t>(viewed)].bike->bodies[kBodyFrame]);
    near = terrain_change_near(w.track.terrain, static_cast<float>(p[0]), static_cast<float>(p[2]),
                               kGroundLogReach);
  }
  kota::log_printf(
      "Ground at %d: %d samples changed, deepest cut %.2f ft, %d roost particles; within %.0f "
      "ft of the viewed rider %d changed, %d cut 0.1 ft or more, deepest cut %.2f ft, highest "
      "heap %.2f ft\n",
      w.frame, change.samples, change.deepest_cut, w.track.roost.active, kGroundLogReach,
      near.samples, near.cut_tenth, near.deepest_cut, near.highest_heap);
}

}  // namespace

void world_tick(World& w) {
  // Riders driven from recorded or received states take them first.
  int32_t posed_at = w.frame;
  if (w.connected && w.session.race_position == kNoRacePosition) posed_at -= kSpectatorDelay;
  for (int i = 0; i < kRiderSlots; ++i) {
    const RiderSlot& slot = w.slots[static_cast<size_t>(i)];
    if (slot.bike && slot.control == kControlPlayedBack) pose_from_history(w, i, posed_at);
  }
  if (w.options.debug_level >= 2 && posed_at % kPoseLogEvery == 0) {
    log_riders(w, posed_at, kControlPlayedBack, "Posed");
  }
  if (w.options.debug_level >= 2 && w.frame % kPoseLogEvery == 0) {
    log_riders(w, w.frame, kControlRobot, "Robot");
    log_ground(w);
  }
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
  TimeTrialLaps laps_before;
  if (w.session.time_trial) laps_before = time_trial_laps(w);
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
  record_step(w, false);
  playback_step(w);
  if (w.session.time_trial) time_trial_step(w, laps_before);
}

}  // namespace br
