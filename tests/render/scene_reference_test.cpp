// The scene on both tracks of the game's data, from the chase camera behind a full starting
// grid, with the shader programs and without, compared with reference pictures as the title
// screen is. Only where the game's data exists.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "bike/bike.h"
#include "bike/physics_world.h"
#include "race/session.h"
#include "reference_picture.h"
#include "render/graphics_caps.h"
#include "render/graphics_setup.h"
#include "render/image_formats.h"
#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/scene_draw.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "render/view_cameras.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/temp_dir.h"
#include "track/scenery.h"
#include "track/track_loader.h"

namespace br {
namespace {

#ifdef BR_DEFAULT_DATA_DIR
constexpr int kShotWidth = 320, kShotHeight = 240;
constexpr int kRiders = 20;

struct SceneCase {
  const char* track;
  bool shaders;
};

class SceneReferenceTest : public ::testing::TestWithParam<SceneCase> {
 protected:
  void SetUp() override {
    if (!gl_.open("scene reference", kShotWidth, 24)) GTEST_SKIP() << gl_.why();
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
  br_test::GlWindow gl_;
};

TEST_P(SceneReferenceTest, MatchesItsReferencePicture) {
  const SceneCase& c = GetParam();
  GraphicsChoices choices;
  choices.use_shader = c.shaders;
  choices.render_texture = c.shaders ? kGroundMethodShadersDirect : kGroundMethodSoftware;
  render_settings().ground_method = choices.render_texture;
  settle_graphics(choices);
  if (c.shaders && !render_settings().shaders_in_use) GTEST_SKIP() << "no shader programs";

  world_reset();
  World& w = g_world;
  w.settings.render_texture.index = choices.render_texture;
  physics_world_open(w);
  w.settings.track.value = c.track;
  Lineup lineup{};
  lineup[0] = kLineupHuman;
  for (int i = 1; i < kRiders; ++i) lineup[static_cast<size_t>(i)] = kLineupRobot;
  SessionStart race;
  race.lineup = &lineup;
  ASSERT_TRUE(start_session(w, race)) << c.track << " does not load";
  w.view_mode = kViewChase;
  glViewport(0, 0, kShotWidth, kShotHeight);
  glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);
  std::optional<ViewCamera> camera = view_camera(w);
  ASSERT_TRUE(camera);
  scene_draw(w, *camera, w.viewed_slot, w.view_mode, kShotWidth, kShotHeight);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  glFinish();
  std::vector<uint8_t> rows(static_cast<size_t>(kShotWidth) * kShotHeight * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kShotWidth, kShotHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  std::vector<uint8_t> shot(rows.size());
  const size_t row_bytes = static_cast<size_t>(kShotWidth) * 3;
  for (int y = 0; y < kShotHeight; ++y) {
    std::copy_n(&rows[static_cast<size_t>(kShotHeight - 1 - y) * row_bytes], row_bytes,
                &shot[static_cast<size_t>(y) * row_bytes]);
  }
  const std::string name =
      std::string("scene_") + c.track + (c.shaders ? "_shaders" : "_fixed") + ".png";
  br_test::expect_reference_picture(std::string(BR_TEST_SOURCE_DIR) + "/" + name, kShotWidth,
                                    kShotHeight, shot);
}

INSTANTIATE_TEST_SUITE_P(BothTracksBothWays, SceneReferenceTest,
                         ::testing::Values(SceneCase{"rabbithill", false},
                                           SceneCase{"rabbithill", true},
                                           SceneCase{"foundry", false}, SceneCase{"foundry", true}),
                         [](const auto& info) {
                           return std::string(info.param.track) +
                                  (info.param.shaders ? "Shaders" : "Fixed");
                         });
#endif

}  // namespace
}  // namespace br
