// Reading "timing_gates": the sections, what a bad line costs, when laps can be timed, and
// the start gates a track load stands on the ground.
#include "race/timing_gates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "render/log_capture.h"
#include "render/model_cache.h"
#include "track/scenery.h"
#include "track/small_track.h"
#include "track/terrain_queries.h"
#include "track/track_load_fixture.h"
#include "track/track_loader.h"
#include "track/track_steps.h"
#include "world/world.h"

namespace br {
namespace {

TEST(TimingGates, WhatTheGameWritesReadsBackTheSame) {
  TimingGatesFile f;
  f.starts.push_back({1, 0, 2, 0.5f, "", "", ""});
  f.starts.push_back({3, 0.25f, 4, -0.5f, "@gate.jm", "@startgate.ppm", "null"});
  f.gates.push_back({20, 1, 2, 3, 0, 0, -1});
  f.gates.push_back({15, 4, 5, 6, 1, 0, 0});
  f.first_lap = {1, 0};
  f.normal_lap = {0, 100001};
  std::string text = format_timing_gates(f);
  TimingGatesFile back = parse_timing_gates(text, "t");
  EXPECT_EQ(format_timing_gates(back), text);
  EXPECT_EQ(back.starts[1].model, "@gate.jm");
  EXPECT_EQ(back.starts[1].shape, "null");
  EXPECT_TRUE(back.starts[0].model.empty());
  EXPECT_EQ(back.normal_lap, (std::vector<int>{0, 100001}));
}

TEST(TimingGates, BadLinesAreSkippedAndYawsWrapped) {
  br_test::LogCapture log;
  TimingGatesFile f = parse_timing_gates(
      "startinggate:\n"
      "[1 0 2] 7.0\n"
      "[1 0 2]\n"                                                // no yaw: skipped
      "[3 0 4] 0 @startgate.jm @startgate.ppm @startgate.shp\n"  // the defaults, said aloud
      "[5 0 6] 0 @box.jm\n"
      "checkpoints:\n"
      "10 [ 1 2 3 ] [ 0 0 1 ]\n"
      "10 [ 1 2 nan ] [ 0 0 1 ]\n"  // not a number: skipped
      "# a comment\n"
      "12 [ 4 5 6 ] [ 1 0 0 ]\n"
      "firstlap: 1 0\n"
      "normallap:\n0 x 1\n",
      "@t/timing_gates");
  EXPECT_EQ(log.count("Warning: skipping bad line"), 3);
  EXPECT_EQ(log.count("line 3 of '@t/timing_gates'"), 1);
  ASSERT_EQ(f.starts.size(), 3u);
  EXPECT_NEAR(f.starts[0].yaw, 7.0f - 2 * std::numbers::pi_v<float>, 1e-5);
  EXPECT_TRUE(f.starts[1].model.empty());  // written back as the defaults
  EXPECT_EQ(f.starts[2].model, "@box.jm");
  EXPECT_EQ(f.starts[2].texture, kDefaultStartGateTexture);
  ASSERT_EQ(f.gates.size(), 2u);
  EXPECT_FLOAT_EQ(f.gates[1].radius, 12.0f);
  EXPECT_EQ(f.first_lap, (std::vector<int>{1, 0}));
  EXPECT_EQ(f.normal_lap, std::vector<int>{0});  // the rest of a bad line is lost with it
}

TEST(TimingGates, CoordinatesThatAreNoNumbersNeverReachTheGateTest) {
  br_test::LogCapture log;
  TimingGatesFile f = parse_timing_gates(
      "startinggate:\n"
      "[inf 0 2] 0\n"
      "[1 0 2] nan\n"
      "[1 0 1e39] 0\n"  // beyond a float: read as infinite
      "[1 0 2] 0\n"
      "checkpoints:\n"
      "10 [ 1 2 3 ] [ 0 0 1 ]\n"
      "inf [ 1 2 3 ] [ 0 0 1 ]\n"
      "10 [ -inf 2 3 ] [ 0 0 1 ]\n"
      "10 [ 1 2 3 ] [ nan 0 1 ]\n"
      "10 [ 1 2 3 ] [ 0 0 -1e40 ]\n"
      "firstlap: 0\nnormallap: 0 99999999999\n",
      "t");
  EXPECT_EQ(log.count("Warning: skipping bad line"), 8);
  ASSERT_EQ(f.starts.size(), 1u);
  EXPECT_FLOAT_EQ(f.starts[0].z, 2.0f);
  ASSERT_EQ(f.gates.size(), 1u);
  EXPECT_FLOAT_EQ(f.gates[0].radius, 10.0f);
  EXPECT_EQ(f.normal_lap, std::vector<int>{0});  // a reference too large for the game is refused
}

TEST(TimingGates, LapsAreTimedOnlyWithGatesAndBothLists) {
  EXPECT_EQ(clean_lap_reference(-4, 3), 0);
  EXPECT_EQ(clean_lap_reference(7, 3), 2);
  EXPECT_EQ(clean_lap_reference(100007, 3), 100002);
  EXPECT_EQ(clean_lap_reference(100001, 3), 100001);
  TimingGatesFile f;
  f.gates.push_back({10, 0, 0, 0, 1, 0, 0});
  f.first_lap = {0};
  EXPECT_FALSE(timing_usable(f));  // no normal lap
  f.normal_lap = {100000};
  EXPECT_FALSE(timing_usable(f));  // nothing but references the robots skip
  f.normal_lap.push_back(0);
  EXPECT_TRUE(timing_usable(f));
  f.gates.clear();
  EXPECT_FALSE(timing_usable(f));
}

class TimingLoad : public br_test::TrackLoadTest {
 protected:
  void SetUp() override {
    TrackLoadTest::SetUp();
    write_small_track_with([](int, int r) { return r * 4000; });
  }
};

TEST_F(TimingLoad, StartGatesStandAheadOfTheirPositions) {
  br_test::DataDirs::put(dirs.game("small/timing_gates"),
                         "startinggate:\n[10 0 20] 0\n[14 0 20] 1.5 null null null\n"
                         "checkpoints:\n8 [ 16 0 16 ] [ 0 0 -1 ]\n8 [ 16 0 4 ] [ 1 0 0 ]\n"
                         "firstlap:\n1 0 \nnormallap:\n0 1 1 100000 \n");
  ASSERT_TRUE(load_track("small"));
  const TrackState& t = g_world.track;
  EXPECT_TRUE(t.timing.active);
  EXPECT_EQ(t.first_lap_entries, 2);
  EXPECT_EQ(t.normal_lap_entries, 4);
  EXPECT_EQ(t.start_positions, 2);
  ASSERT_EQ(t.timing.starts.size(), 2u);
  const StartGate& g = t.timing.starts[0];
  EXPECT_FLOAT_EQ(g.drop, 1.0f);
  ASSERT_GE(g.statue, 0);
  const Statue& st = t.scenery.statues[size_t(g.statue)];
  EXPECT_FLOAT_EQ(st.x, 10.0f);
  EXPECT_FLOAT_EQ(st.z, 17.0f);  // 3 ft ahead along -z for yaw 0
  EXPECT_FLOAT_EQ(st.y, terrain_height(t.terrain, 10, 17));
  EXPECT_EQ(st.model_name, kDefaultStartGateModel);
  const Statue& bare = t.scenery.statues[size_t(t.timing.starts[1].statue)];
  EXPECT_NEAR(bare.x, 14 - 3 * std::sin(1.5f), 1e-5);
  EXPECT_TRUE(bare.model_name.empty());
  EXPECT_NE(track_info_text(t).find("firstlap=2\nnormallap=4\ngatecount=2\n"), std::string::npos);
  free_track();
  EXPECT_TRUE(g_world.track.timing.starts.empty());
  EXPECT_EQ(g_world.track.start_positions, 0);
}

TEST_F(TimingLoad, WithoutANormalLapTheTrackHasNoTiming) {
  br_test::LogCapture log;
  br_test::DataDirs::put(dirs.game("small/timing_gates"),
                         "startinggate:\n[10 0 20] 0\ncheckpoints:\n8 [ 16 0 16 ] [ 0 0 -1 ]\n"
                         "firstlap:\n0\n");
  ASSERT_TRUE(load_track("small"));
  EXPECT_FALSE(g_world.track.timing.active);
  EXPECT_EQ(log.count("laps are not timed"), 1);
  EXPECT_EQ(g_world.track.first_lap_entries, 0);
  EXPECT_EQ(g_world.track.start_positions, 1);  // start positions count all the same
}

}  // namespace
}  // namespace br
