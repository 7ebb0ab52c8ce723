// Text and the title screen drawn through the game's OpenGL path into an off-screen frame
// (Mesa's software renderer under Xvfb) and read back.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "font_picture.h"
#include "png_writer.h"
#include "reference_picture.h"
#include "render/image_formats.h"
#include "render/render_files.h"
#include "render/render_gl.h"
#include "render/text_draw.h"
#include "render/title_screen.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/offscreen_frame.h"
#include "support/temp_dir.h"

namespace br {
namespace {

using Rgb = std::array<int, 3>;

class TextGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_.open("text test", 64)) GTEST_SKIP() << gl_.why();
    if (!br_test::OffscreenFrame::supported()) GTEST_SKIP() << "no framebuffer objects";
    br_test::use_data_directory(dir.path().string());
    render_gl_install();
  }
  void TearDown() override {
    if (gl_.is_open()) {
      frame_.release();
      game_fonts() = GameFonts{};
      texture_delete_all();
      render_gl_uninstall();
    }
    gl_.close();
    br_test::restore_data_directories();
  }

  void begin_frame(int width, int height, float grey) {
    ASSERT_TRUE(frame_.begin(width, height, grey));
  }
  Rgb pixel(int x, int y) { return frame_.pixel(x, y); }
  std::vector<uint8_t> read_frame() { return frame_.read(); }

  // Glyphs 8 x 8: "A" fully inked, "B" blank, "C" inked on its left half.
  Font test_font() {
    Image picture = br_test::make_font_picture(
        {8, 8, 8}, {8}, [](int cell, int x, int) { return cell == 0 || (cell == 2 && x < 4); });
    br_test::write_file(
        dir.file("test-font.png"),
        br_test::encode_png_pixels(picture.width, picture.height, 4, picture.pixels));
    Font font;
    EXPECT_TRUE(font_load(font, "@test-font.png", "ABC"));
    return font;
  }

  br_test::GlWindow gl_;
  br_test::OffscreenFrame frame_;
  br_test::TempDir dir;
};

void expect_near(Rgb actual, Rgb expected, int tolerance, const char* where) {
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(actual[k], expected[k], tolerance)
        << where << ": (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ")";
  }
}

TEST_F(TextGlTest, GlyphsLandWhereTheLayoutPutsThem) {
  Font font = test_font();
  begin_frame(64, 64, 0.5f);
  // Lines 16 pixels high; the first line from y = 40 to 56, the second from 24 to 40.
  glTranslatef(8, 40, 0);
  glScalef(16, 16, 1);
  text_draw(font, 1, 1, 1, 1, "ABC\nA");
  ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  const Rgb white{255, 255, 255}, grey{128, 128, 128};
  expect_near(pixel(16, 48), white, 2, "A");
  expect_near(pixel(32, 48), grey, 2, "blank B");
  expect_near(pixel(43, 48), white, 2, "inked half of C");
  expect_near(pixel(53, 48), grey, 2, "empty half of C");
  expect_near(pixel(16, 32), white, 2, "A on the second line");
  expect_near(pixel(16, 58), grey, 2, "above the first line");
  expect_near(pixel(60, 48), grey, 2, "after the text");
  // The glyph's edges show no trace of the magenta separators around its cell.
  expect_near(pixel(8, 48), white, 8, "left edge of A");
  expect_near(pixel(16, 55), white, 8, "top edge of A");
  expect_near(pixel(23, 40), white, 8, "bottom right corner of A");
}

TEST_F(TextGlTest, ColourSequencesAndTheShadowReachThePicture) {
  Font font = test_font();
  begin_frame(64, 64, 0.5f);
  glPushMatrix();
  glTranslatef(0, 48, 0);
  glScalef(16, 16, 1);
  text_draw(font, 1, 1, 1, 1, "\x1b[1;31mA\x1b[22;31mA\x1b[0mA");
  glPopMatrix();
  expect_near(pixel(8, 56), {255, 0, 0}, 2, "bright red");
  expect_near(pixel(24, 56), {191, 0, 0}, 2, "plain red");
  expect_near(pixel(40, 56), {255, 255, 255}, 2, "caller's colour");

  // Lines 32 pixels high, centred across the frame: the glyph covers x 16..48, y 8..40; its
  // shadow lies 2 pixels right and down.
  glTranslatef(0, 8, 0);
  glScalef(32, 32, 1);
  text_draw_centred(font, 1, 1, 1, 1, 0, 2, "\x1b[44mA");
  expect_near(pixel(30, 20), {255, 255, 255}, 2, "glyph over its shadow");
  // Blue at 0.75, half transparent, over grey; the glyph itself stays white.
  expect_near(pixel(49, 20), {64, 64, 159}, 3, "blue shadow to the right");
  expect_near(pixel(30, 7), {64, 64, 159}, 3, "blue shadow below");
  expect_near(pixel(51, 20), {128, 128, 128}, 2, "past the shadow");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextGlTest, TitleScreenAndPauseNoticePlaceTheirTexts) {
  // Every letter a solid block, so the texts show as bars where they are drawn.
  Image picture = br_test::make_font_picture({6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6}, {8},
                                             [](int, int, int) { return true; });
  br_test::write_file(dir.file("blocks.png"),
                      br_test::encode_png_pixels(picture.width, picture.height, 4, picture.pixels));
  ASSERT_TRUE(font_load(game_fonts().main, "@blocks.png", "Pausedvrion."));
  begin_frame(320, 240, 0.5f);
  draw_title_screen(0, 320, 240, "version", "Paused");
  // The progress text is centred across the frame, low down; the version sits bottom right.
  expect_near(pixel(160, 60), {255, 255, 255}, 2, "progress text");
  expect_near(pixel(160, 100), {128, 128, 128}, 2, "above the progress text");
  expect_near(pixel(300, 10), {255, 255, 255}, 2, "version text");
  expect_near(pixel(20, 10), {128, 128, 128}, 2, "left of the version text");

  glClear(GL_COLOR_BUFFER_BIT);
  draw_paused_text(320, 240);
  expect_near(pixel(160, 120), {255, 255, 255}, 2, "centre");
  expect_near(pixel(160, 60), {128, 128, 128}, 2, "below the notice");
  expect_near(pixel(20, 120), {128, 128, 128}, 2, "left of the notice");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

#ifdef BR_DEFAULT_DATA_DIR
constexpr int kShotWidth = 320;
constexpr int kShotHeight = 240;

// To make or refresh the reference after the title picture or the fonts change, run this
// test with BR_UPDATE_REFERENCE=1 and look at the picture before committing it.
TEST_F(TextGlTest, TitleScreenMatchesItsReferencePicture) {
  br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
  load_game_fonts();
  ASSERT_NE(game_fonts().main.texture, 0u) << "no font in " << BR_DEFAULT_DATA_DIR;
  TextureId title = texture_load("!@title.png");
  begin_frame(kShotWidth, kShotHeight, 0.0f);
  glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);  // the game's background
  glClear(GL_COLOR_BUFFER_BIT);
  draw_title_screen(title, kShotWidth, kShotHeight, "2015-05-01-1264 snapshot", "Loading track...");
  br_test::expect_reference_picture(BR_TEST_SOURCE_DIR "/title_screen_reference.png", kShotWidth,
                                    kShotHeight, read_frame());
}
#endif

}  // namespace
}  // namespace br
