// Whole sessions set up on small flat tracks: who gets a bike where, and how a session that
// cannot load its track ends.
#include "race/session.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>
#include <set>

#include "bike/bike.h"
#include "bike/crash.h"
#include "race/flagger_race.h"
#include "race/grid.h"
#include "race/rider_timing.h"
#include "race/robot_roster.h"
#include "robot/personality.h"
#include "race/session_fixture.h"
#include "race/standings.h"
#include "shell/world_tick.h"
#include "track/terrain_deform.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

using br_test::SessionTest;

std::array<double, 3> frame_position(const Bike& bike) {
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  return {p[0], p[1], p[2]};
}

int bikes() {
  int n = 0;
  for (const RiderSlot& s : g_world.slots) n += s.bike != nullptr;
  return n;
}

TEST_F(SessionTest, OnlyTheFirstHumanRidesAndTheViewFollowsHim) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[1] = kLineupRobot;
  lineup[2] = kLineupHuman;
  lineup[5] = kLineupHuman;
  ASSERT_TRUE(start(&lineup));
  EXPECT_EQ(g_world.viewed_slot, 2);
  EXPECT_EQ(g_world.slots[2].control, kControlLocal);
  ASSERT_TRUE(g_world.slots[2].bike);
  EXPECT_EQ(g_world.slots[2].identity.number, "999");
  EXPECT_EQ(g_world.slots[2].bike->opacity, 1.0f);
  EXPECT_FALSE(g_world.slots[5].bike);
  EXPECT_EQ(g_world.slots[5].control, kControlPlayedBack);
  EXPECT_EQ(g_world.slots[1].control, kControlRobot);
  EXPECT_EQ(g_world.slots[1].identity.name, "Roborider");
  EXPECT_EQ(bikes(), 2);
  EXPECT_EQ(g_world.order.size(), 2u);
  // The local rider's start is remembered for the false-start test.
  auto p = frame_position(*g_world.slots[2].bike);
  EXPECT_DOUBLE_EQ(g_world.session.local_start[0], p[0]);
  EXPECT_DOUBLE_EQ(g_world.session.local_start[2], p[2]);
}

TEST_F(SessionTest, AnEmptyLineupGetsOneRobotAndTheGateDropsThirteenToFifteenSecondsIn) {
  write_track("flat", 4);
  Lineup lineup{};
  ASSERT_TRUE(start(&lineup, "flat", 0, 5));
  EXPECT_EQ(bikes(), 1);
  EXPECT_EQ(g_world.viewed_slot, 0);
  ASSERT_TRUE(g_world.slots[0].bike);
  EXPECT_EQ(g_world.slots[0].control, kControlRobot);
  EXPECT_GE(g_world.slots[0].bike->personality, 1);
  EXPECT_EQ(g_world.frame, 0);
  EXPECT_GE(g_world.race_start_frame, 13 * 128);
  EXPECT_LE(g_world.race_start_frame, 15 * 128);
  EXPECT_EQ(g_world.session.settle_frame, 640);
  EXPECT_FALSE(g_world.session.time_trial);
  // A lap race knows its length; a timed one learns it as it goes.
  EXPECT_EQ(g_world.session.total_laps, 5);
  EXPECT_EQ(g_world.session.halfway_lap, 3);
  ASSERT_TRUE(start(&lineup, "flat", 128 * 600, 5));
  EXPECT_EQ(g_world.session.total_laps, kUnlimitedLaps);
  EXPECT_EQ(g_world.session.halfway_lap, kUnlimitedLaps);
  // The last session's bike went; the track stayed loaded.
  EXPECT_EQ(bikes(), 1);
  EXPECT_EQ(g_world.track.load_generation, 1);
}

// Every client of a server must ride the same ground: a dug-up track is loaded afresh for a
// server's session and stays as loaded through it; offline the ground is free again.
TEST_F(SessionTest, AServersSessionReloadsDugUpGroundAndLocksIt) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupHuman;
  ASSERT_TRUE(start(&lineup, "flat", 0, 5));
  Terrain& t = g_world.track.terrain;
  EXPECT_FALSE(t.locked);
  deform_terrain(t, g_world.track.lod, 40, 40, 4, -1);
  ASSERT_TRUE(t.modified);
  SessionStart online;
  online.lineup = &lineup;
  online.network = true;
  ASSERT_TRUE(start_session(g_world, online));
  EXPECT_EQ(g_world.track.load_generation, 2);
  EXPECT_FALSE(t.modified);
  EXPECT_FLOAT_EQ(terrain_height(t, 40, 40), 0.0f);
  EXPECT_TRUE(t.locked);
  deform_terrain(t, g_world.track.lod, 40, 40, 4, -1);
  EXPECT_FALSE(t.modified);
  ASSERT_TRUE(start(&lineup, "flat", 0, 5));
  EXPECT_EQ(g_world.track.load_generation, 2);  // clean ground needs no reload
  EXPECT_FALSE(t.locked);
}

