// The shader programs through a real OpenGL context (Mesa under Xvfb): one broken program
// leaves every model on the fixed-function pipeline, skinning moves vertices as the bones say,
// the ground composed on the card matches the one composed in memory, and ground without
// highlights looks the same through the program that skips them.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

#include "render/graphics_caps.h"
#include "render/graphics_setup.h"
#include "render/ground_textures.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/shaders.h"
#include "render/texture_cache.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/temp_dir.h"

namespace br {
namespace {

constexpr int kSize = 64;

class ShaderGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_.open("shader test", kSize, 16)) GTEST_SKIP() << gl_.why();
    br_test::use_data_directory(dir.path().string());
    render_settings() = RenderSettings{};
    render_gl_install();
    graphics_probe();
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  void TearDown() override {
    if (gl_.is_open()) {
      ground_textures_release();
      shaders_release();
      texture_delete_all();
      render_gl_uninstall();
    }
    gl_.close();
    br_test::restore_data_directories();
    render_settings() = RenderSettings{};
  }
  bool shaders_available() { return shaders_possible(graphics_caps()) && shaders_build(); }
  std::array<uint8_t, 4> pixel(int x, int y) {
    glFinish();
    std::array<uint8_t, 4> rgba{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
  }
  br_test::GlWindow gl_;
  br_test::TempDir dir;
};

TEST_F(ShaderGlTest, OneBrokenProgramLeavesEveryModelOnTheFixedPipeline) {
  if (!shaders_available()) GTEST_SKIP() << "no shader programs on this driver";
  EXPECT_TRUE(shaders_built());
  shader_use(kShaderLit);
  EXPECT_EQ(shader_current(), kShaderLit);

  std::vector<ShaderSource> sources = shader_sources();
  ASSERT_EQ(sources.size(), 8u);
  for (const ShaderSource& s : sources) EXPECT_EQ(s.vertex.rfind("#define MAX_BONE 10\n", 0), 0u);
  sources[3].fragment += "\nthis is not a shader\n";
  EXPECT_FALSE(shaders_build_from(sources));
  EXPECT_FALSE(shaders_built());
  EXPECT_EQ(shader_current(), kShaderFixed);
  shader_use(kShaderLit);
  EXPECT_EQ(shader_current(), kShaderFixed);
  GLint program = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  EXPECT_EQ(program, 0);

  // Start-up's way: the broken build leaves shaders off for the run.
  GraphicsChoices off;
  off.use_shader = false;
  settle_graphics(off);
  EXPECT_FALSE(render_settings().shaders_in_use);
  EXPECT_FALSE(render_settings().terrain_shaders);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ShaderGlTest, SkinningCarriesAVertexByItsBone) {
  if (!shaders_available()) GTEST_SKIP() << "no shader programs on this driver";
  // A 4 ft wide view of the x-y plane: pixel 8 per foot, the origin at the centre.
  glViewport(0, 0, kSize, kSize);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-4, 4, -4, 4, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  // Lit by ambient light alone: white material, white ambient, no texture bound.
  const float white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
  glLightfv(GL_LIGHT0, GL_AMBIENT, white);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, black);
  glLightfv(GL_LIGHT0, GL_SPECULAR, black);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
  glFogf(GL_FOG_DENSITY, 0);
  Image plain = make_image(1, 1, 4);
  plain.pixels = {255, 255, 255, 255};
  glBindTexture(GL_TEXTURE_2D, texture_create("white", plain));

  shader_use(kShaderLit);
  // Bone 1: no turn, centre (1, 0, 0), translation (0, 2, 0). The vertex (1, 0, 0), weighted
  // wholly to bone 1, lands on (0, 2, 0).
  const float centres[6] = {0, 0, 0, 1, 0, 0};
  const float translations[6] = {0, 0, 0, 0, 2, 0};
  const float rotations[18] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  shader_set_bones(2, centres, translations, rotations);
  glPointSize(3);
  glBegin(GL_POINTS);
  glMultiTexCoord4f(GL_TEXTURE0 + kBoneWeightCoordSet, 1, 0, 0, 0);
  glMultiTexCoord4f(GL_TEXTURE0 + kBoneIndexCoordSet, 1, 0, 0, 0);
  glNormal3f(0, 0, 1);
  glVertex3f(1, 0, 0);
  glEnd();
  shader_use(kShaderFixed);
  EXPECT_GT(pixel(kSize / 2, kSize / 2 + 16)[0], 200);  // (0, 2) in feet
  EXPECT_LT(pixel(kSize / 2 + 8, kSize / 2)[0], 20);    // not where it rests
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Two tiles, the left red and the right blue, a decal and a light that grows along x: the
// block drawn by the card must look like the one composed in memory.
TEST_F(ShaderGlTest, TheCardComposesAGroundBlockAsMemoryDoes) {
  Terrain t;
  terrain_set_size(t, 2, 1.0f);  // 4 x 4 cells of 2 ft
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  t.tilemap.assign(16, 0);
  for (int j = 0; j < 4; ++j) t.tilemap[static_cast<size_t>(j) * 4 + 3] = 1;
  t.shading.resize(static_cast<size_t>(t.side) * t.side * 3);
  for (size_t i = 0; i < t.shading.size(); ++i)
    t.shading[i] = static_cast<uint8_t>(120 + 12 * ((i / 3) % t.side));
  auto picture = [](uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    Image image = make_image(16, 16, 4);
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
      image.pixels[i] = r, image.pixels[i + 1] = g, image.pixels[i + 2] = b,
      image.pixels[i + 3] = a;
    }
    build_mip_chain(image, MipRule::kAverage);
    return image;
  };
  Image red = picture(220, 30, 30, 255), blue = picture(30, 30, 220, 255);
  Image mark = picture(250, 250, 250, 160);
  t.tiles.resize(2);
  t.tiles[0].image = &red;
  t.tiles[1].image = &blue;
  t.tiles[0].texture = texture_create("red", red);
  t.tiles[1].texture = texture_create("blue", blue);
  std::vector<Decal> decals(1);
  decals[0].image = &mark;
  decals[0].texture = texture_create("mark", mark);
  decals[0].x = 3, decals[0].z = 5, decals[0].size_a = 2, decals[0].size_b = 2;

