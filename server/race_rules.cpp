#include "race_rules.h"

#include "race/laps.h"
#include "race/rider_timing.h"
#include "race/standings.h"

namespace brserver {

void rules_new_race(br::World& w, const RaceSetup& r) {
  // The server's world is a client's with nobody riding here: every rider is remote, and a
  // rider the world counts as silent stops holding back the results. The race decides who
  // that is before every update (its slots' latest server frames).
  w.connected = true;
  w.local_slot = -1;
  w.race_start_frame = r.start_step;
  br::SessionState& s = w.session;
  s.network = true;
  s.duration_frames = r.duration;
  s.race_laps = r.laps;
  if (r.duration > 0) {
    s.total_laps = s.halfway_lap = br::kUnlimitedLaps;
  } else {
    s.total_laps = r.laps;
    s.halfway_lap = (r.laps + 1) / 2;
  }
  s.results_final = false;
  for (br::RiderSlot& slot : w.slots) slot.timing = br::RiderTiming{};
  w.order.clear();
}

void rules_set_rider(br::World& w, int slot, bool riding) {
  w.slots[static_cast<size_t>(slot)].timing.entered = riding;
  br::rebuild_standings(w);
}

void rules_record(br::World& w, int slot, int index, int32_t step, int32_t now) {
  w.frame = now;
  br::take_gate_record(w, slot, index, step);
}

void rules_update(br::World& w, int32_t now) {
  w.frame = now;
  br::update_standings(w);
}

bool rules_final(const br::World& w) {
  return w.session.results_final;
}

void rules_force_final(br::World& w, int32_t now) {
  w.frame = now;
  br::settle_final_results(w);
}

}  // namespace brserver
