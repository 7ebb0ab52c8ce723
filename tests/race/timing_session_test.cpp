// Timing in running sessions on a small flat track: the start gates, gates passed through the
// world tick, the finish, timed races and the false start.
#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>
#include <string>

#include "bike/bike.h"
#include "bike/controls.h"
#include "files/messages.h"
#include "race/grid.h"
#include "race/laps.h"
#include "race/rider_timing.h"
#include "race/session_fixture.h"
#include "race/standings.h"
#include "race/start_gates.h"
#include "shell/world_tick.h"

namespace br {
namespace {

using br_test::SessionTest;

// Puts the slot's bike a few feet past the line of `gate`, riding through it. (A bike's own
// origin lies a foot ahead of its front wheel.)
void put_in_gate(int slot, int gate) {
  const TimingGate& g = g_world.track.timing.gates[static_cast<size_t>(gate)];
  place_on_ground(*g_world.slots[static_cast<size_t>(slot)].bike, g_world.track.terrain,
                  g.cx + 3 * g.dx, g.cz + 3 * g.dz, std::atan2(-g.dx, -g.dz));
}

// How high the far edge of a start gate's object stands, feet per foot of gate.
float gate_lift(const Statue& statue) {
  return -statue.orientation[5];  // world y of the object's (0, 0, -1)
}

TEST_F(SessionTest, StartGatesStandUntilTheStartAndFallInAnEighthOfASecond) {
  write_track("flat", 4, true);
  Lineup lineup{};
  lineup[0] = kLineupRobot;
  ASSERT_TRUE(start(&lineup));
  const std::vector<StartGate>& starts = g_world.track.timing.starts;
  const std::vector<Statue>& statues = g_world.track.scenery.statues;
  ASSERT_EQ(starts.size(), 4u);
  for (const StartGate& g : starts) {
    EXPECT_EQ(g.drop, 1.0f);
    EXPECT_NEAR(gate_lift(statues[size_t(g.statue)]), std::sin(kGateStandingTilt), 1e-5);
  }
  g_world.frame = g_world.race_start_frame - 3;
  for (int i = 0; i < 4; ++i) world_tick(g_world);  // up to and including the start step
  EXPECT_EQ(starts[0].drop, 1.0f);
  world_tick(g_world);
  EXPECT_FLOAT_EQ(starts[0].drop, 1.0f - 1.0f / 16);
  for (int i = 0; i < 15; ++i) world_tick(g_world);
  for (const StartGate& g : starts) {
    EXPECT_EQ(g.drop, 0.0f);
    EXPECT_NEAR(gate_lift(statues[size_t(g.statue)]), 0.0f, 1e-6);
  }
  // A time trial begins long after the start: its gates lie down from the first step.
  ASSERT_TRUE(start(nullptr));
  for (const StartGate& g : starts) {
    EXPECT_EQ(g.drop, 0.0f);
    EXPECT_NEAR(gate_lift(statues[size_t(g.statue)]), 0.0f, 1e-6);
  }
}

TEST_F(SessionTest, GatesAreTimedByTheWorldTickAndTheLeaderFinishesTheRace) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = lineup[1] = kLineupRobot;
  ASSERT_TRUE(start(&lineup, "flat", 0, 2));
  RiderTiming& a = g_world.slots[0].timing;
  RiderTiming& b = g_world.slots[1].timing;
  // First lap 1 2 0, normal lap 1 2 0.
  put_in_gate(0, 1);
  a.crashed = true;
  int32_t now = g_world.frame;
  world_tick(g_world);
  EXPECT_EQ(a.gates_passed, 1);
  EXPECT_EQ(a.gate_times, std::vector<int32_t>{now});
  EXPECT_FALSE(a.crashed);  // passing a gate clears the fall
  EXPECT_EQ(g_world.order.front().slot, 0);
  EXPECT_EQ(g_world.order.front().last_step, now);
  // Standing on in the gate passes it once only.
  world_tick(g_world);
  EXPECT_EQ(a.gates_passed, 1);
  // Through gate 0, the lap line, twice: two laps and the race is his.
  for (int gate : {2, 0}) {
    put_in_gate(0, gate);
    world_tick(g_world);
  }
  EXPECT_EQ(laps_completed(lap_shape(g_world.track.timing), a.gates_passed), 1);
  EXPECT_FALSE(a.finished);
  for (int gate : {1, 2, 0}) {
    put_in_gate(0, gate);
    world_tick(g_world);
  }
  EXPECT_EQ(a.gates_passed, 6);
  EXPECT_TRUE(a.finished);
  EXPECT_FALSE(g_world.session.results_final);  // the other rider is still out
  // A finished rider is timed no more.
  put_in_gate(0, 1);
  world_tick(g_world);
  EXPECT_EQ(a.gates_passed, 6);

