// The ground drawn through a real OpenGL context from a fixed camera (Mesa under Xvfb).
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "png_writer.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "track/terrain_deform.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/temp_dir.h"

namespace br {
namespace {

constexpr int kSize = 64;

class TerrainGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_.open("terrain test", kSize, 16)) GTEST_SKIP() << gl_.why();
    br_test::use_data_directory(dir.path().string());
    render_settings() = RenderSettings{};
    render_gl_install();
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  void TearDown() override {
    if (gl_.is_open()) {
      terrain_gl_release();
      texture_delete_all();
      render_gl_uninstall();
    }
    gl_.close();
    br_test::restore_data_directories();
    render_settings() = RenderSettings{};
  }
  br_test::GlWindow gl_;
  br_test::TempDir dir;
};

// 512 ft square of rolling ground, one orange tile, evenly lit.
Terrain orange_ground(TextureId texture) {
  Terrain t;
  terrain_set_size(t, 5, 8.0f);
  const size_t n = static_cast<size_t>(t.side) * t.side;
  t.heights.resize(n);
  for (int r = 0; r < t.side; ++r) {
    for (int c = 0; c < t.side; ++c) {
      t.heights[c + static_cast<size_t>(t.side) * r] =
          3.0f * std::sin(c * 0.4f) * std::cos(r * 0.3f);
    }
  }
  t.shading.assign(n * 3, 100);  // half intensity: shown at 200
  t.shadows.assign(n, 0);
  t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
  t.tiles.push_back(default_tile());
  t.tiles[0].texture = texture;
  return t;
}

// Standing just beyond the south edge, 12 ft up, looking north (negative z) level.
constexpr float kEye[3] = {256.0f, 12.0f, 520.0f};

std::vector<uint8_t> draw_frame(TerrainLod& lod) {
  glViewport(0, 0, kSize, kSize);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-0.1, 0.1, -0.1, 0.1, 0.1, 1000.0);  // 90 degrees each way
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(-kEye[0], -kEye[1], -kEye[2]);
  render_stats_begin_frame();
  terrain_draw(kEye, lod);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  glFinish();
  std::vector<uint8_t> pixels(kSize * kSize * 4);
  glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

TEST_F(TerrainGlTest, GroundFillsTheLowerHalfSeenFromItsEdge) {
  std::vector<uint8_t> rgb(8 * 8 * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 220, rgb[i + 1] = 130, rgb[i + 2] = 30;
  br_test::write_file(dir.file("ground-repeat.png"), br_test::encode_png_pixels(8, 8, 3, rgb));
  TextureId texture = texture_load("@ground-repeat.png");
  ASSERT_NE(texture, 0u);
  // The same picture kept in memory, as ground composed in software keeps its tiles.
  Image picture = make_image(8, 8, 3);
  picture.pixels = rgb;
  Terrain t = orange_ground(texture);
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.125 / 70));

  for (int pass = 0; pass < 3; ++pass) {
    const bool arrays = pass != 1;
    render_settings().vertex_arrays = arrays;
    if (pass == 2) {
      t.tiles[0].texture = 0;
      t.tiles[0].image = &picture;
    }
    const std::vector<uint8_t> pixels = draw_frame(lod);
    EXPECT_GT(render_stats().ground_polygons.value, 100);
    int ground_below = 0, sky_above = 0, lit_orange = 0;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const uint8_t* p = &pixels[4 * (x + kSize * y)];
        bool sky = p[0] == 0 && p[1] == 0 && p[2] == 255;
        if (y < kSize / 2 - 4 && !sky) ++ground_below;
        if (y >= kSize / 2 + 2 && sky) ++sky_above;
        // Texture x shading x 2: about 220 x 200 / 255.
        if (!sky && p[0] > 150 && p[0] < 200 && p[0] > p[1] && p[1] > p[2]) ++lit_orange;
      }
    }
    EXPECT_EQ(ground_below, kSize * (kSize / 2 - 4)) << "pass " << pass;
    EXPECT_EQ(sky_above, kSize * (kSize / 2 - 2)) << "pass " << pass;
    EXPECT_GT(lit_orange, kSize * kSize / 4) << "pass " << pass;
    // The state is left as the scene had it.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
  }
}

// The card keeps the ground's vertices: a frame sends only what the wheels changed, and the
// change shows at once.
TEST_F(TerrainGlTest, DugGroundIsSentAgainOnlyWhereItChangedAndShowsAtOnce) {
  std::vector<uint8_t> rgb(8 * 8 * 3, 200);
  br_test::write_file(dir.file("ground-grey.png"), br_test::encode_png_pixels(8, 8, 3, rgb));
  Terrain t = orange_ground(texture_load("@ground-grey.png"));
  std::fill(t.heights.begin(), t.heights.end(), 0.0f);
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.125 / 70));
  for (bool arrays : {true, false}) {
    render_settings().vertex_arrays = arrays;
    SCOPED_TRACE(arrays ? "vertex arrays" : "vertex by vertex");
    const std::vector<uint8_t> before = draw_frame(lod);
    if (arrays) {
      EXPECT_EQ(render_stats().ground_samples_sent.value, t.side * t.side);
    }
    draw_frame(lod);
    EXPECT_EQ(render_stats().ground_samples_sent.value, 0);
    // A heap 30 ft high rises 80 ft in front of the camera, above its eye line; the second
    // pass levels it again.
    deform_terrain(t, lod, 256, 440, 24, arrays ? 30.0f : -30.0f);
    const std::vector<uint8_t> after = draw_frame(lod);
    if (arrays) {
      EXPECT_GT(render_stats().ground_samples_sent.value, 0);
      EXPECT_LE(render_stats().ground_samples_sent.value, 10 * 10);
    }
    int differ = 0, above_horizon = 0;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        const size_t i = 4 * (x + kSize * y);
        if (before[i] != after[i] || before[i + 2] != after[i + 2]) ++differ;
        if (y > kSize / 2 + 2 && after[i + 2] != 255) ++above_horizon;
      }
    }
    EXPECT_GT(differ, 20);
    if (arrays) {
      EXPECT_GT(above_horizon, 5);
    } else {
      EXPECT_EQ(above_horizon, 0);
    }
  }
}

}  // namespace
}  // namespace br
