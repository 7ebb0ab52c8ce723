// Ruts and roost as the player sees them: the scripted pilot rides off the grid on dug-up
// ground and the chase camera behind it draws the scene. The picture is kept for whoever looks
// ("ruts_behind_the_pilot.png" in the test's directory); the checks are on what it needed.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "png_writer.h"
#include "pilot/pilot.h"
#include "race/session.h"
#include "render/graphics_caps.h"
#include "render/graphics_setup.h"
#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/scene_draw.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "render/view_cameras.h"
#include "shell/startup_settings.h"
#include "shell/world_tick.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/temp_dir.h"
#include "track/scenery.h"
#include "track/terrain_deform.h"
#include "track/track_list.h"
#include "track/track_loader.h"

namespace br {
namespace {

#ifdef BR_DEFAULT_DATA_DIR
constexpr int kWidth = 640, kHeight = 480;

class RutScene : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_.open("rut scene", kWidth, 24)) GTEST_SKIP() << gl_.why();
    br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
    render_settings() = RenderSettings{};
    render_gl_install();
    install_rider_skinning();
    install_scenery_steps();
    graphics_probe();
  }
  void TearDown() override {
    if (gl_.is_open()) {
      free_all_bikes(g_world);
      physics_world_close(g_world);
      shape_cache_clear();
      if (g_world.track.loaded) free_track();
      terrain_gl_release();
      shaders_release();
      texture_delete_all();
      model_delete_all();
      render_gl_uninstall();
      world_reset();
    }
    gl_.close();
    br_test::restore_data_directories();
    render_settings() = RenderSettings{};
  }

  std::vector<uint8_t> draw(World& w) {
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);
    std::optional<ViewCamera> camera = view_camera(w);
    EXPECT_TRUE(camera);
    render_stats_begin_frame();
    if (camera) scene_draw(w, *camera, w.viewed_slot, w.view_mode, kWidth, kHeight);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glFinish();
    std::vector<uint8_t> rows(static_cast<size_t>(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    std::vector<uint8_t> shot(rows.size());
    const size_t row_bytes = static_cast<size_t>(kWidth) * 3;
    for (int y = 0; y < kHeight; ++y) {
      std::copy_n(&rows[static_cast<size_t>(kHeight - 1 - y) * row_bytes], row_bytes,
                  &shot[static_cast<size_t>(y) * row_bytes]);
    }
    return shot;
  }

  br_test::GlWindow gl_;
};

TEST_F(RutScene, ThePilotLeavesRutsAndThrowsRoostThatTheSceneShows) {
  World& w = g_world;
  world_reset();
  ASSERT_TRUE(load_generic_shapes());
  apply_startup_presets(w.settings);
  ASSERT_TRUE(build_startup_track_list());
  physics_world_open(w);
  w.settings.track.value = "rabbithill";
  w.options.erode = 100.0f;
  w.detail.roost_frequency = 1000;
  Lineup lineup{};
  lineup[0] = kLineupHuman;
  SessionStart start;
  start.lineup = &lineup;
  start.laps = 1;
  ASSERT_TRUE(start_session(w, start));
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
#endif

}  // namespace
}  // namespace br