  // The other finishes on his next lap line, a lap down; then the results are final.
  b.gates_passed = 2;
  b.gate_times = {100, 200};
  put_in_gate(1, 0);
  world_tick(g_world);
  EXPECT_TRUE(b.finished);
  EXPECT_TRUE(g_world.session.results_final);
  ASSERT_EQ(g_world.order.size(), 2u);
  EXPECT_EQ(g_world.order[0].slot, 0);
  EXPECT_EQ(g_world.order[1].slot, 1);
  // Final results stand whatever happens after.
  b.gates_passed = 9;
  update_standings(g_world);
  EXPECT_EQ(g_world.order[0].slot, 0);
}

TEST_F(SessionTest, PracticeStartsTwoGatesBeforeTheLapLine) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupRobot;
  ASSERT_TRUE(start(&lineup));
  RiderTiming& r = g_world.slots[0].timing;
  r.gates_passed = 5;
  r.gate_times = {1, 2, 3, 4, 5};
  r.finished = true;
  ASSERT_TRUE(place_before_lap_line(g_world, 0));
  // Position 1 of the first lap 1 2 0 is gate 2 at (60, 90), ridden toward -x.
  EXPECT_EQ(r.gates_passed, 1);
  EXPECT_EQ(r.gate_times, std::vector<int32_t>{1});
  EXPECT_FALSE(r.finished);
  const dReal* p = dBodyGetPosition(g_world.slots[0].bike->bodies[kBodyFrame]);
  EXPECT_NEAR(p[0], 60 + g_world.slots[0].bike->entry.frame_position.z, 1e-3);
  EXPECT_NEAR(p[2], 90, 0.5);
  EXPECT_EQ(g_world.order.front().progress, 1);
  // The gate it stands at is the next one to pass.
  put_in_gate(0, 2);
  world_tick(g_world);
  EXPECT_EQ(r.gates_passed, 2);
}

TEST_F(SessionTest, ATimedRaceLearnsItsHalfwayAndItsLength) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupRobot;
  const int32_t limit = 10 * 128;
  ASSERT_TRUE(start(&lineup, "flat", limit, 1));
  SessionState& s = g_world.session;
  EXPECT_EQ(s.total_laps, kUnlimitedLaps);
  RiderTiming& r = g_world.slots[0].timing;
  const int32_t t0 = g_world.race_start_frame;
  // Lap 1 (positions 0..2) ends 4 s in, lap 2 (3..5) 8 s in, lap 3 12 s in.
  r.gate_times = {t0 + 128, t0 + 256, t0 + 512, t0 + 640, t0 + 768, t0 + 1024};
  r.gates_passed = 6;
  g_world.frame = t0 + limit / 2 - 1;
  update_standings(g_world);
  EXPECT_EQ(s.halfway_lap, kUnlimitedLaps);
  g_world.frame = t0 + limit / 2;
  update_standings(g_world);
  EXPECT_EQ(s.halfway_lap, 3);
  // The time runs out 10 s in; nobody has ended a lap since, so the length is not known yet.
  g_world.frame = t0 + limit;
  update_standings(g_world);
  EXPECT_EQ(s.total_laps, kUnlimitedLaps);
  r.gate_times.insert(r.gate_times.end(), {t0 + 1280, t0 + 1400, t0 + 1536});
  r.gates_passed = 9;
  g_world.frame = t0 + 1537;
  update_standings(g_world);
  EXPECT_EQ(s.total_laps, 4);  // lap 3 ended after the limit, and one lap more
}

TEST_F(SessionTest, MovingBeforeTheStartOfAServersRaceHoldsTheRiderFifteenSeconds) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupHuman;
  ASSERT_TRUE(start(&lineup));
  Bike& bike = *g_world.slots[0].bike;
  g_world.frame = g_world.race_start_frame - 100;
  false_start_step(g_world, 0);
  EXPECT_EQ(g_world.session.false_start_hold, 0);  // standing still is fine
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  dBodySetPosition(bike.bodies[kBodyFrame], p[0], p[1], p[2] - 3.01);
  set_throttle(bike, 1);
  false_start_step(g_world, 0);
  EXPECT_EQ(g_world.session.false_start_hold, 15 * 128 + 100 - 1);
  EXPECT_STREQ(message_line(0), "15 second false start penalty");
  EXPECT_EQ(bike.controls.throttle, 0.0f);
  EXPECT_EQ(bike.controls.front_brake, 1.0f);
  EXPECT_EQ(bike.controls.rear_brake, 1.0f);
  EXPECT_EQ(bike.controls.clutch, 0.0f);
  EXPECT_EQ(bike.controls.dab, 1.0f);
  // The hold runs out 15 s after the start.
  for (int i = 0; i < 15 * 128 + 99; ++i) {
    false_start_step(g_world, 0);
    ++g_world.frame;
  }
  EXPECT_EQ(g_world.session.false_start_hold, 0);
  set_throttle(bike, 1);
  false_start_step(g_world, 0);
  EXPECT_EQ(bike.controls.throttle, 1.0f);
}

}  // namespace
}  // namespace br