TEST_F(SessionTest, ANumberedCodeFieldsThatRobotOnTheAliasedModel) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupRobotNumber + 42;
  ASSERT_TRUE(start(&lineup));
  const RiderSlot& s = g_world.slots[0];
  ASSERT_TRUE(s.bike);
  EXPECT_EQ(s.identity.number, "42");
  EXPECT_EQ(s.identity.bike_model, "crf250");
  EXPECT_EQ(s.bike->entry.name, "crf250(2008)");
  EXPECT_EQ(s.bike->personality, personality_index("rider_alpha"));
  EXPECT_EQ(s.bike->number, "42");
}

TEST_F(SessionTest, TwoStrokeCodesTakeThe125sUntilNoneAreLeft) {
  write_track("flat", 4);
  Lineup lineup{};
  for (int i = 0; i < 21; ++i) lineup[static_cast<size_t>(i)] = kLineupRobot125;
  ASSERT_TRUE(start(&lineup));
  std::set<std::string> numbers;
  for (int i = 0; i < 20; ++i) {
    const RiderSlot& s = g_world.slots[static_cast<size_t>(i)];
    ASSERT_TRUE(s.bike);
    EXPECT_NE(s.identity.bike_model.find("125"), std::string::npos) << i;
    numbers.insert(s.identity.number);
  }
  EXPECT_EQ(numbers.size(), 20u);  // each robot once
  // The twenty 125s are all out: the next robot of the deal rides whatever it has.
  ASSERT_TRUE(g_world.slots[20].bike);
  EXPECT_EQ(g_world.slots[20].identity.bike_model.find("125"), std::string::npos);
}

TEST_F(SessionTest, MoreRobotsThanTheRosterHoldsLeaveTheRestOfTheGridEmpty) {
  write_track("flat", 4);
  Lineup lineup;
  lineup.fill(kLineupRobot);
  ASSERT_TRUE(start(&lineup));
  EXPECT_EQ(bikes(), kRosterSize);
  std::set<std::string> numbers;
  for (int i = 0; i < kRosterSize; ++i) numbers.insert(g_world.slots[size_t(i)].identity.number);
  EXPECT_EQ(numbers.size(), size_t(kRosterSize));
  EXPECT_FALSE(g_world.slots[kRosterSize].bike);
  EXPECT_EQ(g_world.slots[kRosterSize].control, kControlPlayedBack);
}

TEST_F(SessionTest, RowsStandTenFeetApartBehindTheGates) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[9] = kLineupRobot;
  ASSERT_TRUE(start(&lineup));
  const std::vector<StartGate>& starts = g_world.track.timing.starts;
  ASSERT_EQ(starts.size(), 4u);
  GridSpot spot = grid_spot(9, starts, g_world.track.terrain.extent);
  EXPECT_FLOAT_EQ(static_cast<float>(spot.x), 30.0f);  // gate 1
  EXPECT_FLOAT_EQ(static_cast<float>(spot.z - 20.0), 20.625f);
  // The bike stands there as built, just clear of the ground.
  const Bike& bike = *g_world.slots[9].bike;
  auto p = frame_position(bike);
  EXPECT_NEAR(p[0], 30.0 + bike.entry.frame_position.x, 1e-4);
  EXPECT_NEAR(p[2], 40.625 + bike.entry.frame_position.z, 1e-4);
  double origin_y = p[1] - bike.entry.frame_position.y;
  EXPECT_GE(origin_y, 0.0);
  EXPECT_LT(origin_y, 0.5);
  // Gates stand up at the start.
  for (const StartGate& g : starts) EXPECT_EQ(g.drop, 1.0f);

  // A gate turned a quarter right puts its rows along x.
  std::vector<StartGate> turned(1);
  turned[0].position.x = 50;
  turned[0].position.z = 50;
  turned[0].position.yaw = static_cast<float>(M_PI / 2);
  GridSpot side = grid_spot(2, turned, 128);
  EXPECT_NEAR(side.x, 70.625, 1e-4);
  EXPECT_NEAR(side.z, 50.0, 1e-4);
  // Without gates the bikes line up across the middle.
  GridSpot middle = grid_spot(3, {}, 128);
  EXPECT_DOUBLE_EQ(middle.x, 64 + 15);
  EXPECT_DOUBLE_EQ(middle.z, 64);
  EXPECT_DOUBLE_EQ(middle.heading, 0);
}

