#include "race_run.h"

#include <array>
#include <vector>

#include "pilot/pilot.h"
#include "race/laps.h"
#include "race/series.h"
#include "shell/world_tick.h"

namespace brrace {

RaceRun run_race(br::World& w, const RaceSetup& setup, const RaceHooks& hooks) {
  RaceRun run;
  br::Lineup lineup = setup.lineup;
  br::SessionStart start = setup.start;
  start.lineup = &lineup;
  // The game seeds its shuffle and its start from the frame counter at set-up.
  w.frame = static_cast<int32_t>(setup.seed);
  bool started = setup.series >= 0 ? br::start_series_event(w, setup.series)
                                    : br::start_session(w, start);
  if (!started) return run;

  std::vector<br::Pilot> pilots;
  if (setup.pilot_slot >= 0) {
    br::Pilot pilot = br::pilot_take(w, setup.pilot_slot);
    pilot.pace = setup.pilot_pace;
    pilot.swing = setup.pilot_swing;
    pilots.push_back(pilot);
  }
  if (setup.series >= 0) {
    // A series event has no player at the keys: the pilot rides the player's bike, and the
    // robots ride their own lines.
    for (int i = 0; i < br::kRiderSlots; ++i) {
      const br::RiderSlot& s = w.slots[static_cast<size_t>(i)];
      if (s.bike && s.control == br::kControlLocal) pilots.push_back(br::pilot_take(w, i));
    }
  }
  br::LapShape shape = br::lap_shape(w.track.timing);
  std::array<int, br::kRiderSlots> laps{};

  run.end = RaceEnd::kStepLimit;
  while (run.steps < setup.step_limit) {
    for (br::Pilot& pilot : pilots) br::pilot_drive(pilot, w);
    br::world_tick(w);
    ++run.steps;
    report_laps(w, shape, laps, hooks);
    if (hooks.after_step) hooks.after_step(w);
    if (w.session.results_final) {
      run.end = RaceEnd::kFinal;
      break;
    }
  }
  return run;
}

void report_laps(const br::World& w, const br::LapShape& shape,
                 std::array<int, br::kRiderSlots>& laps, const RaceHooks& hooks) {
  for (int i = 0; i < br::kRiderSlots; ++i) {
    const br::RiderSlot& s = w.slots[static_cast<size_t>(i)];
    if (!s.bike) continue;
    int done = br::laps_completed(shape, s.timing.gates_passed);
    for (int k = laps[static_cast<size_t>(i)] + 1; k <= done; ++k) {
      if (hooks.lap_done) hooks.lap_done(w, i, k);
    }
    laps[static_cast<size_t>(i)] = done;
  }
}

}  // namespace brrace
