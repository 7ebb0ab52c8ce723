#include "race/standings.h"

#include <algorithm>

#include "race/cutting_penalty.h"
#include "race/results_file.h"
#include "race/series.h"

namespace br {
namespace {

int32_t last_gate_step(const RiderTiming& t) {
  int p = std::min<int>(t.gates_passed, static_cast<int>(t.gate_times.size()));
  if (p <= 0) return 0;
  int32_t step = t.gate_times[static_cast<size_t>(p - 1)];
  return step == -1 ? 0 : step;
}

void sort_standings(std::vector<RiderOrderEntry>& order) {
  std::sort(order.begin(), order.end(), [](const RiderOrderEntry& a, const RiderOrderEntry& b) {
    if (a.progress != b.progress) return a.progress > b.progress;
    if (a.last_step != b.last_step) return a.last_step < b.last_step;
    return a.slot < b.slot;
  });
}

void learn_race_length(World& w, LapShape shape) {
  SessionState& s = w.session;
  int32_t limit = s.duration_frames;
  if (limit <= 0 || w.order.empty()) return;
  int leader_laps = laps_completed(shape, w.order.front().progress);
  if (s.halfway_lap == kUnlimitedLaps && w.frame >= w.race_start_frame + limit / 2) {
    s.halfway_lap = leader_laps + 1;
  }
  if (w.frame >= w.race_start_frame + limit) {
    s.total_laps = timed_race_total_laps(shape, standings_timings(w), leader_laps,
                                         w.race_start_frame + limit, s.race_laps, s.total_laps);
  }
}

}  // namespace

std::vector<const RiderTiming*> standings_timings(const World& w) {
  std::vector<const RiderTiming*> riders;
  riders.reserve(w.order.size());
  for (const RiderOrderEntry& e : w.order)
    riders.push_back(&w.slots[static_cast<size_t>(e.slot)].timing);
  return riders;
}

void rebuild_standings(World& w) {
  w.order.clear();
  for (int i = 0; i < kRiderSlots; ++i) {
    const RiderSlot& s = w.slots[static_cast<size_t>(i)];
    if (!s.bike && !s.timing.entered) continue;
    RiderOrderEntry e;
    e.slot = i;
    e.progress = s.timing.gates_passed;
    e.last_step = last_gate_step(s.timing);
    w.order.push_back(e);
  }
  sort_standings(w.order);
}

int timed_race_total_laps(LapShape shape, const std::vector<const RiderTiming*>& riders,
                          int leader_laps, int32_t limit_step, int extra_laps, int total_laps) {
  int h = leader_laps - 1;
  int64_t total = total_laps;
  for (int64_t o = h < 1 ? 1 : std::min(total, int64_t{h});; ++o) {
    // When the first rider ended lap o.
    int64_t line = lap_end_position(shape, o);
    int32_t first = -1;
    for (const RiderTiming* r : riders) {
      if (line >= r->gates_passed || line >= static_cast<int64_t>(r->gate_times.size())) continue;
      int32_t t = r->gate_times[static_cast<size_t>(line)];
      if (t != -1 && (first == -1 || t < first)) first = t;
    }
    if (first == -1) break;
    if (first >= limit_step) {
      total = std::min(total, o + extra_laps);
      break;
    }
    total = std::max(total, o + extra_laps + 1);
  }
  return static_cast<int>(std::min<int64_t>(total, kUnlimitedLaps));
}

bool holds_back_results(const World& w, int slot) {
  const RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  if (s.timing.finished) return false;
  int32_t silent = w.frame - s.last_server_frame;
  if (s.control == kControlPlayedBack && !w.connected) {
    // A ghost whose recording has run out will not come home. Demo playback keeps the slot's
    // latest state frame current.
    return silent <= kEndedRecordingSteps;
  }
  if (w.connected && slot != w.local_slot) return silent < kSilentRiderSteps;
  return true;
}

void settle_final_results(World& w) {
  LapShape shape = lap_shape(w.track.timing);
  rebuild_standings(w);
  std::vector<const RiderTiming*> riders = standings_timings(w);
  for (RiderOrderEntry& e : w.order) {
    const RiderTiming& t = w.slots[static_cast<size_t>(e.slot)].timing;
    CuttingPenalty p = cutting_penalty(shape, riders, t, w.race_start_frame);
    e.progress -= p.laps_lost * shape.normal;
    e.laps_lost = p.laps_lost;
    e.penalty_steps = p.steps;
    e.last_step += p.steps;
  }
  sort_standings(w.order);
  // No winner, no results worth keeping: the previous file stays.
  if (!w.order.empty() && w.slots[static_cast<size_t>(w.order.front().slot)].timing.finished) {
    write_results(w);
  }
  w.session.results_final = true;
  record_series_event(w);
}

void update_standings(World& w) {
  if (w.session.results_final) return;
  rebuild_standings(w);
  LapShape shape = lap_shape(w.track.timing);
  learn_race_length(w, shape);
  for (const RiderOrderEntry& e : w.order) {
    if (holds_back_results(w, e.slot)) return;
  }
  settle_final_results(w);
}

}  // namespace br