TEST_F(SessionTest, TheFrontRowWaitsAtItsGatesWithoutBeingPushed) {
  write_track("flat", 4, true);
  Lineup lineup{};
  for (int i = 0; i < 4; ++i) lineup[size_t(i)] = kLineupRobot;
  ASSERT_TRUE(start(&lineup));
  ASSERT_EQ(g_world.track.scenery.statues.size(), 4u);
  std::array<std::array<double, 3>, 4> before;
  for (int i = 0; i < 4; ++i) before[size_t(i)] = frame_position(*g_world.slots[size_t(i)].bike);
  for (int t = 0; t < 256; ++t) world_tick(g_world);
  for (int i = 0; i < 4; ++i) {
    auto p = frame_position(*g_world.slots[size_t(i)].bike);
    EXPECT_NEAR(p[0], before[size_t(i)][0], 0.1) << i;
    EXPECT_NEAR(p[2], before[size_t(i)][2], 0.25) << i;
    EXPECT_EQ(g_world.slots[size_t(i)].bike->state.crash_timer, 0) << i;
  }
}

TEST_F(SessionTest, ATimeTrialStartsLongAfterTheGateTwoGatesBeforeTheLapLine) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[3] = kLineupRobot;
  ASSERT_TRUE(start(&lineup));
  g_world.session.best_lap_frames = 900;
  ASSERT_TRUE(start(nullptr));
  EXPECT_TRUE(g_world.session.time_trial);
  EXPECT_EQ(g_world.frame, 300 * 128);
  EXPECT_LT(g_world.race_start_frame, g_world.frame);
  EXPECT_EQ(g_world.session.best_lap_frames, 0);
  EXPECT_EQ(bikes(), 1);
  const RiderSlot& s = g_world.slots[0];
  ASSERT_TRUE(s.bike);
  EXPECT_EQ(s.control, kControlLocal);
  // First lap 1 2 0: position 1 is gate 2 at (60, 90), ridden towards -x.
  EXPECT_EQ(s.timing.gates_passed, 1);
  auto p = frame_position(*s.bike);
  const BikeEntry& e = s.bike->entry;
  EXPECT_NEAR(p[0], 60 + e.frame_position.z, 1e-3);
  EXPECT_NEAR(p[2], 90 - e.frame_position.x, 1e-3);
  dVector3 ahead;
  dBodyVectorToWorld(s.bike->bodies[kBodyFrame], 0, 0, -1, ahead);
  EXPECT_NEAR(ahead[0], -1.0, 1e-6);

  // Another attempt: back to the same spot, crossings cut back, a robot slot emptied.
  RiderSlot& r = g_world.slots[0];
  r.timing.gates_passed = 4;
  r.timing.gate_times = {10, 20, 30, 40};
  r.timing.finished = true;
  g_world.slots[7].bike = build_bike(g_world, "rm125", 7, "7", "", "", "", "");
  g_world.slots[7].control = kControlRobot;
  g_world.session.last_lap_frames = 500;
  restart_attempt(g_world);
  EXPECT_FALSE(g_world.slots[7].bike);
  EXPECT_EQ(g_world.slots[7].control, kControlPlayedBack);
  EXPECT_EQ(r.timing.gates_passed, 1);
  EXPECT_EQ(r.timing.gate_times, std::vector<int32_t>{10});
  EXPECT_FALSE(r.timing.finished);
  EXPECT_EQ(g_world.session.last_lap_frames, 0);
  p = frame_position(*r.bike);
  EXPECT_NEAR(p[0], 60 + e.frame_position.z, 1e-3);
}

