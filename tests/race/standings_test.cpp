// How long a timed race runs, and what cutting the track costs at the final results.
#include "race/standings.h"

#include <gtest/gtest.h>

#include "race/cutting_penalty.h"

namespace br {
namespace {

RiderTiming rider(std::vector<int32_t> times) {
  RiderTiming r;
  r.gates_passed = static_cast<int>(times.size());
  r.gate_times = std::move(times);
  return r;
}

// One gate a lap: lap k ends at position k - 1. Every lap takes `lap` steps from `start`.
RiderTiming steady(int laps, int32_t start, int32_t lap) {
  std::vector<int32_t> t;
  for (int k = 1; k <= laps; ++k) t.push_back(start + k * lap);
  return rider(t);
}

TEST(TimedRace, RunsExtraLapsAfterTheFirstLapEndedPastTheLimit) {
  const LapShape one{1, 1};
  const int32_t limit = 10 * 60 * 128;
  // The leader's laps take 90 s: lap 6 ends at 540 s, lap 7 at 630 s, after the ten minutes.
  RiderTiming leader = steady(7, 0, 90 * 128);
  RiderTiming slower = steady(6, 0, 100 * 128);
  std::vector<const RiderTiming*> riders = {&leader, &slower};
  EXPECT_EQ(timed_race_total_laps(one, riders, 7, limit, 2, kUnlimitedLaps), 9);
  // Asked again later, with the leader further on, the answer stands.
  RiderTiming later = steady(8, 0, 90 * 128);
  riders[0] = &later;
  EXPECT_EQ(timed_race_total_laps(one, riders, 8, limit, 2, 9), 9);
  // Nobody has crossed the line since the time ran out: still unknown.
  RiderTiming short_of_it = steady(6, 0, 90 * 128);
  riders = {&short_of_it};
  EXPECT_EQ(timed_race_total_laps(one, riders, 6, limit, 2, kUnlimitedLaps), kUnlimitedLaps);
}

TEST(CuttingPenalty, OnlyRidersWhoGainedPay) {
  // First lap of four gates, normal lap of four: two laps are positions 0..7.
  const LapShape s{4, 4};
  // Two clean riders: 100 steps between gates.
  RiderTiming a = rider({100, 200, 300, 400, 500, 600, 700, 800});
  RiderTiming b = rider({110, 210, 310, 410, 510, 610, 710, 810});
  // Missed gate 1 and took 330 from gate 0 to gate 2: no faster than the usual 200 plus a
  // second's grace (128), so nothing to pay.
  RiderTiming fair = rider({100, -1, 430, 530, 630, 730, 830, 930});
  // Missed gate 5 and took 150 from gate 4 to gate 6: owes 200 + 128 - 150, less than his
  // best lap, so he pays it in time.
  RiderTiming cutter = rider({100, 200, 300, 400, 500, -1, 650, 750});
  std::vector<const RiderTiming*> riders = {&a, &b, &fair, &cutter};
  EXPECT_EQ(expected_steps(s, riders, 0, 2), 200);
  EXPECT_EQ(cutting_penalty(s, riders, fair, 0).steps, 0);
  CuttingPenalty p = cutting_penalty(s, riders, cutter, 0);
  EXPECT_EQ(p.steps, 200 + 128 - 150);
  EXPECT_EQ(p.laps_lost, 0);
  // Nobody rode the stretch cleanly: a minute is the usual time.
  std::vector<const RiderTiming*> only_cutter = {&cutter};
  EXPECT_EQ(expected_steps(s, only_cutter, 4, 6), kNoSampleExpectedSteps);
  EXPECT_EQ(expected_steps(s, {}, 0, 1), kNoSampleExpectedSteps);
}

TEST(CuttingPenalty, AverageOverEveryLapAndPaidInLapsWhenItIsDearer) {
  const LapShape s{2, 2};
  // Gate to gate in the normal lap (positions 2 -> 3, 4 -> 5, ...): 100, then 300.
  RiderTiming a = rider({50, 100, 150, 250, 300, 600});
  std::vector<const RiderTiming*> riders = {&a};
  EXPECT_EQ(expected_steps(s, riders, 2, 3), 200);
  EXPECT_EQ(expected_steps(s, riders, 4, 5), 200);  // the same stretch, one lap on
  // Twice he missed a gate and came through the next one 20 steps later where riders take
  // 195 (350 for one, 40 for his own clean laps): 303 owed each time. His best lap, 20 steps,
  // is cheaper than that, so he loses laps, down to the end of the first, and pays the rest.
  RiderTiming cutter = rider({50, 100, 120, 140, -1, 160, -1, 180, 200, 220});
  riders.push_back(&cutter);
  EXPECT_EQ(expected_steps(s, riders, 3, 5), 195);
  CuttingPenalty p = cutting_penalty(s, riders, cutter, 0);
  EXPECT_EQ(p.laps_lost, 4);
  EXPECT_EQ(p.steps, 2 * 303 - 4 * 20);

  RiderOrderEntry e;
  e.penalty_steps = 448;
  e.laps_lost = 1;
  EXPECT_EQ(penalty_report(e, "7", 1.0 / 128),
            "  7 penalized 1 lap 3.50 seconds for cutting track");
  e.laps_lost = 2;
  EXPECT_EQ(penalty_report(e, "123", 1.0 / 128),
            "123 penalized 2 laps 3.50 seconds for cutting track");
  e.laps_lost = 0;
  EXPECT_EQ(penalty_report(e, "7", 1.0 / 128), "  7 penalized 3.50 seconds for cutting track");
  e.penalty_steps = 0;
  EXPECT_EQ(penalty_report(e, "7", 1.0 / 128), "");
}

}  // namespace
}  // namespace br
