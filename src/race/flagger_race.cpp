#include "race/flagger_race.h"

#include <algorithm>

#include "race/laps.h"

namespace br {

FlaggerRace flagger_race(const World& w) {
  FlaggerRace race;
  race.start_step = w.race_start_frame;
  race.now_step = w.frame;
  race.step_seconds = w.step;
  const TrackTiming& timing = w.track.timing;
  race.first_lap = std::max(static_cast<int>(timing.first_lap.size()), 1);
  race.normal_lap = std::max(static_cast<int>(timing.normal_lap.size()), 1);
  race.total_laps = w.session.total_laps;
  race.halfway_lap = w.session.halfway_lap;
  if (!w.order.empty()) {
    race.leader_gates_passed =
        w.slots[static_cast<size_t>(w.order.front().slot)].timing.gates_passed;
  }
  for (const RiderOrderEntry& e : w.order) {
    const RiderSlot& slot = w.slots[static_cast<size_t>(e.slot)];
    if (!slot.timing.crashed || slot.timing.finished) continue;
    if (w.connected && slot.control == kControlPlayedBack &&
        w.frame - slot.last_server_frame >= kFlaggerSilentSteps) {
      continue;
    }
    int gate = sequence_gate(timing, slot.timing.gates_passed);
    if (gate >= 0 && gate < static_cast<int>(race.gate_alert.size())) {
      race.gate_alert[static_cast<size_t>(gate)] = true;
    }
  }
  return race;
}

void update_session_flaggers(World& w) {
  if (w.session.loaded && w.track.loaded) update_flaggers(flagger_race(w));
}

}  // namespace br