TEST_F(SessionTest, ATrackThatDoesNotLoadEndsTheSessionWithNothingLeft) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupRobot;
  lineup[1] = kLineupRobot;
  ASSERT_TRUE(start(&lineup));
  EXPECT_EQ(bikes(), 2);
  EXPECT_TRUE(g_world.session.loaded);
  EXPECT_FALSE(start(&lineup, "nowhere"));
  EXPECT_EQ(bikes(), 0);
  EXPECT_TRUE(g_world.order.empty());
  EXPECT_FALSE(g_world.track.loaded);
  EXPECT_FALSE(g_world.session.loaded);
  // The next session loads a good track again.
  EXPECT_TRUE(start(&lineup));
  EXPECT_EQ(bikes(), 2);
}

TEST_F(SessionTest, TheSkillsLineFileFillsTheDatabaseWhenItFitsTheTrack) {
  write_track("flat", 4);
  // Three sections: the first lap's three gates; the normal lap repeats them.
  std::string file =
      "ct03 6\n1\n2 100 200 5 90 190 450 950 1\n[1 2 3] 4 0.5\n[5 6 7] -8 0\n"
      "0\n0\n0\n0\n0\n";
  br_test::DataDirs::put(dirs.game("flat/lines_amateur"), file);
  Lineup lineup{};
  br::SessionStart s;
  s.lineup = &lineup;
  s.skill = 1;
  g_world.settings.track.value = "flat";
  ASSERT_TRUE(start_session(g_world, s));
  ASSERT_EQ(g_world.lines.sections.size(), 6u);
  const LineRecord& line = g_world.lines.sections[0][0];
  ASSERT_EQ(line.points.size(), 2u);
  EXPECT_EQ(line.sum_pair, 950);
  EXPECT_EQ(line.last_picked, -1000000);
  EXPECT_EQ(g_world.session.loaded_line_set, 1);
  // The novice file is missing: nothing to ride on.
  s.skill = 0;
  ASSERT_TRUE(start_session(g_world, s));
  ASSERT_EQ(g_world.lines.sections.size(), 6u);
  EXPECT_TRUE(g_world.lines.sections[0][0].points.empty());
}

TEST_F(SessionTest, RoostParticlesAreAllFreeAfterTheSetUp) {
  write_track("flat", 4);
  Lineup lineup{};
  ASSERT_TRUE(start(&lineup));
  RoostPool& pool = g_world.track.roost;
  ASSERT_EQ(pool.particles.size(), size_t(kRoostParticles));
  // Some dirt in the air, its billboard showing.
  pool.free_list = 5;
  pool.active_list = 0;
  pool.particles[0].next = -1;
  Billboard& b = g_world.track.scenery.billboards[size_t(pool.particles[0].billboard)];
  b.texture = 7;
  ASSERT_TRUE(start(&lineup));
  EXPECT_EQ(pool.active_list, -1);
  EXPECT_EQ(pool.free_list, 0);
  EXPECT_EQ(b.texture, 0u);
  int free = 0;
  for (int i = pool.free_list; i >= 0; i = pool.particles[size_t(i)].next) ++free;
  EXPECT_EQ(free, kRoostParticles);
  // Reserved billboards never go into the track's billboards file.
  EXPECT_TRUE(billboard_entries(g_world.track.scenery).empty());
}

TEST_F(SessionTest, MarshalsWatchTheLeaderAndTheFallenRidersNextGates) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = lineup[1] = lineup[2] = kLineupRobot;
  ASSERT_TRUE(start(&lineup, "flat", 0, 4));
  g_world.frame = 3000;
  RiderTiming& a = g_world.slots[0].timing;
  RiderTiming& b = g_world.slots[1].timing;
  RiderTiming& c = g_world.slots[2].timing;
  a.gates_passed = 1;  // down before gate 2 (first lap 1 2 0)
  a.gate_times = {400};
  crash_rider(g_world, *g_world.slots[0].bike);
  EXPECT_TRUE(a.crashed);
  b.gates_passed = 5;  // leads; crashed but finished, so nobody waves for him
  b.gate_times = {300, 500, 700, 900, 1100};
  b.crashed = b.finished = true;
  c.gates_passed = 3;  // fell before the lap's first gate, gate 1
  c.gate_times = {350, 550, 750};
  c.crashed = true;
  rebuild_standings(g_world);
  ASSERT_EQ(g_world.order.front().slot, 1);
  FlaggerRace race = flagger_race(g_world);
  EXPECT_EQ(race.leader_gates_passed, 5);
  EXPECT_EQ(race.first_lap, 3);
  EXPECT_EQ(race.normal_lap, 3);
  EXPECT_EQ(race.total_laps, 4);
  EXPECT_EQ(race.halfway_lap, 2);
  EXPECT_EQ(race.now_step, 3000);
  EXPECT_EQ(race.start_step, g_world.race_start_frame);
  EXPECT_TRUE(race.gate_alert[2]);
  EXPECT_TRUE(race.gate_alert[1]);
  EXPECT_FALSE(race.gate_alert[0]);
}

