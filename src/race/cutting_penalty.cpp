#include "race/cutting_penalty.h"

#include <algorithm>
#include <cstdint>

#include "track/text_lines.h"

namespace br {
namespace {

// The time from a to b if both were passed and nothing between them was missed; -1 when
// not. Position -1 is the start, at time 0.
int64_t clean_stretch(const RiderTiming& rider, int64_t a, int64_t b) {
  const std::vector<int32_t>& t = rider.gate_times;
  if (b >= rider.gates_passed || b >= static_cast<int64_t>(t.size()) || a >= b) return -1;
  for (int64_t u = a < 0 ? 0 : a; u <= b; ++u) {
    if (t[static_cast<size_t>(u)] == -1) return -1;
  }
  int64_t from = a < 0 ? 0 : t[static_cast<size_t>(a)];
  int64_t d = t[static_cast<size_t>(b)] - from;
  return d >= 0 ? d : -1;
}

}  // namespace

int32_t expected_steps(LapShape shape, const std::vector<const RiderTiming*>& riders, int a,
                       int b) {
  int64_t sum = 0, count = 0;
  for (const RiderTiming* rider : riders) {
    if (a < shape.first) {
      int64_t d = clean_stretch(*rider, a, b);
      if (d >= 0) sum += d, ++count;
      continue;
    }
    // The same stretch on every lap the rider rode it.
    int64_t from = shape.first + (a - shape.first) % shape.normal;
    int64_t to = b - (a - from);
    int64_t own = 0, laps = 0;
    for (; to < rider->gates_passed; from += shape.normal, to += shape.normal) {
      int64_t d = clean_stretch(*rider, from, to);
      if (d >= 0) own += d, ++laps;
    }
    if (laps > 0) sum += own / laps, ++count;
  }
  return count > 0 ? static_cast<int32_t>(sum / count) : kNoSampleExpectedSteps;
}

CuttingPenalty cutting_penalty(LapShape shape, const std::vector<const RiderTiming*>& riders,
                               const RiderTiming& rider, int32_t start_step) {
  int64_t penalty = 0;
  int missed = 0;
  int32_t last = 0;
  int p = rider.gates_passed;
  int known = std::min(p, static_cast<int>(rider.gate_times.size()));
  for (int u = 0; u < known; ++u) {
    int32_t t = rider.gate_times[static_cast<size_t>(u)];
    if (t == -1) {
      ++missed;
      continue;
    }
    if (missed > 0) {
      int64_t expected = expected_steps(shape, riders, u - missed - 1, u) + kCuttingGraceSteps;
      if (t - last < expected) penalty += expected - (t - last);
    }
    missed = 0;
    last = t;
  }
  CuttingPenalty out;
  // A lap that took no time cannot pay for any.
  BestLap best = best_lap(shape, rider, start_step);
  int64_t a = best.steps;
  if (best.lap >= 2 && a > 0 && a < penalty && shape.first < p) {
    while (a < penalty && shape.first < p) {
      p -= shape.normal;
      penalty -= a;
      ++out.laps_lost;
    }
  }
  out.steps = static_cast<int32_t>(std::min<int64_t>(penalty, INT32_MAX));
  return out;
}

std::string penalty_report(const RiderOrderEntry& entry, const std::string& number,
                           double step_seconds) {
  if (entry.penalty_steps == 0) return "";
  std::string out;
  appendf(out, "%3s penalized ", number.c_str());
  if (entry.laps_lost > 0) {
    appendf(out, "%d %s ", entry.laps_lost, entry.laps_lost == 1 ? "lap" : "laps");
  }
  appendf(out, "%.2f seconds for cutting track", entry.penalty_steps * step_seconds);
  return out;
}

}  // namespace br
