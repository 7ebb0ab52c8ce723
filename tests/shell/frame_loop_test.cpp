#include "shell/frame_loop.h"

#include <gtest/gtest.h>

#include <deque>

#include "render/terrain_lod.h"
#include "shell/main_loop.h"

namespace {

using br::g_world;
using br::kSimStep;

// A clock that only moves when told to, or when the loop sleeps.
struct FakeClock {
  double t = 100.0;
  double slept = 0.0;
  br::LoopClock loop_clock() {
    return {[this] { return t; }, [this](double s) {
              slept += s;
              t += s;
            }};
  }
};

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    br::world_reset();
    g_world.session.loaded = true;
    g_world.view_mode = br::kViewChase;
    start();
  }
  // The loop's first frame: later frames measure from its end.
  void start() {
    double now = br::frame_advance(g_world, clock.loop_clock());
    br::step_loop(g_world, now, no_events());
    clock.slept = 0;
  }
  // One frame that took `seconds` of wall time; returns the steps simulated.
  int frame(double seconds) {
    clock.t += seconds;
    int before = g_world.frame;
    double now = br::frame_advance(g_world, clock.loop_clock());
    br::step_loop(g_world, now, no_events());
    return g_world.frame - before;
  }
  br::EventSource no_events() {
    return [](kota::Event&, const kota::ClockTime*) { return false; };
  }
  FakeClock clock;
};

TEST_F(FrameLoopTest, ASlowFrameIsCappedAndCountedInBinSix) {
  auto bins = g_world.loop.frame_histogram;
  EXPECT_EQ(frame(0.3), 16);
  EXPECT_EQ(g_world.loop.frame_histogram[6], bins[6] + 1);
  EXPECT_DOUBLE_EQ(g_world.loop.largest_advance, 0.125);
  // The wall time beyond the cap is not made up later.
  EXPECT_EQ(frame(kSimStep), 1);
}

TEST_F(FrameLoopTest, AFastFrameSleepsUntilOneStepIsDue) {
  EXPECT_EQ(frame(0.003), 1);
  EXPECT_NEAR(clock.slept, kSimStep - 0.003, 1e-9);
  EXPECT_EQ(g_world.loop.frame_histogram[0], 2u);  // the first frame and this one
}

TEST_F(FrameLoopTest, LockFpsSimulatesExactlyItsFrameTimeCarryingTheFraction) {
  g_world.options.lock_fps = 30;
  double world_time = g_world.world_time;
  int steps = 0;
  for (int i = 0; i < 30; ++i) {
    int n = frame(0.001);
    EXPECT_TRUE(n == 4 || n == 5) << n;
    steps += n;
  }
  EXPECT_EQ(steps, 128);  // one second of frames is one second of steps
  EXPECT_NEAR(g_world.world_time - world_time, 1.0, 1e-9);
}

TEST_F(FrameLoopTest, WarpSimulatesAHundredStepsWithoutWaiting) {
  g_world.options.warp = true;
  EXPECT_EQ(frame(0.0), 100);
  EXPECT_EQ(clock.slept, 0.0);
  g_world.online = true;  // warp is offline only
  EXPECT_EQ(frame(4 * kSimStep), 4);
}

TEST_F(FrameLoopTest, NetworkLagScalesTheAdvance) {
  // The server 65 frames ahead: a lag of 64 steps, half a second.
  EXPECT_DOUBLE_EQ(br::network_adjusted_advance(0.01, 1065, 1000, 2000, kSimStep), 0.025);
  EXPECT_DOUBLE_EQ(br::network_adjusted_advance(0.01, 1065, 1000, 0, kSimStep), 0.01125);
  // Ahead of the server by half a second: slowed down to three quarters.
  EXPECT_DOUBLE_EQ(br::network_adjusted_advance(0.01, 1000 - 63, 1000, 0, kSimStep), 0.0075);
}

