// The frame's drawing order through a real OpenGL context (Mesa under Xvfb): the background
// without sky pictures, fog, and the lens flare that a billboard in front of the sun hides.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/scene_draw.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/temp_dir.h"

namespace br {
namespace {

constexpr int kSize = 64;

class SceneGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_.open("scene test", kSize, 16)) GTEST_SKIP() << gl_.why();
    br_test::use_data_directory(dir.path().string());
    render_settings() = RenderSettings{};
    render_gl_install();
    world_reset();
    // 512 ft of level ground in one plain grey tile, evenly lit.
    Terrain& t = g_world.track.terrain;
    terrain_set_size(t, 5, 16.0f);
    size_t n = static_cast<size_t>(t.side) * t.side;
    t.heights.assign(n, 0.0f);
    t.shading.assign(n * 3, 60);
    t.shadows.assign(n, 0);
    t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
    t.tiles.push_back(default_tile());
    t.tiles[0].texture = plain_texture("ground", 255, 255, 255, 255);
    ASSERT_TRUE(terrain_lod_build(g_world.track.lod, t, 0.125 / 70));
    g_world.settings.fov.value = 90;
    // Standing in the middle of the south edge, 10 ft up, looking north.
    camera_ = look_at({256, 10, 500}, {256, 10, 0});
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  void TearDown() override {
    if (gl_.is_open()) {
      world_reset();
      terrain_gl_release();
      texture_delete_all();
      render_gl_uninstall();
    }
    gl_.close();
    br_test::restore_data_directories();
    render_settings() = RenderSettings{};
  }
  TextureId plain_texture(const char* label, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    Image image = make_image(8, 8, 4);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
      image.pixels[i] = r, image.pixels[i + 1] = g, image.pixels[i + 2] = b,
      image.pixels[i + 3] = a;
    }
    return texture_create(label, image);
  }
  std::array<uint8_t, 3> draw_and_read(int x, int y, float clear = 0.2f) {
    glViewport(0, 0, kSize, kSize);
    glClearColor(clear, clear, clear, 1);
    scene_draw(g_world, camera_, 0, kViewChase, kSize, kSize);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glFinish();
    std::array<uint8_t, 3> rgb{};
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
  }
  br_test::GlWindow gl_;
  br_test::TempDir dir;
  ViewCamera camera_;
};

TEST_F(SceneGlTest, AnimatedTexturesPlayAsTheWorldTimeGoesOn) {
  // Two frames of 2 x 2 RGBA, 100 ms each: black, then white.
  std::string seq = "ANIM1 2 2 100 0\n0 1\nJ7 2 2\n" + std::string(16, '\0') + "\nJ7 2 2\n" +
                    std::string("\xff\xff\xff\xff") + std::string(12, '\0');
  br_test::write_file(dir.file("blink.seq"), seq);
  TextureId id = texture_load("@blink.seq");
  ASSERT_NE(id, 0u);
  auto first_red = [id] {
    uint8_t pixels[16] = {};
    glBindTexture(GL_TEXTURE_2D, id);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    return pixels[0];
  };
  g_world.world_time = 0.05;
  draw_and_read(0, 0);
  EXPECT_EQ(first_red(), 0);
  g_world.world_time = 0.15;
  draw_and_read(0, 0);
  EXPECT_EQ(first_red(), 255);
}

TEST_F(SceneGlTest, WithoutSkyPicturesTheBackgroundIsTheClearColourAndFogStillApplies) {
  LightingFile& light = g_world.track.scenery.lighting.file;
  std::array<uint8_t, 3> sky = draw_and_read(kSize / 2, kSize - 2);
  EXPECT_EQ(sky, (std::array<uint8_t, 3>{51, 51, 51}));
  // Ground just below the horizon, far away: its own grey without fog...
  std::array<uint8_t, 3> plain = draw_and_read(kSize / 2, kSize / 2 - 3);
  EXPECT_NEAR(plain[0], plain[2], 2);
  // ...and tinted toward a red fog with it, while the background stays the clear colour.
  light.fog_density = 0.01f;
  light.fog_color = {1, 0, 0};
  std::array<uint8_t, 3> fogged = draw_and_read(kSize / 2, kSize / 2 - 3);
  EXPECT_GT(fogged[0], plain[0] + 40);
  EXPECT_LT(fogged[2], plain[2]);
  EXPECT_EQ(draw_and_read(kSize / 2, kSize - 2), sky);
}

