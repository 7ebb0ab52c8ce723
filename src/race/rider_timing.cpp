#include "race/rider_timing.h"

#include <algorithm>

namespace br {

void reset_rider_gates(RiderTiming& t, int gates_passed) {
  gates_passed = std::max(gates_passed, 0);
  if (gates_passed < t.gates_passed) t.finished = false;
  t.gates_passed = gates_passed;
  if (t.gate_times.size() > static_cast<size_t>(gates_passed)) {
    t.gate_times.resize(static_cast<size_t>(gates_passed));
  }
  t.crashed = false;
}

void rebuild_rider_order(World& w) {
  w.order.clear();
  for (int i = 0; i < kRiderSlots; ++i) {
    if (w.slots[static_cast<size_t>(i)].bike) w.order.push_back({i, 0});
  }
  auto last_crossing = [&](int slot) {
    const RiderTiming& t = w.slots[static_cast<size_t>(slot)].timing;
    int p = std::min<int>(t.gates_passed, static_cast<int>(t.gate_times.size()));
    return p > 0 ? t.gate_times[static_cast<size_t>(p - 1)] : 0;
  };
  for (RiderOrderEntry& e : w.order)
    e.progress = w.slots[static_cast<size_t>(e.slot)].timing.gates_passed;
  std::stable_sort(w.order.begin(), w.order.end(),
                   [&](const RiderOrderEntry& a, const RiderOrderEntry& b) {
                     if (a.progress != b.progress) return a.progress > b.progress;
                     int ta = last_crossing(a.slot), tb = last_crossing(b.slot);
                     if (ta != tb) return ta < tb;
                     return a.slot < b.slot;
                   });
}

int sequence_gate(const TrackTiming& timing, int s) {
  int f = static_cast<int>(timing.first_lap.size()), n = static_cast<int>(timing.normal_lap.size());
  if (!timing.active || f == 0 || n == 0 || s < 0) return -1;
  int r = s < f ? timing.first_lap[static_cast<size_t>(s)]
                : timing.normal_lap[static_cast<size_t>((s - f) % n)];
  return r % kGateNotLearnedFlag;
}

int laps_completed(const TrackTiming& timing, int gates_passed) {
  int f = static_cast<int>(timing.first_lap.size()), n = static_cast<int>(timing.normal_lap.size());
  if (f == 0 || n == 0 || gates_passed < f) return 0;
  return (gates_passed - f) / n + 1;
}

}  // namespace br
