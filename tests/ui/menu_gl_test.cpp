// The menus drawn through the game's OpenGL path into an off-screen frame (Mesa's software
// renderer under Xvfb), read back and compared with reference pictures.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "../render/reference_picture.h"
#include "render/font.h"
#include "render/graphics_caps.h"
#include "render/render_gl.h"
#include "render/texture_cache.h"
#include "render/title_screen.h"
#include "shell/graphics_presets.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/offscreen_frame.h"
#include "ui/menu.h"
#include "ui/menu_draw.h"
#include "ui/menu_layout.h"

namespace br {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

class MenuGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_.open("menu test", 64)) GTEST_SKIP() << gl_.why();
    if (!br_test::OffscreenFrame::supported()) GTEST_SKIP() << "no framebuffer objects";
    br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
    render_gl_install();
    load_game_fonts();
    ASSERT_NE(game_fonts().main.texture, 0u) << "no font in " << BR_DEFAULT_DATA_DIR;
    title_ = texture_load("!@title.png");
    world_reset();
    // A driver of fixed identity, so that the pictures do not follow the machine's.
    GraphicsCaps& caps = graphics_caps();
    caps = GraphicsCaps{};
    caps.vendor = "Bermrider Test Vendor";
    caps.renderer = "Test Renderer";
    caps.version = "2.1 Test";
  }
  void TearDown() override {
    if (gl_.is_open()) {
      frame_.release();
      game_fonts() = GameFonts{};
      texture_delete_all();
      render_gl_uninstall();
    }
    gl_.close();
    graphics_caps() = GraphicsCaps{};
    world_reset();
    br_test::restore_data_directories();
  }

  // The menu over the title screen, as a player sees it before the first race.
  std::vector<uint8_t> draw() {
    EXPECT_TRUE(frame_.begin(kWidth, kHeight, 0.0f));
    glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_title_screen(title_, kWidth, kHeight, "2015-05-01-1264 snapshot");
    menu_draw(g_world, kWidth, kHeight);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return frame_.read();
  }
  void expect_reference(const std::vector<uint8_t>& shot, const char* name) {
    br_test::expect_reference_picture(std::string(BR_TEST_SOURCE_DIR) + "/" + name, kWidth, kHeight,
                                      shot);
  }

  br_test::GlWindow gl_;
  br_test::OffscreenFrame frame_;
  TextureId title_ = 0;
};

TEST_F(MenuGlTest, TheHighlightIsDrawnOnTheRowTheMouseFindsThere) {
  menu_open(g_world, kMenuMain);
  g_world.menu_selection = 3;
  draw();
  MenuLayout l = menu_layout(open_menu_screen(g_world), kWidth, kHeight);
  auto row_colour = [&](int entry) {
    const MenuRow& r = l.entries[static_cast<size_t>(entry)];
    // Inside the panel, left of the labels; pixels count from the bottom.
    return frame_.pixel(static_cast<int>(l.left) + 3,
                        kHeight - static_cast<int>(r.top + r.height / 2));
  };
  std::array<int, 3> lit = row_colour(3), plain = row_colour(4);
  EXPECT_GT(lit[0], 150) << "the highlighted row is orange";
  EXPECT_LT(lit[2], 80);
  EXPECT_LT(plain[0], 100) << "the next row is not";
}

TEST_F(MenuGlTest, TheMainMenuMatchesItsReferencePicture) {
  menu_open(g_world, kMenuMain);
  expect_reference(draw(), "main_menu_reference.png");
}

TEST_F(MenuGlTest, TheGraphicsScreenMatchesItsReferencePicture) {
  apply_graphics_preset(g_world.settings, GraphicsPreset::kNormal);
  menu_open(g_world, kMenuGraphicsSound);
  g_world.menu_selection = 1;
  g_world.menu_state.notice = "Normal settings in use";
  expect_reference(draw(), "graphics_menu_reference.png");
}

}  // namespace
}  // namespace br
