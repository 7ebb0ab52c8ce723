#include "race_run.h"

#include <array>

#include "pilot/pilot.h"
#include "race/laps.h"
#include "shell/world_tick.h"

namespace brrace {

RaceRun run_race(br::World& w, const RaceSetup& setup, const RaceHooks& hooks) {
  RaceRun run;
  br::Lineup lineup = setup.lineup;
  br::SessionStart start = setup.start;
  start.lineup = &lineup;
  // The game seeds its shuffle and its start from the frame counter at set-up.
  w.frame = static_cast<int32_t>(setup.seed);
  if (!br::start_session(w, start)) return run;

  br::Pilot pilot;
  if (setup.pilot_slot >= 0) pilot = br::pilot_take(w, setup.pilot_slot);
  pilot.pace = setup.pilot_pace;
  pilot.swing = setup.pilot_swing;
  br::LapShape shape = br::lap_shape(w.track.timing);
  std::array<int, br::kRiderSlots> laps{};

  run.end = RaceEnd::kStepLimit;
  while (run.steps < setup.step_limit) {
    if (setup.pilot_slot >= 0) br::pilot_drive(pilot, w);
    br::world_tick(w);
    ++run.steps;
    for (int i = 0; i < br::kRiderSlots; ++i) {
      const br::RiderSlot& s = w.slots[static_cast<size_t>(i)];
      if (!s.bike) continue;
      int done = br::laps_completed(shape, s.timing.gates_passed);
      for (int k = laps[static_cast<size_t>(i)] + 1; k <= done; ++k) {
        if (hooks.lap_done) hooks.lap_done(w, i, k);
      }
      laps[static_cast<size_t>(i)] = done;
    }
    if (hooks.after_step) hooks.after_step(w);
    if (w.session.results_final) {
      run.end = RaceEnd::kFinal;
      break;
    }
  }
  return run;
}

}  // namespace brrace
