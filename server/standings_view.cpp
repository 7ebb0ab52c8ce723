// The race thread's copy of its standings for the live timing page: everything the page shows
// is worked out here, once per change, so that readers only format it.
#include <algorithm>

#include "race.h"
#include "race/laps.h"

namespace brserver {
namespace {

// The step the rider passed sequence position c at, or -1 when skipped or not reached.
int32_t gate_time(const br::RiderTiming& t, int c) {
  if (c < 0 || c >= t.gates_passed || c >= static_cast<int>(t.gate_times.size())) return -1;
  return t.gate_times[static_cast<size_t>(c)];
}

// How far `rider` is behind `leader`: on the same gate by their last gates (penalties
// included), otherwise at the last gate both passed. 0 when a time is missing.
int32_t gap_to_leader(const br::World& w, const br::RiderOrderEntry& leader,
                      const br::RiderOrderEntry& rider) {
  if (leader.progress == rider.progress) {
    if (leader.last_step == 0 || rider.last_step == 0) return 0;
    return std::max(0, rider.last_step - leader.last_step);
  }
  int common = std::min(leader.progress, rider.progress) - 1;
  int32_t theirs = gate_time(w.slots[static_cast<size_t>(leader.slot)].timing, common);
  int32_t mine = gate_time(w.slots[static_cast<size_t>(rider.slot)].timing, common);
  if (mine < 0 || theirs < 0) return 0;
  return std::max(0, mine - theirs);
}

RacePhase phase_of(Phase p) {
  switch (p) {
    case Phase::kWarmup:
      return RacePhase::kWarmup;
    case Phase::kRacing:
      return RacePhase::kRacing;
    case Phase::kFinished:
      return RacePhase::kFinished;
  }
  return RacePhase::kWarmup;
}

}  // namespace

void publish_standings(Server& s) {
  const br::World& w = br::g_world;
  const Race& r = s.race;
  StandingsView v;
  v.race = r.number;
  v.track = r.track;
  v.phase = phase_of(r.phase);
  v.duration = r.duration;
  v.laps = r.laps;
  v.total_laps = w.session.total_laps == br::kUnlimitedLaps ? 0 : w.session.total_laps;
  v.start_step = r.start_step;
  v.step = s.step;
  v.started = r.phase != Phase::kWarmup && s.step >= r.start_step;
  v.final = r.phase == Phase::kFinished;
  const br::LapShape shape = br::lap_shape(w.track.timing);
  for (const br::RiderOrderEntry& e : w.order) {
    const Client& c = s.clients[static_cast<size_t>(e.slot)];
    const br::RiderSlot& slot = w.slots[static_cast<size_t>(e.slot)];
    const br::RiderIdentity& who = r.riders[static_cast<size_t>(e.slot)];
    StandingRow row;
    row.slot = e.slot;
    row.number = who.number;
    row.name = who.name;
    row.bike = who.bike_model;
    row.gates_passed = e.progress;
    row.laps = br::laps_completed(shape, e.progress);
    row.last_step = e.last_step;
    row.last_lap = br::lap_time_steps(shape, slot.timing, r.start_step,
                                      br::laps_completed(shape, slot.timing.gates_passed));
    const br::BestLap best = br::best_lap(shape, slot.timing, r.start_step);
    row.best_lap = best.steps;
    row.best_lap_number = best.steps > 0 ? best.lap : 0;
    row.penalty_steps = e.penalty_steps;
    row.laps_lost = e.laps_lost;
    row.finished = slot.timing.finished;
    row.connected = c.used && c.racing;
    if (!v.rows.empty()) {
      const br::RiderOrderEntry& leader = w.order.front();
      row.laps_down = std::max(0, v.rows.front().laps - row.laps);
      row.gap_steps = gap_to_leader(w, leader, e);
    }
    v.rows.push_back(std::move(row));
  }
  s.board.publish(std::move(v));
}

}  // namespace brserver
