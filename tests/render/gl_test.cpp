// Textures and models through a real OpenGL context (Mesa's software renderer under Xvfb).
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "png_writer.h"
#include "render/model_cache.h"
#include "render/render_files.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/texture_cache.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/temp_dir.h"

namespace br {
namespace {

using br_test::write_file;

class GlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_.open("gl test", 64)) GTEST_SKIP() << gl_.why();
    br_test::use_data_directory(dir.path().string());
    render_settings() = RenderSettings{};
    render_gl_install();
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  void TearDown() override {
    if (gl_.is_open()) {
      texture_delete_all();
      model_delete_all();
      render_gl_uninstall();
    }
    gl_.close();
    br_test::restore_data_directories();
    render_settings() = RenderSettings{};
  }
  br_test::GlWindow gl_;
  br_test::TempDir dir;
};

GLint level_width(GLuint id, int level) {
  glBindTexture(GL_TEXTURE_2D, id);
  GLint w = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
  return w;
}

TEST_F(GlTest, TexturesUploadWithTheirChainsWrapAndBorder) {
  std::vector<uint8_t> rgb(300 * 200 * 3, 0);
  for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 200;  // red everywhere, edges too
  write_file(dir.file("wide.png"), br_test::encode_png_pixels(300, 200, 3, rgb));
  write_file(dir.file("tile-repeat.j7"), "J7 4 4\n" + std::string(64, '\x10'));
  write_file(dir.file("packed.png"),
             br_test::encode_png_pixels(64, 64, 4, std::vector<uint8_t>(64 * 64 * 4, 90),
                                        {{"Comment", "[compress]"}}));
  render_settings().model_texture_reduction = 0;
  render_settings().texture_compress = kCompressMarked;

  TextureId wide = texture_load("@wide.png");
  TextureId tile = texture_load("@tile-repeat.j7");
  size_t before_packed = texture_memory_used();
  TextureId packed = texture_load("@packed.png");
  // The compressed texture counts what the driver reports, never more than raw RGBA.
  size_t packed_bytes = texture_memory_used() - before_packed;
  TextureId same = texture_load("@tile-repeat.j7", kTextureNoMipmaps);
  write_file(dir.file("font.j6"), "J6 8 8\n" + std::string(192, '\x40'));
  TextureId flat = texture_load("@font.j6", kTextureNoMipmaps);
  ASSERT_NE(wide, 0u);
  ASSERT_NE(tile, 0u);
  ASSERT_NE(packed, 0u);
  EXPECT_EQ(same, tile);  // same name, same texture
  ASSERT_NE(flat, 0u);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  EXPECT_EQ(level_width(wide, 0), 512);
  EXPECT_EQ(level_width(wide, 9), 1);
  GLint wrap = 0, min_filter = 0;
  glBindTexture(GL_TEXTURE_2D, wide);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
  EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
  EXPECT_EQ(min_filter, GL_LINEAR_MIPMAP_NEAREST);
  float border[4] = {0, 0, 0, 0};
  glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
  EXPECT_NEAR(border[0], 200 / 255.0f, 1e-3);
  EXPECT_NEAR(border[1], 0.0f, 1e-3);
  glBindTexture(GL_TEXTURE_2D, tile);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
  EXPECT_EQ(wrap, GL_REPEAT);
  glBindTexture(GL_TEXTURE_2D, flat);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
  EXPECT_EQ(min_filter, GL_LINEAR);
  EXPECT_EQ(level_width(flat, 1), 0);  // the base level only

  EXPECT_GT(packed_bytes, 0u);
  EXPECT_LE(packed_bytes, size_t{(4096 + 1024 + 256 + 64 + 16 + 4 + 1) * 4});
  size_t before = texture_memory_used();
  texture_delete_all();
  EXPECT_EQ(texture_memory_used(), 0u);
  EXPECT_GT(before, 0u);
  EXPECT_FALSE(glIsTexture(wide));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlTest, AnimationFramesReplaceThePicture) {
  std::string seq = "ANIM1 2 2 100 0\n0 1\nJ7 2 2\n" + std::string(16, '\0') + "\nJ7 2 2\n" +
                    std::string("\xff\xff\xff\xff") + std::string(12, '\0');
  write_file(dir.file("blink.seq"), seq);
  TextureId id = texture_load("@blink.seq");
  ASSERT_NE(id, 0u);
  texture_animate(0.15);
  glBindTexture(GL_TEXTURE_2D, id);
  uint8_t pixels[16] = {};
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  EXPECT_EQ(pixels[0], 255);
  EXPECT_EQ(pixels[4], 255);  // predicted from the left
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GlTest, ModelsGetDisplayListsAndDrawWithoutErrors) {
  const char* triangle = "-1 -1 0 0 0 1 0 0\n3 -1 0 0 0 1 1 0\n-1 3 0 0 0 1 0 1\n0 1 2\n";
  write_file(dir.file("plain.jm"), std::string("JM1\n8 1 1 1 1 3 1\n") + triangle +
                                       "-2 1 0 1 0 3 1\n" + triangle + "-1 0.5 1 1 1 3 1\n" +
                                       triangle);
  std::string skinned = "JM2 2 rig\n8 1 1 1 1 3 1\n";
  skinned += "-1 -1 0 0 0 1 0 0 1 0\n3 -1 0 0 0 1 1 0 0.5 0.5\n-1 3 0 0 0 1 0 1 0 1\n0 1 2\n";
  write_file(dir.file("rig.jm"), skinned);
  write_file(dir.file("old.jm"), std::string("3 1\n") + triangle);
  write_file(dir.file("old_lod2.jm"), std::string("3 1\n") + triangle);

  Model* plain = model_load("@plain.jm");
  Model* rig = model_load("@rig.jm");
  Model* old = model_load("@old.jm");
  ASSERT_TRUE(plain && rig && old);
  EXPECT_NE(plain->display_list, 0u);
  EXPECT_EQ(plain->next->display_list, 0u);  // negative shininess: drawn directly
  EXPECT_EQ(rig->display_list, 0u);          // skinned, no shader programs
  EXPECT_NE(old->display_list, 0u);
  ASSERT_NE(old->coarser, nullptr);
  EXPECT_NE(old->coarser->display_list, 0u);

  glViewport(0, 0, 64, 64);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glColor3f(1, 1, 1);
  render_stats_begin_frame();
  float eye[3] = {0, 0, 0}, at[3] = {0, 0, 1};
  model_draw(*plain, eye, at);
  model_draw(*rig, eye, at);
  model_draw(*old, eye, at);
  EXPECT_EQ(render_stats().model_polygons.value, 4);  // the -1 mesh is not drawn here
  model_draw_environment_pass(*plain);
  EXPECT_EQ(render_stats().model_polygons.value, 5);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  render_settings().vertex_arrays = false;
  model_draw(*rig, eye, at);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  glFinish();
  uint8_t centre[4] = {};
  glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
  EXPECT_EQ(centre[0], 255);

  GLuint list = plain->display_list;
  model_delete_all();
  EXPECT_FALSE(glIsList(list));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace br