TEST_F(FrameLoopTest, EventsLandOnTheStepWhoseDeadlineTheyPrecede) {
  // A frame of four steps, due a quarter, a half, three quarters and all of the way through.
  double frame_start = clock.t;
  std::deque<kota::Event> queue = {
      {1, true, kota::clock_from_seconds(frame_start + 0.009)},   // step 2
      {2, true, kota::clock_from_seconds(frame_start + 0.02)},    // step 3
      {3, true, kota::clock_from_seconds(frame_start + 0.031)},   // step 4
      {4, true, kota::clock_from_seconds(frame_start + 0.05)},    // late, yet due now
  };
  int step = 0;
  double last_deadline = -1;
  std::vector<int> step_of_event(5, 0);
  br::EventSource source = [&](kota::Event& e, const kota::ClockTime* deadline) {
    double d = deadline ? kota::clock_seconds(*deadline) : 1e9;
    if (d != last_deadline) {
      ++step;
      last_deadline = d;
    }
    if (queue.empty() || (deadline && kota::clock_before(*deadline, queue.front().time))) {
      return false;
    }
    e = queue.front();
    queue.pop_front();
    step_of_event[e.code] = step;
    return true;
  };
  clock.t += 4 * kSimStep;
  double now = br::frame_advance(g_world, clock.loop_clock());
  br::step_loop(g_world, now, source);
  EXPECT_EQ(step, 4);
  EXPECT_EQ(step_of_event, (std::vector<int>{0, 2, 3, 4, 4}));
}

TEST_F(FrameLoopTest, KeysDriveTheirChannelsWithTheirSigns) {
  g_world.bindings[br::kBindLeft].key_code = 100;
  g_world.bindings[br::kBindRight].key_code = 101;
  g_world.bindings[br::kBindLeanForward].key_code = 102;
  br::handle_event(g_world, {100, true, {}});
  br::handle_event(g_world, {102, true, {}});
  g_world.channels.fill(0);
  br::update_channels(g_world);
  EXPECT_EQ(g_world.channels[br::kChanSteering], 1.0f);
  EXPECT_EQ(g_world.channels[br::kChanLean], -1.0f);
  br::handle_event(g_world, {101, true, {}});
  g_world.channels.fill(0);
  br::update_channels(g_world);
  EXPECT_EQ(g_world.channels[br::kChanSteering], 0.0f);
}

TEST_F(FrameLoopTest, PauseStepAndTabFollowTheirRules) {
  g_world.bindings[br::kBindPause].key_code = 4096 + 0x145;
  g_world.bindings[br::kBindStep].key_code = 4096 + 0x34;
  kota::Event pause{4096 + 0x145, true, {}};
  br::handle_event(g_world, pause);
  EXPECT_TRUE(g_world.paused);
  EXPECT_EQ(frame(0.05), 0);
  int paused_at = g_world.frame;
  br::handle_event(g_world, {4096 + 0x34, true, {}});
  EXPECT_EQ(g_world.frame, paused_at + 1);
  br::handle_event(g_world, pause);
  EXPECT_FALSE(g_world.paused);

  g_world.online = true;
  br::handle_event(g_world, pause);
  EXPECT_FALSE(g_world.paused);

  g_world.view_mode = br::kViewRider;
  br::handle_event(g_world, {kota::kEventKeyBase + 0x0F, true, {}});
  EXPECT_EQ(g_world.view_mode, br::kViewChase);
  g_world.view_mode = br::kViewRider;
  g_world.options.editor = true;
  br::handle_event(g_world, {kota::kEventKeyBase + 0x0F, true, {}});
  EXPECT_EQ(g_world.view_mode, br::kViewEditor);
  g_world.view_mode = br::kViewTitle;
  br::handle_event(g_world, {kota::kEventKeyBase + 0x0F, true, {}});
  EXPECT_EQ(g_world.view_mode, br::kViewTitle);
}

