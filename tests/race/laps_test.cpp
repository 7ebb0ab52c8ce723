// Lap arithmetic and the gate test on hand-made lap sequences, with no bikes.
#include "race/laps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "race/rider_timing.h"

namespace br {
namespace {

// Gates every 10 ft along +x, each 4 ft across and ridden toward +x; the first lap is gates
// 0 1 2, the normal lap 3 4 (F = 3, N = 2).
TrackTiming row_of_gates() {
  TrackTiming t;
  for (int i = 0; i < 5; ++i) t.gates.push_back({4, 10.0f * i, 0, 0, 1, 0, 0});
  t.first_lap = {0, 1, 2};
  t.normal_lap = {3, 100004};
  t.active = true;
  return t;
}

RiderTiming rider(std::vector<int32_t> times) {
  RiderTiming r;
  r.gates_passed = static_cast<int>(times.size());
  r.gate_times = std::move(times);
  return r;
}

TEST(Laps, CountedAtTheEndOfEachLapsLastGate) {
  LapShape s = lap_shape(row_of_gates());
  ASSERT_EQ(s.first, 3);
  ASSERT_EQ(s.normal, 2);
  EXPECT_EQ(laps_completed(s, 2), 0);
  EXPECT_EQ(laps_completed(s, 3), 1);
  EXPECT_EQ(laps_completed(s, 4), 1);
  EXPECT_EQ(laps_completed(s, 5), 2);
  EXPECT_EQ(lap_end_position(s, 1), 2);
  EXPECT_EQ(lap_end_position(s, 2), 4);
  EXPECT_TRUE(ends_lap(s, 2));
  EXPECT_FALSE(ends_lap(s, 3));
  EXPECT_TRUE(ends_lap(s, 4));
  EXPECT_EQ(gates_into_lap(s, 2), 2);
  EXPECT_EQ(gates_into_lap(s, 3), 1);
  EXPECT_EQ(gates_into_lap(s, 4), 2);
  EXPECT_EQ(gates_into_lap(s, 5), 1);
  // The not-learned flag times like the plain gate.
  EXPECT_EQ(sequence_gate(row_of_gates(), 4), 4);
  EXPECT_EQ(sequence_gate(row_of_gates(), 6), 4);
  // Without timing nothing counts.
  TrackTiming off = row_of_gates();
  off.active = false;
  EXPECT_EQ(laps_completed(lap_shape(off), 9), 0);
  EXPECT_EQ(sequence_gate(off, 0), -1);
}

TEST(Laps, LapTimesAndTheBestLap) {
  LapShape s = lap_shape(row_of_gates());
  const int32_t start = 100;
  // Lap 1 ends at 400, lap 2 at 700, lap 3 at 950, lap 4 at 1200.
  RiderTiming r = rider({200, 300, 400, 500, 700, 800, 950, 1100, 1200});
  EXPECT_EQ(lap_time_steps(s, r, start, 1), 300);
  EXPECT_EQ(lap_time_steps(s, r, start, 2), 300);
  EXPECT_EQ(lap_time_steps(s, r, start, 3), 250);
  EXPECT_EQ(lap_time_steps(s, r, start, 4), 250);
  EXPECT_EQ(lap_time_steps(s, r, start, 5), 0);
  EXPECT_EQ(lap_time_steps(s, r, start, 0), 0);
  // The earlier of two equal laps.
  BestLap best = best_lap(s, r, start);
  EXPECT_EQ(best.lap, 3);
  EXPECT_EQ(best.steps, 250);
  // The first lap never counts, however fast.
  RiderTiming quick_start = rider({110, 120, 130, 500, 900});
  EXPECT_EQ(best_lap(s, quick_start, start).lap, 2);
  EXPECT_EQ(best_lap(s, quick_start, start).steps, 770);
  // A lap that ends on a skipped time has none; with no timed lap the latest lap is named.
  RiderTiming gap = rider({200, 300, -1, 500, -1});
  EXPECT_EQ(lap_time_steps(s, gap, start, 1), 0);
  EXPECT_EQ(lap_time_steps(s, gap, start, 2), 0);
  EXPECT_EQ(best_lap(s, gap, start).lap, 2);
  EXPECT_EQ(best_lap(s, gap, start).steps, 0);
  EXPECT_EQ(best_lap(s, rider({200, 300, 400}), start).lap, 0);
}

TEST(GateTest, TheNextGateMissedGatesAndTheWayBack) {
  TrackTiming t = row_of_gates();
  RiderTiming r;
  // Behind gate 0's line, then just past it.
  EXPECT_FALSE(passed_gate_offset(t, r, -0.5, 0));
  ASSERT_EQ(passed_gate_offset(t, r, 0.5, 1), 0);
  record_gate(r, 0, 50);
  EXPECT_EQ(r.gates_passed, 1);
  // Standing on inside the gate just passed takes nothing more.
  EXPECT_FALSE(passed_gate_offset(t, r, 0.5, 1));
  // Gate 1 missed, gate 2 ridden through: two positions on, the missed one kept as -1.
  ASSERT_EQ(passed_gate_offset(t, r, 20.5, 0), 1);
  record_gate(r, 1, 80);
  EXPECT_EQ(r.gates_passed, 3);
  EXPECT_EQ(r.gate_times, (std::vector<int32_t>{50, -1, 80}));
  // Back to the missed gate: timed now, and the gate after it is to be passed again.
  ASSERT_EQ(passed_gate_offset(t, r, 10.5, 0), -2);
  record_gate(r, -2, 90);
  EXPECT_EQ(r.gates_passed, 2);
  EXPECT_EQ(r.gate_times, (std::vector<int32_t>{50, 90}));
  // Far from every gate, or at a position nobody can compute, nothing is passed.
  EXPECT_FALSE(passed_gate_offset(t, r, 500, 500));
  EXPECT_FALSE(passed_gate_offset(t, r, std::numeric_limits<double>::quiet_NaN(), 0));
}

TEST(GateTest, ALapsLastGateCannotBeMissed) {
  TrackTiming t = row_of_gates();
  RiderTiming r = rider({10, 20});                  // next: position 2, gate 2, the end of lap 1
  EXPECT_FALSE(passed_gate_offset(t, r, 30.5, 0));  // gate 3, one on
  EXPECT_FALSE(passed_gate_offset(t, r, 40.5, 0));  // gate 4, two on
  EXPECT_EQ(passed_gate_offset(t, r, 20.5, 0), 0);
  // Past the line, missing a gate within the lap is allowed again.
  r = rider({10, 20, 30});
  EXPECT_EQ(passed_gate_offset(t, r, 40.5, 0), 1);
}

TEST(GateTest, MovingARiderBackUnfinishesHimAndForgetsLaterGates) {
  RiderTiming r = rider({10, 20, 30, 40});
  r.finished = true;
  r.crashed = true;
  reset_rider_gates(r, 6);  // forward: finished stays, nothing to cut
  EXPECT_TRUE(r.finished);
  EXPECT_EQ(r.gate_times.size(), 4u);
  EXPECT_FALSE(r.crashed);
  reset_rider_gates(r, 2);
  EXPECT_FALSE(r.finished);
  EXPECT_EQ(r.gates_passed, 2);
  EXPECT_EQ(r.gate_times, (std::vector<int32_t>{10, 20}));
}

}  // namespace
}  // namespace br
