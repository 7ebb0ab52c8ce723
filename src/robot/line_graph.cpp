#include "robot/line_graph.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/log.h"
#include "robot/line_costs.h"

namespace br {
namespace {

constexpr double kStraightDeterminant = 1e-6;
constexpr double kFarAway = 1000000;   // feet to the centre of a straight end
constexpr double kRadiusSlack = 2.5;   // feet off the circle a following line may start
constexpr double kHeadingSlack = 2.0;  // feet its first step may move off the circle
constexpr double kSlowerSlack = 15.0;  // ft/s slower it may start than the end before it
constexpr double kRecoverySeconds = 3.0;
constexpr double kStepSeconds = 1.0 / 128;
constexpr double kNoChain = std::numeric_limits<double>::infinity();

double flat_distance(double x, double z, const LinePoint& p) {
  return std::hypot(p.x - x, p.z - z);
}

using Totals = std::array<double, kLinesPerSection>;

// Each line's cost under `strategy`; no chain through an empty slot.
Totals section_costs(const LineSection& lines, int strategy) {
  Totals costs;
  for (int i = 0; i < kLinesPerSection; ++i) {
    const LineRecord& line = lines[size_t(i)];
    costs[size_t(i)] = line.points.size() < 2 ? kNoChain : line_cost(line, strategy);
  }
  return costs;
}

// The cheapest of `next` that carries on from `line`; kNoChain when none does.
double cheapest_follower(const LineRecord& line, const LineSection& following, const Totals& next) {
  if (line.points.size() < 3) return kNoChain;
  CurveEnd end = curve_end(line.points);
  double best = kNoChain;
  for (int j = 0; j < kLinesPerSection; ++j) {
    if (next[size_t(j)] < best && lines_connect(end, following[size_t(j)])) best = next[size_t(j)];
  }
  return best;
}

}  // namespace

CurveEnd curve_through(double x1, double z1, double x2, double z2, double x3, double z3) {
  CurveEnd c;
  double det = 2 * (x1 * (z2 - z3) + x2 * (z3 - z1) + x3 * (z1 - z2));
  if (std::fabs(det) < kStraightDeterminant) {
    double dx = x3 - x2, dz = z3 - z2, len = std::hypot(dx, dz);
    if (len < 1e-9) dx = 1, dz = 0, len = 1;
    // Out to the side of the last step, along its bisector.
    c.cx = (x2 + x3) / 2 - dz / len * kFarAway;
    c.cz = (z2 + z3) / 2 + dx / len * kFarAway;
  } else {
    double s1 = x1 * x1 + z1 * z1, s2 = x2 * x2 + z2 * z2, s3 = x3 * x3 + z3 * z3;
    c.cx = (s1 * (z2 - z3) + s2 * (z3 - z1) + s3 * (z1 - z2)) / det;
    c.cz = (s1 * (x3 - x2) + s2 * (x1 - x3) + s3 * (x2 - x1)) / det;
  }
  c.radius = std::hypot(x3 - c.cx, z3 - c.cz);
  return c;
}

CurveEnd curve_end(const std::vector<LinePoint>& points) {
  size_t n = points.size();
  if (n == 0) return {};
  const LinePoint& c = points[n - 1];
  const LinePoint& b = n >= 2 ? points[n - 2] : c;
  // With two points the end runs straight on: a third in line before them.
  LinePoint a = n >= 3 ? points[n - 3] : LinePoint{2 * b.x - c.x, 0, 2 * b.z - c.z, 0, 0};
  CurveEnd end = curve_through(a.x, a.z, b.x, b.z, c.x, c.z);
  end.end_speed = std::fabs(c.speed);
  return end;
}

bool lines_connect(const CurveEnd& end, const LineRecord& b) {
  if (b.points.size() < 2) return false;
  double d1 = flat_distance(end.cx, end.cz, b.points[0]);
  double d2 = flat_distance(end.cx, end.cz, b.points[1]);
  return d1 >= std::max(0.0, end.radius - kRadiusSlack) && d1 <= end.radius + kRadiusSlack &&
         std::fabs(d1 - d2) <= kHeadingSlack &&
         end.end_speed <= std::fabs(b.points[0].speed) + kSlowerSlack;
}

double line_match(const CurveEnd& end, const LineRecord& b) {
  if (b.points.size() < 2) return 0;
  double d1 = flat_distance(end.cx, end.cz, b.points[0]);
  double d2 = flat_distance(end.cx, end.cz, b.points[1]);
  double a = std::clamp((std::fabs(b.points[0].speed) + 15 - end.end_speed) * 0.2, 0.0, 1.0);
  double bb = std::clamp((5 - std::fabs(end.radius - d1)) / 3.5, 0.0, 1.0);
  double c = std::clamp((3 - std::fabs(d2 - d1)) * 0.5, 0.0, 1.0);
  return a * std::pow(bb * c, 3);
}

std::array<double, kLinesPerSection> look_ahead(const LineDatabase& db, const SectionShape& shape,
                                                int from, int strategy) {
  std::array<double, kLinesPerSection> score{};
  if (db.sections.empty() || !shape.usable()) return score;
  auto lines_of = [&](int s) -> const LineSection& {
    return db.sections[size_t(fold_section(shape, s))];
  };
  Totals next{};
  for (int k = kLookAheadSections - 1; k >= 0; --k) {
    const LineSection& lines = lines_of(from + k);
    Totals total = section_costs(lines, strategy);
    if (k < kLookAheadSections - 1) {
      const LineSection& following = lines_of(from + k + 1);
      for (int i = 0; i < kLinesPerSection; ++i) {
        if (total[size_t(i)] == kNoChain) continue;
        double onward = cheapest_follower(lines[size_t(i)], following, next);
        total[size_t(i)] += onward == kNoChain ? kUnusableCost : onward;
      }
    }
    next = total;
  }
  double lowest = kNoChain;
  for (double t : next) lowest = std::min(lowest, t);
  if (lowest == kNoChain) return score;
  for (int i = 0; i < kLinesPerSection; ++i) {
    double t = next[size_t(i)];
    score[size_t(i)] = t == kNoChain ? 0 : std::max(lowest, 1.0) / std::max(t, 1.0);
  }
  return score;
}

int pick_line(LineDatabase& db, const SectionShape& shape, int section, const CurveEnd& end,
              int strategy, int now, bool debug) {
  if (db.sections.empty() || !shape.usable()) return -1;
  LineSection& lines = db.sections[size_t(fold_section(shape, section))];
  std::array<double, kLinesPerSection> score = look_ahead(db, shape, section, strategy);
  int best = -1;
  double best_value = -1;
  for (int i = 0; i < kLinesPerSection; ++i) {
    const LineRecord& line = lines[size_t(i)];
    if (line.points.size() < 2) continue;
    double rested =
        std::clamp((double(now) - line.last_picked) * kStepSeconds / kRecoverySeconds, 0.0, 1.0);
    double match = line_match(end, line);
    double value = match + rested * score[size_t(i)];
    if (debug) {
      kota::log_printf("auto pilot: picking %d score = %f match = %f last_picked = %f\n", i,
                       score[size_t(i)], match, line.last_picked * kStepSeconds);
    }
    if (value > best_value) best = i, best_value = value;
  }
  if (best >= 0) lines[size_t(best)].last_picked = now;
  return best;
}

void best_lap_tables(LineDatabase& db, const SectionShape& shape, bool debug) {
  for (auto& table : db.best_lap) table.assign(db.sections.size(), 0);
  if (!shape.usable() || int(db.sections.size()) != shape.count()) return;
  // The fastest chain of usable lines over sections first .. first + count - 1.
  auto chain = [&](int strategy, int first, int count, std::vector<int>& table) {
    std::vector<Totals> total(static_cast<size_t>(count));
    std::vector<std::array<int, kLinesPerSection>> from(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
      const LineSection& lines = db.sections[size_t(first + k)];
      Totals cost = section_costs(lines, strategy);
      for (int i = 0; i < kLinesPerSection; ++i) {
        double c = cost[size_t(i)] >= kUnusableCost ? kNoChain : cost[size_t(i)];
        from[size_t(k)][size_t(i)] = -1;
        if (k > 0 && c != kNoChain) {
          double before = kNoChain;
          const LineSection& previous = db.sections[size_t(first + k - 1)];
          for (int j = 0; j < kLinesPerSection; ++j) {
            double t = total[size_t(k - 1)][size_t(j)];
            if (t >= before || previous[size_t(j)].points.size() < 3) continue;
            if (lines_connect(curve_end(previous[size_t(j)].points), lines[size_t(i)])) {
              before = t, from[size_t(k)][size_t(i)] = j;
            }
          }
          c += before;
        }
        total[size_t(k)][size_t(i)] = c;
      }
    }
    const Totals& last = total[size_t(count - 1)];
    int at = int(std::min_element(last.begin(), last.end()) - last.begin());
    double time = last[size_t(at)];
    if (time == kNoChain) return kNoChain;
    for (int k = count - 1; k >= 0 && at >= 0; --k) {
      const LineRecord& line = db.sections[size_t(first + k)][size_t(at)];
      table[size_t(first + k)] = line.tests >= 5 ? line.serial : 0;
      at = from[size_t(k)][size_t(at)];
    }
    return time;
  };
  for (int strategy = 0; strategy < kRacingStrategies; ++strategy) {
    std::vector<int>& table = db.best_lap[size_t(strategy)];
    double first = chain(strategy, 0, shape.first, table);
    double lap = chain(strategy, shape.first, shape.lap, table);
    if (debug) {
      kota::log_printf("First lap: %f\n", first == kNoChain ? -1.0 : first * kStepSeconds);
      kota::log_printf("Normal lap: %f\n", lap == kNoChain ? -1.0 : lap * kStepSeconds);
    }
  }
}

}  // namespace br
