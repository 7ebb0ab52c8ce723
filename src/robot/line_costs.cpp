#include "robot/line_costs.h"

#include <algorithm>
#include <bit>
#include <climits>

namespace br {
namespace {

constexpr int kTestsToRace = 5;  // runs before a line is trusted in a race
constexpr int kStatisticCap = 100000000;

// The share of the runs on the line that were abandoned.
double failure_rate(const LineRecord& line) {
  long runs = long(line.tests) + line.failures;
  if (runs <= 0) return 0;
  return std::clamp(double(line.failures) / double(runs), 0.0, 1.0);
}

}  // namespace

double line_cost(const LineRecord& line, int strategy) {
  if (line.points.empty()) return kUnusableCost;
  double f = failure_rate(line);
  if (strategy == kStrategyTest) {
    long tries = long(line.tests) + line.failures;
    if (tries > 5 && 4L * line.tests < line.failures) return 100000;
    long weight = long(line.tests) + 4L * line.failures;
    if (weight <= 0) return 0;
    return 1000.0 * (std::bit_width(static_cast<unsigned long>(weight)) + 4);
  }
  int needed = strategy == kStrategyRisk ? 1 : kTestsToRace;
  if (line.tests < needed) return kUnusableCost;
  double mean = double(line.sum_first / line.tests);
  double weight = strategy == kStrategySteady ? f
                  : strategy == kStrategyPush ? std::min(1.0, f * 8 / 7)
                                              : std::min(1.0, 4 * f);
  return mean + weight * kFailurePenaltySteps;
}

int eviction_cost(const LineRecord& line) {
  if (line.tests <= 0) {
    long k = long(line.pair_time) * 5 / 4 + (line.failures > 0 ? kFailurePenaltySteps : 0);
    return static_cast<int>(std::clamp<long>(k, INT_MIN, INT_MAX));
  }
  long k = line.sum_pair / line.tests +
           long(kFailurePenaltySteps) * line.failures / (long(line.tests) + line.failures);
  return static_cast<int>(std::clamp<long>(k, INT_MIN, INT_MAX));
}

int eviction_slot(const LineSection& section) {
  int worst = 0;
  double worst_cost = -1;
  int worst_keep = INT_MIN;
  for (int i = 0; i < kLinesPerSection; ++i) {
    const LineRecord& line = section[static_cast<size_t>(i)];
    if (line.points.empty()) continue;
    double cost = line_cost(line, kStrategySteady);
    int keep = eviction_cost(line);
    if (cost > worst_cost || (cost == worst_cost && keep > worst_keep)) {
      worst = i, worst_cost = cost, worst_keep = keep;
    }
  }
  return worst;
}

void credit_run(LineRecord& line, int first_time, int pair_time) {
  line.tests = std::min(line.tests + 1, 65535);
  line.best_first = std::min(line.best_first, first_time);
  line.best_pair = std::min(line.best_pair, pair_time);
  line.sum_first = static_cast<int>(std::min<long>(long(line.sum_first) + first_time, kStatisticCap));
  line.sum_pair = static_cast<int>(std::min<long>(long(line.sum_pair) + pair_time, kStatisticCap));
}

void add_failure(LineRecord& line) {
  line.failures = std::min(line.failures + 1, 65535);
}

}  // namespace br