TEST_F(SessionTest, AServersRidersAreGhostsBehindTheFrontRow) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupServer;
  lineup[1] = kLineupHuman;
  lineup[2] = kLineupServer;
  for (int i : {0, 2}) {
    g_world.slots[size_t(i)].identity.bike_model = "kx125";
    g_world.slots[size_t(i)].identity.number = std::to_string(60 + i);
  }
  g_world.race_start_frame = 4321;  // the server's
  SessionStart s;
  s.lineup = &lineup;
  s.network = true;
  g_world.settings.track.value = "flat";
  ASSERT_TRUE(start_session(g_world, s));
  EXPECT_EQ(g_world.race_start_frame, 4321);
  EXPECT_EQ(g_world.viewed_slot, 1);
  const Bike& ghost = *g_world.slots[0].bike;
  EXPECT_EQ(g_world.slots[0].control, kControlPlayedBack);
  EXPECT_EQ(g_world.slots[0].identity.number, "60");
  EXPECT_EQ(ghost.opacity, 0.0f);
  EXPECT_EQ(ghost.playback.position_gain, 100.0f);
  EXPECT_EQ(ghost.playback.velocity_gain, 5.0f);
  EXPECT_EQ(ghost.playback.rotation_gain, 50.0f);
  EXPECT_FLOAT_EQ(ghost.playback.angle_tolerance, 2.5f * float(M_PI) / 180);
  EXPECT_EQ(g_world.slots[1].bike->opacity, 1.0f);
  // The local rider has no race position yet: the front of gate 0. The server's riders take
  // the second row in slot order.
  const std::vector<StartGate>& starts = g_world.track.timing.starts;
  auto at = [&](int slot) { return frame_position(*g_world.slots[size_t(slot)].bike); };
  double fz = g_world.slots[1].bike->entry.frame_position.z;
  EXPECT_NEAR(at(1)[0], starts[0].position.x, 1e-3);
  EXPECT_NEAR(at(1)[2], 20.625 + fz, 1e-3);
  EXPECT_NEAR(at(0)[0], 20.0, 1e-3);
  EXPECT_NEAR(at(2)[0], 30.0, 1e-3);
  EXPECT_NEAR(at(2)[2] - at(0)[2], 0.0, 1e-3);

  // With a race position the local rider stands there and the others step around it.
  std::vector<bool> server = {true, false, true, true};
  EXPECT_EQ(network_grid(server, 1, 5, 4), (std::vector<int>{4, 5, 6, 7}));
  EXPECT_EQ(network_grid(server, 1, 4, 4), (std::vector<int>{5, 4, 6, 7}));
  EXPECT_EQ(network_grid(server, -1, 160, 2), (std::vector<int>{2, -1, 3, 4}));
}

TEST_F(SessionTest, WarpStartsTheNextRaceWithTheLineupMovedRound) {
  write_track("flat", 4);
  g_world.lineup = Lineup{};
  g_world.lineup[0] = kLineupRobot;
  g_world.lineup[kLineupSize - 1] = kLineupRobotNumber + 50;
  g_world.options.warp = true;
  g_world.settings.laps.value = 2;
  ASSERT_TRUE(start(&g_world.lineup, "flat", 0, 1));
  EXPECT_FALSE(warp_restart(g_world));  // nobody has done a lap
  // First lap 3 gates, normal lap 3: 3 positions end lap 1.
  g_world.slots[0].timing.gates_passed = 3;
  rebuild_standings(g_world);
  EXPECT_TRUE(warp_restart(g_world));
  EXPECT_EQ(g_world.lineup[0], kLineupRobotNumber + 50);
  EXPECT_EQ(g_world.lineup[1], kLineupRobot);
  EXPECT_EQ(g_world.slots[0].identity.number, "50");
  EXPECT_EQ(g_world.session.total_laps, 2);
  EXPECT_EQ(g_world.slots[0].timing.gates_passed, 0);
}

}  // namespace
}  // namespace br