TEST_F(FrameLoopTest, AnOfflineMenuFreezesTheWorldOfALocalRider) {
  g_world.slots[0].control = br::kControlLocal;
  g_world.menu = br::kMainMenu;
  EXPECT_EQ(frame(0.05), 0);
  g_world.slots[0].control = br::kControlRobot;
  EXPECT_EQ(frame(0.05), 6);
}

TEST_F(FrameLoopTest, WindowCloseEndsTheLoop) {
  br::handle_event(g_world, {kota::kEventWindowClosed, true, {}});
  EXPECT_TRUE(g_world.loop.quit_requested);
}

TEST_F(FrameLoopTest, StickySitDabTogglesOnRisingEdgesOnly) {
  g_world.channels[br::kChanSitDab] = 1;
  EXPECT_EQ(br::sit_dab_value(g_world, true), 1.0f);
  EXPECT_EQ(br::sit_dab_value(g_world, true), 1.0f);  // held: no second toggle
  g_world.channels[br::kChanSitDab] = 0;
  EXPECT_EQ(br::sit_dab_value(g_world, true), 1.0f);
  g_world.channels[br::kChanSitDab] = 1;
  EXPECT_EQ(br::sit_dab_value(g_world, true), 0.0f);
  EXPECT_EQ(br::sit_dab_value(g_world, false), 1.0f);
}

TEST_F(FrameLoopTest, ClutchDisengagesAtOnceAndEngagesFourPerSecond) {
  EXPECT_EQ(br::clutch_engagement(1.0f, 1.0f, kSimStep), 0.0f);
  EXPECT_FLOAT_EQ(br::clutch_engagement(0.0f, 0.0f, kSimStep), 4 * kSimStep);
  EXPECT_FLOAT_EQ(br::clutch_engagement(0.0f, 0.99f, kSimStep), 1.0f);
}

TEST_F(FrameLoopTest, QuitAfterEndsTheMainLoopAfterThatManyFrames) {
  br::MainLoopHooks hooks;
  hooks.clock = clock.loop_clock();
  hooks.events = no_events();
  int drawn = 0;
  hooks.draw_frame = [&](br::World&) { return ++drawn > 0; };
  hooks.quit_after_frames = 5;
  br::main_loop(g_world, hooks);
  EXPECT_EQ(drawn, 5);
}

TEST_F(FrameLoopTest, EachFrameBringsTheTerrainDetailUpToDateUnderItsBudget) {
  br::Terrain& t = g_world.track.terrain;
  br::terrain_set_size(t, 5, 2.0f);  // 65 x 65 samples: a full pass takes a few frames
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  for (size_t i = 0; i < t.heights.size(); i += 7) t.heights[i] = 1.0f;
  ASSERT_TRUE(br::terrain_lod_build(g_world.track.lod, t, 0.01));
  br::terrain_mark_dirty(g_world.track.lod);
  br::MainLoopHooks hooks;
  hooks.clock = clock.loop_clock();
  hooks.events = no_events();
  hooks.draw_frame = [](br::World&) { return true; };
  hooks.quit_after_frames = 1;
  br::main_loop(g_world, hooks);
  EXPECT_TRUE(br::terrain_lod_busy(g_world.track.lod));  // one frame's budget is not enough
  g_world.loop.quit_requested = false;
  hooks.quit_after_frames = 20;
  br::main_loop(g_world, hooks);
  EXPECT_FALSE(br::terrain_lod_busy(g_world.track.lod));
}

TEST(FrameHistogram, BinsDoubleWithEachStep) {
  EXPECT_EQ(br::frame_histogram_bin(0.0, kSimStep), 0);
  EXPECT_EQ(br::frame_histogram_bin(kSimStep, kSimStep), 1);
  EXPECT_EQ(br::frame_histogram_bin(0.3, kSimStep), 6);
  EXPECT_EQ(br::frame_histogram_bin(0.5, kSimStep), 7);
}

}  // namespace
