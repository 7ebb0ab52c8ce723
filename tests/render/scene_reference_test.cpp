// The scene on both tracks of the game's data, from the chase camera behind a full starting
// grid, with the shader programs and without, compared with reference pictures as the title
// screen is. Only where the game's data exists.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "bike/physics_world.h"
#include "race/session.h"
#include "reference_picture.h"
#include "render/graphics_setup.h"
#include "render/scene_draw.h"
#include "render/view_cameras.h"
#include "scene_fixture.h"

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
    if (!scene_.open("scene reference", kShotWidth)) GTEST_SKIP() << scene_.why();
  }
  void TearDown() override { scene_.close(); }
  br_test::GlScene scene_;
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
  const std::vector<uint8_t> shot = br_test::GlScene::read_picture(kShotWidth, kShotHeight);
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