  render_settings().ground_method = kGroundMethodHardwareCopy;
  render_settings().ground_texture_size = kSize;
  render_settings().ground_mipmaps = false;
  ASSERT_TRUE(ground_textures_init(t, decals));
  EXPECT_EQ(ground_composer(), GroundComposer::kCopy);
  glClear(GL_COLOR_BUFFER_BIT);
  draw_ground_block(0, 0, 4, kSize);
  std::vector<uint8_t> card(static_cast<size_t>(kSize) * kSize * 3);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, card.data());

  std::vector<GroundDecal> soft = {{&mark, 3, 5, 2, 2, 0, 1}};
  std::vector<uint8_t> memory;
  compose_ground_block(t, soft, ground_light(t), 0, 0, 4, kSize, memory);
  int differing = 0;
  for (size_t i = 0; i < card.size(); ++i) differing += std::abs(card[i] - memory[i]) > 12;
  EXPECT_LT(differing, static_cast<int>(card.size() / 50)) << "of " << card.size() << " bytes";
  // Spot checks: red tile on the left, blue on the right, the decal brightens its place.
  auto at = [&](const std::vector<uint8_t>& p, int x, int y, int k) {
    return p[(static_cast<size_t>(y) * kSize + x) * 3 + k];
  };
  EXPECT_GT(at(card, 4, 4, 0), at(card, 4, 4, 2) + 40);
  EXPECT_GT(at(card, 60, 4, 2), at(card, 60, 4, 0) + 40);
  EXPECT_GT(at(card, 24, 40, 1), at(card, 24, 20, 1) + 40);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Ground drawn through `slot` over the whole window with one colour, normal and specular
// texel; the middle pixel.
std::array<uint8_t, 4> draw_lit_ground(int slot, const std::array<uint8_t, 4>& specular,
                                       const std::function<std::array<uint8_t, 4>()>& read) {
  auto texel = [](const char* name, std::array<uint8_t, 4> rgba) {
    Image image = make_image(1, 1, 4);
    image.pixels.assign(rgba.begin(), rgba.end());
    return texture_create(name, image);
  };
  const GLuint colour = texel("ground", {90, 120, 60, 255});
  // Tilted toward the sun and the eye; lit at 200/255.
  const GLuint normal = texel("normal", {162, 200, 249, 255});
  const GLuint shine = texel(specular[0] ? "shiny" : "plain", specular);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, normal);
  glActiveTexture(GL_TEXTURE2);
  glBindTexture(GL_TEXTURE_2D, shine);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, colour);
  glEnable(GL_TEXTURE_2D);
  glClear(GL_COLOR_BUFFER_BIT);
  shader_use(slot);
  glBegin(GL_QUADS);
  glColor4f(1, 1, 1, 1);
  glTexCoord2f(0, 0);
  glVertex3f(-1, -1, -0.5f);
  glTexCoord2f(1, 0);
  glVertex3f(1, -1, -0.5f);
  glTexCoord2f(1, 1);
  glVertex3f(1, 1, -0.5f);
  glTexCoord2f(0, 1);
  glVertex3f(-1, 1, -0.5f);
  glEnd();
  shader_use(kShaderFixed);
  return read();
}

TEST_F(ShaderGlTest, GroundWithoutHighlightsLooksTheSameThroughEitherProgram) {
  if (!shaders_available()) GTEST_SKIP() << "no shader programs on this driver";
  glViewport(0, 0, kSize, kSize);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glFogf(GL_FOG_DENSITY, 0);
  // The ground half a unit in front of the eye; the sun behind the eye to its upper right, so
// that a highlight shows where the specular texture holds one.
  const float sun[4] = {0.5f, 0.3f, 0.8f, 0}, ambient[4] = {0.2f, 0.2f, 0.2f, 1};
  const float diffuse[4] = {0.7f, 0.6f, 0.5f, 1}, specular[4] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_POSITION, sun);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
  auto read = [this] { return pixel(kSize / 2, kSize / 2); };
  const std::array<uint8_t, 4> plain = {0, 255, 255, 255};
  const std::array<uint8_t, 4> full = draw_lit_ground(kShaderTerrain, plain, read);
  EXPECT_EQ(draw_lit_ground(kShaderTerrainPlain, plain, read), full);
  EXPECT_GT(full[1], 0);
  // The full program still draws a highlight where the specular texture holds one.
  const std::array<uint8_t, 4> shiny = draw_lit_ground(kShaderTerrain, {255, 0, 255, 255}, read);
  EXPECT_GT(shiny[0] + shiny[1] + shiny[2], full[0] + full[1] + full[2]);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace br
