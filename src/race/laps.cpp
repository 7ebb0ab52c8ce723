#include "race/laps.h"

namespace br {
namespace {

// The recorded time of position c, or -1 when it was skipped or never reached.
int32_t time_at(const RiderTiming& rider, int64_t c) {
  if (c < 0 || c >= rider.gates_passed || c >= static_cast<int64_t>(rider.gate_times.size())) {
    return -1;
  }
  return rider.gate_times[static_cast<size_t>(c)];
}

}  // namespace

LapShape lap_shape(const TrackTiming& timing) {
  if (!timing.active || timing.first_lap.empty() || timing.normal_lap.empty()) return {};
  return {static_cast<int>(timing.first_lap.size()), static_cast<int>(timing.normal_lap.size())};
}

int sequence_gate(const TrackTiming& timing, int s) {
  LapShape shape = lap_shape(timing);
  if (!shape.timed() || s < 0) return -1;
  int r = s < shape.first
              ? timing.first_lap[static_cast<size_t>(s)]
              : timing.normal_lap[static_cast<size_t>((s - shape.first) % shape.normal)];
  return r % kGateNotLearnedFlag;
}

int laps_completed(LapShape shape, int gates_passed) {
  if (!shape.timed() || gates_passed < shape.first) return 0;
  return (gates_passed - shape.first) / shape.normal + 1;
}

int64_t lap_end_position(LapShape shape, int64_t lap) {
  return shape.first - 1 + static_cast<int64_t>(shape.normal) * (lap - 1);
}

bool ends_lap(LapShape shape, int c) {
  if (!shape.timed()) return false;
  int after = c + 1 - shape.first;
  return after >= 0 && after % shape.normal == 0;
}

int gates_into_lap(LapShape shape, int gates_passed) {
  if (!shape.timed() || gates_passed < shape.first) return gates_passed;
  return (gates_passed - shape.first) % shape.normal + 1;
}

int32_t lap_time_steps(LapShape shape, const RiderTiming& rider, int32_t start_step, int lap) {
  if (lap < 1 || lap > laps_completed(shape, rider.gates_passed)) return 0;
  int32_t end = time_at(rider, lap_end_position(shape, lap));
  int32_t begin = lap == 1 ? start_step : time_at(rider, lap_end_position(shape, lap - 1));
  if (end == -1 || begin == -1) return 0;
  return end - begin;
}

BestLap best_lap(LapShape shape, const RiderTiming& rider, int32_t start_step) {
  int laps = laps_completed(shape, rider.gates_passed);
  if (laps < 2) return {};
  BestLap best;
  for (int k = 2; k <= laps; ++k) {
    int32_t t = lap_time_steps(shape, rider, start_step, k);
    if (t != 0 && (best.lap == 0 || t < best.steps)) best = {k, t};
  }
  if (best.lap == 0) best = {laps, 0};
  return best;
}

}  // namespace br
