#include "robot/sections.h"

#include <algorithm>

#include "race/timing_gates_format.h"

namespace br {
namespace {

int ends_in(const std::vector<int>& list, size_t count) {
  count = std::min(count, list.size());
  return static_cast<int>(std::count_if(list.begin(), list.begin() + static_cast<long>(count),
                                        [](int r) { return r < kGateNotLearnedFlag; }));
}

}  // namespace

SectionShape section_shape(const TrackTiming& timing) {
  if (!timing.active) return {};
  return {ends_in(timing.first_lap, timing.first_lap.size()),
          ends_in(timing.normal_lap, timing.normal_lap.size())};
}

int fold_section(const SectionShape& shape, int s) {
  if (s < 0) return 0;
  if (s < shape.first || shape.lap <= 0) return std::min(s, std::max(shape.count() - 1, 0));
  return shape.first + (s - shape.first) % shape.lap;
}

int sections_passed(const TrackTiming& timing, int gates_passed) {
  if (!timing.active || gates_passed <= 0) return 0;
  const auto f = timing.first_lap.size(), n = timing.normal_lap.size();
  size_t p = static_cast<size_t>(gates_passed);
  if (p <= f || n == 0) return ends_in(timing.first_lap, p);
  size_t rest = p - f;
  return ends_in(timing.first_lap, f) + static_cast<int>(rest / n) * ends_in(timing.normal_lap, n) +
         ends_in(timing.normal_lap, rest % n);
}

bool ends_section(const TrackTiming& timing, int position) {
  if (!timing.active || position < 0) return false;
  const auto f = timing.first_lap.size(), n = timing.normal_lap.size();
  size_t p = static_cast<size_t>(position);
  int reference = p < f ? timing.first_lap[p] : n ? timing.normal_lap[(p - f) % n] : kGateNotLearnedFlag;
  return reference < kGateNotLearnedFlag;
}

}  // namespace br
