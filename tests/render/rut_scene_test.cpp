// Ruts and roost as the player sees them: the scripted pilot rides off the grid on dug-up
// ground and the chase camera behind it draws the scene. The picture is kept for whoever looks
// ("ruts_behind_the_pilot.png" in the test's directory); the checks are on what it needed.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "bike/bike.h"
#include "bike/shape_cache.h"
#include "headless.h"
#include "pilot/pilot.h"
#include "png_writer.h"
#include "race/session.h"
#include "render/render_stats.h"
#include "render/scene_draw.h"
#include "render/terrain_lod.h"
#include "render/view_cameras.h"
#include "scene_fixture.h"
#include "shell/world_tick.h"
#include "support/temp_dir.h"
#include "track/terrain_deform.h"

namespace br {
namespace {

#ifdef BR_DEFAULT_DATA_DIR
constexpr int kWidth = 640, kHeight = 480;

class RutScene : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!scene_.open("rut scene", kWidth)) GTEST_SKIP() << scene_.why();
  }
  void TearDown() override { scene_.close(); }

  std::vector<uint8_t> draw(World& w) {
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);
    std::optional<ViewCamera> camera = view_camera(w);
    EXPECT_TRUE(camera);
    render_stats_begin_frame();
    if (camera) scene_draw(w, *camera, w.viewed_slot, w.view_mode, kWidth, kHeight);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return br_test::GlScene::read_picture(kWidth, kHeight);
  }

  // A one-lap race on `track` with the ground eroding as fast as it can.
  bool start_race(const char* track, const Lineup& lineup, int roost_frequency) {
    World& w = g_world;
    std::string error;
    if (!brrace::headless_start(w, error) || !w.stock_shapes ||
        !brrace::choose_track(w, track)) {
      return false;
    }
    w.options.erode = 100.0f;
    w.detail.roost_frequency = roost_frequency;
    SessionStart start;
    start.lineup = &lineup;
    start.laps = 1;
    return start_session(w, start);
  }

  br_test::GlScene scene_;
};

TEST_F(RutScene, ThePilotLeavesRutsAndThrowsRoostThatTheSceneShows) {
  World& w = g_world;
  Lineup lineup{};
  lineup[0] = kLineupHuman;
  ASSERT_TRUE(start_race("foundry", lineup, 1000));
  w.view_mode = kViewChase;
  Pilot pilot = pilot_take(w, 0);
  draw(w);  // the whole ground goes to the card once
  EXPECT_GT(render_stats().ground_samples_sent.value, 100000);

  // Off the gate and up to speed, digging all the way.
  int steps = 0;
  for (; steps < 40 * 128 && terrain_change(w.track.terrain).samples < 400; ++steps) {
    pilot_drive(pilot, w);
    world_tick(w);
  }
  for (int i = 0; i < 64; ++i, ++steps) {
    pilot_drive(pilot, w);
    world_tick(w);
  }
  draw(w);
  // Only the dug samples go to the card again, not the whole ground.
  EXPECT_GT(render_stats().ground_samples_sent.value, 0);
  EXPECT_LT(render_stats().ground_samples_sent.value, 100000);
  for (int i = 0; i < 8; ++i, ++steps) {
    pilot_drive(pilot, w);
    world_tick(w);
  }
  const std::vector<uint8_t> shot = draw(w);
  const TerrainChange change = terrain_change(w.track.terrain);
  EXPECT_GT(change.samples, 400) << "after " << steps << " steps";
  EXPECT_GT(w.track.roost.active, 0);
  br_test::write_file("ruts_behind_the_pilot.png",
                      br_test::encode_png_pixels(kWidth, kHeight, 3, shot));
  std::printf("after %.1f s: %d samples changed, deepest cut %.2f ft, %d roost particles\n",
              steps * w.step, change.samples, change.deepest_cut, w.track.roost.active);
}

// A dozen robots ride off the gate on eroding ground; the orbit camera looks at the one with
// the most dug ground around it, from behind. The same view of the ground as loaded differs
// where the ruts are: both lighter (walls facing the sun) and darker (walls turned away).
TEST_F(RutScene, RutsBehindTheRobotsShowLighterAndDarkerThanTheGroundAsLoaded) {
  World& w = g_world;
  Lineup lineup{};
  for (int i = 0; i < 12; ++i) lineup[static_cast<size_t>(i)] = kLineupRobot;
  // No roost: nothing in the air between the camera and the ground.
  ASSERT_TRUE(start_race("rabbithill", lineup, 0));
  draw(w);
  for (int step = 0; step < 150 * 128; ++step) world_tick(w);

  Terrain& t = w.track.terrain;
  int best = -1;
  TerrainChange most;
  for (int i = 0; i < kRiderSlots; ++i) {
    const Bike* bike = w.slots[static_cast<size_t>(i)].bike.get();
    if (!bike) continue;
    const dReal* p = dBodyGetPosition(bike->bodies[kBodyFrame]);
    const TerrainChange near =
        terrain_change_near(t, static_cast<float>(p[0]), static_cast<float>(p[2]), 30.0f);
    if (best < 0 || near.cut_tenth > most.cut_tenth) best = i, most = near;
  }
  ASSERT_GE(best, 0);
  ASSERT_GT(most.cut_tenth, 20) << "no robot rides over ruts";
  const Bike& bike = *w.slots[static_cast<size_t>(best)].bike;
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  w.viewed_slot = best;
  w.view_mode = kViewChase;
  w.free_camera_angle = static_cast<float>(std::atan2(-v[0], -v[2]));
  draw(w);
  const std::vector<uint8_t> dug = draw(w);

  std::swap(t.heights, t.loaded_heights);
  terrain_mark_dirty(w.track.lod);
  terrain_lod_update(w.track.lod, kTerrainLodUnlimited);
  const std::vector<uint8_t> loaded = draw(w);
  std::swap(t.heights, t.loaded_heights);
  terrain_mark_dirty(w.track.lod);
  terrain_lod_update(w.track.lod, kTerrainLodUnlimited);

  int lighter = 0, darker = 0;
  for (size_t i = 0; i + 2 < dug.size(); i += 3) {
    const int d = (dug[i] + dug[i + 1] + dug[i + 2]) - (loaded[i] + loaded[i + 1] + loaded[i + 2]);
    lighter += d > 3 * 12;
    darker += d < -3 * 12;
  }
  br_test::write_file("ruts_behind_a_robot.png",
                      br_test::encode_png_pixels(kWidth, kHeight, 3, dug));
  std::printf(
      "robot %d: %d samples changed within 30 ft, %d cut 0.1 ft or more, deepest %.2f ft; "
      "%d pixels lighter and %d darker than on the ground as loaded\n",
      best, most.samples, most.cut_tenth, most.deepest_cut, lighter, darker);
  EXPECT_GT(lighter, 200);
  EXPECT_GT(darker, 200);
}
#endif

}  // namespace
}  // namespace br
