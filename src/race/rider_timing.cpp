#include "race/rider_timing.h"

#include <algorithm>
#include <array>

#include "bike/bike.h"
#include "race/standings.h"

namespace br {
namespace {

// Going back two or three positions reaches a gate missed just before; one back is the gate
// just passed, which a rider standing in it must not take again.
constexpr std::array<int, 5> kCandidateOffsets = {-3, -2, 0, +1, +2};

bool recorded(const RiderTiming& rider, int c) {
  return c < static_cast<int>(rider.gate_times.size()) &&
         rider.gate_times[static_cast<size_t>(c)] != -1;
}

// The leader has finished once past the line that ends the last lap; then every rider
// finishes on the next line he crosses.
bool finishes(const World& w, LapShape shape, int gates_passed) {
  int total = w.session.total_laps;
  int64_t leader = w.order.empty() ? 0 : w.order.front().progress;
  int64_t line = total == 0 ? 0 : lap_end_position(shape, total);
  return leader > line || laps_completed(shape, gates_passed) >= total;
}

}  // namespace

bool inside_gate(const TimingGate& gate, double x, double z) {
  double dx = x - gate.cx, dz = z - gate.cz;
  double r = gate.radius;
  return dx * dx + dz * dz <= r * r && dx * gate.dx + dz * gate.dz >= 0;
}

std::optional<int> passed_gate_offset(const TrackTiming& timing, const RiderTiming& rider, double x,
                                      double z) {
  LapShape shape = lap_shape(timing);
  if (!shape.timed()) return std::nullopt;
  bool unpassed_seen = false;
  for (int i : kCandidateOffsets) {
    int c = rider.gates_passed + i;
    if (c < 0) continue;
    bool has_time = recorded(rider, c);
    if (!has_time) unpassed_seen = true;
    int g = sequence_gate(timing, c);
    if (g < 0 || g >= static_cast<int>(timing.gates.size())) return std::nullopt;
    if (inside_gate(timing.gates[static_cast<size_t>(g)], x, z)) {
      if (unpassed_seen || i >= 0) return i;
      continue;
    }
    if (ends_lap(shape, c) && !has_time) return std::nullopt;
  }
  return std::nullopt;
}

void record_gate(RiderTiming& rider, int offset, int32_t step) {
  int p = std::max(rider.gates_passed + offset, 0);
  rider.gate_times.resize(static_cast<size_t>(p) + 1, -1);
  rider.gate_times[static_cast<size_t>(p)] = step;
  rider.gates_passed = p + 1;
}

void timing_step(World& w, int slot) {
  RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  RiderTiming& rider = s.timing;
  const TrackTiming& timing = w.track.timing;
  if (!s.bike || rider.finished || !timing.active) return;
  // The robots' bookkeeping of a fresh fall joins here once robots ride.
  const dReal* p = dBodyGetPosition(s.bike->bodies[kBodyFrontWheel]);
  std::optional<int> offset = passed_gate_offset(timing, rider, p[0], p[2]);
  if (!offset) return;
  record_gate(rider, *offset, w.frame);
  LapShape shape = lap_shape(timing);
  int passed = rider.gates_passed;
  if (ends_lap(shape, passed - 1) && finishes(w, shape, passed)) rider.finished = true;
  update_standings(w);
  rider.crashed = false;
}

void take_gate_record(World& w, int slot, int index, int32_t step) {
  RiderTiming& rider = w.slots[static_cast<size_t>(slot)].timing;
  if (index < 0) return;
  if (index + 1 < rider.gates_passed) rider.finished = false;
  rider.gate_times.resize(static_cast<size_t>(index) + 1, -1);
  rider.gate_times[static_cast<size_t>(index)] = step;
  rider.gates_passed = index + 1;
  LapShape shape = lap_shape(w.track.timing);
  if (!rider.finished && ends_lap(shape, index) && finishes(w, shape, rider.gates_passed)) {
    rider.finished = true;
  }
  update_standings(w);
}

void reset_rider_gates(RiderTiming& t, int gates_passed) {
  gates_passed = std::max(gates_passed, 0);
  if (gates_passed < t.gates_passed) t.finished = false;
  t.gates_passed = gates_passed;
  if (t.gate_times.size() > static_cast<size_t>(gates_passed)) {
    t.gate_times.resize(static_cast<size_t>(gates_passed));
  }
  t.crashed = false;
}

}  // namespace br