TEST_F(SceneGlTest, ASunBehindABillboardShowsNoFlare) {
  Lighting& lighting = g_world.track.scenery.lighting;
  // The sun ahead and 20 degrees up; one blue element mirrored through the centre, onto the
  // ground below it.
  float up = std::tan(20 * 3.14159265f / 180);
  float len = std::sqrt(1 + up * up);
  LensFlare flare;
  flare.is_direction = true;
  flare.where = {0, up / len, -1 / len};
  FlareElement blue;
  blue.a = 2;
  blue.size = 0.25f;
  blue.colour = {0, 0, 1};
  flare.elements.push_back(blue);
  lighting.file.flares.push_back(flare);
  lighting.flare_textures = {{plain_texture("flare", 255, 255, 255, 255)}};
  // Where the element lands: the sun is at (32, 32 + 32 tan 20) in a 90-degree view.
  int mirrored_y = kSize / 2 - static_cast<int>(std::lround(kSize / 2 * up));

  // The frame measures how much of the sun is in sight; the one after shows the flare that
  // much. In the open it shows.
  draw_and_read(kSize / 2, mirrored_y, 1.0f);
  std::array<uint8_t, 3> flared = draw_and_read(kSize / 2, mirrored_y, 1.0f);
  lighting.file.flares.clear();
  std::array<uint8_t, 3> plain = draw_and_read(kSize / 2, mirrored_y, 1.0f);
  EXPECT_GT(flared[2], plain[2] + 60);
  EXPECT_EQ(flared[0], plain[0]);

  // A dark tree billboard 50 ft ahead, standing across the line to the sun: blended without
  // depth, it still hides the sun.
  lighting.file.flares.push_back(flare);
  Billboard tree;
  tree.x = 256;
  tree.z = 450;
  tree.y = 10 + 50 * up - 15;
  tree.width = 30;
  tree.height = 30;
  tree.texture = plain_texture("tree", 20, 60, 20, 255);
  g_world.track.scenery.billboards.push_back(tree);
  draw_and_read(kSize / 2, mirrored_y, 1.0f);
  std::array<uint8_t, 3> hidden = draw_and_read(kSize / 2, mirrored_y, 1.0f);
  EXPECT_EQ(hidden, plain);
  // The tree is there, in front of the sun.
  std::array<uint8_t, 3> at_sun = draw_and_read(kSize / 2, kSize / 2 + kSize / 2 * up, 1.0f);
  EXPECT_LT(at_sun[0], 100);

  // Without the tree the flare comes back.
  g_world.track.scenery.billboards.clear();
  draw_and_read(kSize / 2, mirrored_y, 1.0f);
  EXPECT_EQ(draw_and_read(kSize / 2, mirrored_y, 1.0f), flared);
}

TEST_F(SceneGlTest, ASunBelowTheGroundShowsNoFlare) {
  Lighting& lighting = g_world.track.scenery.lighting;
  // The sun ahead, 20 degrees down: under the level ground from 10 ft up. Its element would
  // land mirrored in the sky.
  float up = std::tan(20 * 3.14159265f / 180);
  float len = std::sqrt(1 + up * up);
  LensFlare flare;
  flare.is_direction = true;
  flare.where = {0, -up / len, -1 / len};
  FlareElement blue;
  blue.a = 2;
  blue.size = 0.25f;
  blue.colour = {0, 0, 1};
  flare.elements.push_back(blue);
  lighting.file.flares.push_back(flare);
  lighting.flare_textures = {{plain_texture("flare", 255, 255, 255, 255)}};
  int mirrored_y = kSize / 2 + static_cast<int>(std::lround(kSize / 2 * up));
  draw_and_read(kSize / 2, mirrored_y, 1.0f);
  std::array<uint8_t, 3> shown = draw_and_read(kSize / 2, mirrored_y, 1.0f);
  lighting.file.flares.clear();
  EXPECT_EQ(shown, draw_and_read(kSize / 2, mirrored_y, 1.0f));
}

}  // namespace
}  // namespace br
