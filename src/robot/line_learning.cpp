#include "robot/line_learning.h"

#include <cmath>

#include "platform/log.h"
#include "robot/line_costs.h"

namespace br {
namespace {

constexpr float kSameSpeed = 0.0625f;           // ft/s
constexpr float kSameDistance2 = 1.0f / 256;    // ft^2
constexpr double kStepSeconds = 1.0 / 128;

}  // namespace

bool same_line(const std::vector<LinePoint>& a, const std::vector<LinePoint>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    float dx = a[i].x - b[i].x, dy = a[i].y - b[i].y, dz = a[i].z - b[i].z;
    if (std::fabs(a[i].speed - b[i].speed) > kSameSpeed) return false;
    if (dx * dx + dy * dy + dz * dz > kSameDistance2) return false;
  }
  return true;
}

Learned learn_line(LineSection& lines, int section, const std::vector<LinePoint>& points,
                   int first_time, int pair_time, bool debug) {
  for (int i = 0; i < kLinesPerSection; ++i) {
    if (!lines[size_t(i)].points.empty() && same_line(lines[size_t(i)].points, points)) {
      if (debug) kota::log_printf("auto pilot: %d rejected (duplicate)\n", section);
      return {LearnOutcome::kDuplicate, i};
    }
  }
  int slot = -1;
  for (int i = 0; i < kLinesPerSection && slot < 0; ++i) {
    if (lines[size_t(i)].points.empty()) slot = i;
  }
  if (slot < 0) {
    int victim = eviction_slot(lines);
    const LineRecord& old = lines[size_t(victim)];
    long keep = eviction_cost(old);
    long wanted = long(pair_time) * 5 / 4;
    if (keep < wanted) {
      if (debug) kota::log_printf("auto pilot: %d rejected (too slow)\n", section);
      return {LearnOutcome::kTooSlow, -1};
    }
    if (debug) {
      int tests = old.tests > 0 ? old.tests : 1;
      kota::log_printf(
          "auto pilot: evicting %d (times: %.2f %.2f tested (%d %d): %.2f %.2f repl: %f %f)\n",
          section, old.first_time * kStepSeconds, old.pair_time * kStepSeconds, old.tests,
          old.failures, old.sum_first / tests * kStepSeconds, old.sum_pair / tests * kStepSeconds,
          first_time * kStepSeconds, pair_time * kStepSeconds);
    }
    slot = victim;
  }
  LineRecord& line = lines[size_t(slot)];
  line = LineRecord{};
  line.points = points;
  line.first_time = first_time;
  line.pair_time = pair_time;
  line.serial = next_line_serial();
  return {LearnOutcome::kAdded, slot};
}

void thin_sections(LineDatabase& db, int keep) {
  for (LineSection& section : db.sections) {
    int used = 0;
    for (const LineRecord& line : section) used += !line.points.empty();
    while (used > keep) {
      section[size_t(eviction_slot(section))] = LineRecord{};
      --used;
    }
  }
}

}  // namespace br
