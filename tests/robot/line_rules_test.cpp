// How lines are learnt, valued, joined up and picked.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "robot/line_costs.h"
#include "robot/line_graph.h"
#include "robot/line_learning.h"

namespace br {
namespace {

// A line of `n` points heading along -z from (x, z), at `speed` ft/s.
std::vector<LinePoint> straight(float x, float z, int n, float speed) {
  std::vector<LinePoint> pts;
  for (int i = 0; i < n; ++i) pts.push_back({x, 0, z - 8.0f * float(i), speed, 0});
  return pts;
}

LineRecord tested(std::vector<LinePoint> pts, int tests, int mean_first, int failures = 0) {
  LineRecord l;
  l.points = std::move(pts);
  l.tests = tests;
  l.sum_first = tests * mean_first;
  l.failures = failures;
  l.serial = next_line_serial();
  return l;
}

TEST(LineLearning, TheSameRideIsLearntOnceAndAFullSectionEvictsOnlyForAFasterLine) {
  LineSection section{};
  std::vector<LinePoint> ride = straight(0, 0, 5, 30);
  EXPECT_EQ(learn_line(section, 0, ride, 100, 200, false).outcome, LearnOutcome::kAdded);
  // The same points within a sixteenth of a foot and of a ft/s are the same line.
  std::vector<LinePoint> again = ride;
  again[2].x += 0.04f;
  again[3].speed += 0.05f;
  Learned dup = learn_line(section, 0, again, 90, 180, false);
  EXPECT_EQ(dup.outcome, LearnOutcome::kDuplicate);
  EXPECT_EQ(dup.slot, 0);
  again[3].speed += 0.1f;
  EXPECT_EQ(learn_line(section, 0, again, 90, 180, false).outcome, LearnOutcome::kAdded);

  // Full of untested lines of pair time 120 s: a 100 s line takes a slot (150 >= 125) ...
  for (int i = 0; i < kLinesPerSection; ++i) {
    section[size_t(i)] = LineRecord{};
    section[size_t(i)].points = straight(float(i), 0, 3, 20);
    section[size_t(i)].pair_time = 120 * 128;
  }
  Learned in = learn_line(section, 0, straight(99, 0, 3, 25), 50 * 128, 100 * 128, false);
  EXPECT_EQ(in.outcome, LearnOutcome::kAdded);
  ASSERT_GE(in.slot, 0);
  EXPECT_EQ(section[size_t(in.slot)].pair_time, 100 * 128);
  EXPECT_EQ(section[size_t(in.slot)].best_pair, kNoLineTime);
  // ... but not from lines of pair time 90 s (112.5 < 125).
  for (LineRecord& l : section) l.pair_time = 90 * 128;
  EXPECT_EQ(learn_line(section, 0, straight(98, 0, 3, 25), 50 * 128, 100 * 128, false).outcome,
            LearnOutcome::kTooSlow);
  // A failure makes an untested line 5 s dearer to keep: at 97 s that is 121.25 + 5 >= 125.
  for (LineRecord& l : section) l.pair_time = 97 * 128, l.failures = 1;
  EXPECT_EQ(learn_line(section, 0, straight(97, 0, 3, 25), 50 * 128, 100 * 128, false).outcome,
            LearnOutcome::kAdded);
}

TEST(LineCosts, StrategiesWeighFailuresAndTestsDifferently) {
  LineRecord l = tested(straight(0, 0, 3, 20), 4, 1000, 1);  // f = 1/5
  EXPECT_EQ(line_cost(l, kStrategySteady), kUnusableCost);   // fewer than 5 tests
  EXPECT_EQ(line_cost(l, kStrategyPush), kUnusableCost);
  EXPECT_DOUBLE_EQ(line_cost(l, kStrategyRisk), 1000 + 0.8 * 640);  // min(1, 4f)
  l = tested(straight(0, 0, 3, 20), 8, 1000, 2);                    // f = 1/5
  EXPECT_DOUBLE_EQ(line_cost(l, kStrategySteady), 1000 + 0.2 * 640);
  EXPECT_DOUBLE_EQ(line_cost(l, kStrategyPush), 1000 + 0.2 * 8 / 7 * 640);
  // Testing prefers the least-tried: bit length of tests + 4 failures, plus 4, in thousands.
  EXPECT_DOUBLE_EQ(line_cost(l, kStrategyTest), 1000.0 * (5 + 4));  // 16 -> 5 bits
  EXPECT_EQ(line_cost(tested(straight(0, 0, 3, 20), 0, 0), kStrategyTest), 0);
  // Mostly failing lines are left alone by testers.
  EXPECT_EQ(line_cost(tested(straight(0, 0, 3, 20), 1, 900, 6), kStrategyTest), 100000);
  // Keeping a tested line costs its mean pair time and its share of failures.
  l.sum_pair = 8 * 2000;
  EXPECT_EQ(eviction_cost(l), 2000 + 640 * 2 / 10);
}

TEST(LineGraph, LinesOnTheSameBendConnectAndTheLookAheadFavoursTheCheapestChain) {
  // A line ending on a circle of radius 50 round the origin, running anticlockwise.
  std::vector<LinePoint> arc;
  for (int i = 0; i < 4; ++i) {
    double a = 0.1 * i;
    arc.push_back({float(50 * std::cos(a)), 0, float(50 * std::sin(a)), 30, 0});
  }
  CurveEnd end = curve_end(arc);
  EXPECT_NEAR(end.cx, 0, 1e-3);
  EXPECT_NEAR(end.radius, 50, 1e-3);
  auto on_circle = [](double r, double a, float speed) {
    LineRecord l;
    l.points = {{float(r * std::cos(a)), 0, float(r * std::sin(a)), speed, 0},
                {float(r * std::cos(a + 0.1)), 0, float(r * std::sin(a + 0.1)), speed, 0},
                {float(r * std::cos(a + 0.2)), 0, float(r * std::sin(a + 0.2)), speed, 0}};
    return l;
  };
  EXPECT_TRUE(lines_connect(end, on_circle(51, 0.4, 30)));
  EXPECT_FALSE(lines_connect(end, on_circle(54, 0.4, 30)));  // off the circle
  EXPECT_FALSE(lines_connect(end, on_circle(50, 0.4, 10)));  // 20 ft/s slower
  EXPECT_GT(line_match(end, on_circle(50, 0.4, 30)), line_match(end, on_circle(53, 0.4, 30)));
  // Three points in a row count as a bend far away.
  EXPECT_GT(curve_end(straight(0, 0, 3, 20)).radius, 1e5);

  // Sections round the circle, one arc each carrying on from the one before; the first
  // section also has a cheaper line that leads nowhere.
  LineDatabase db;
  SectionShape shape{1, 8};
  db.sections.resize(size_t(shape.count()));
  for (int s = 0; s < shape.count(); ++s) {
    std::vector<LinePoint> pts;
    for (int i = 0; i < 4; ++i) {
      double a = 0.4 * s + 0.1 * i;
      pts.push_back({float(50 * std::cos(a)), 0, float(50 * std::sin(a)), 30, 0});
    }
    db.sections[size_t(s)][1] = tested(pts, 5, 700);
  }
  db.sections[0][0] = tested(straight(100, 0, 4, 30), 5, 500);
  auto score = look_ahead(db, shape, 0, kStrategySteady);
  EXPECT_DOUBLE_EQ(score[1], 1.0);
  EXPECT_LT(score[0], 0.01);
  EXPECT_EQ(score[2], 0);  // empty slot
}

TEST(LineGraph, RobotsPickingInTurnSpreadOverEqualLines) {
  LineDatabase db;
  SectionShape shape{1, 1};
  db.sections.resize(2);
  for (int i = 0; i < kLinesPerSection; ++i) {
    for (int s = 0; s < 2; ++s) {
      db.sections[size_t(s)][size_t(i)] = tested(straight(0, 0, 4, 20), 5, 1000);
      db.sections[size_t(s)][size_t(i)].last_picked = -100000;
    }
  }
  CurveEnd end = curve_end(straight(0, 40, 3, 20));
  std::set<int> picked;
  for (int robot = 0; robot < 10; ++robot) {
    int line = pick_line(db, shape, 0, end, kStrategySteady, 1000 + robot, false);
    ASSERT_GE(line, 0);
    picked.insert(line);
  }
  EXPECT_EQ(picked.size(), 10u);
  // Three seconds on, the first line picked is as good as new again.
  EXPECT_EQ(pick_line(db, shape, 0, end, kStrategySteady, 1000 + 3 * 128 + 20, false), 0);
}

}  // namespace
}  // namespace br
