#include "platform/display_modes.h"

#include <gtest/gtest.h>

namespace {

using kota::DisplayMode;

TEST(DisplayModes, TheLeastExcessThatCoversTheRequestWins) {
  std::vector<DisplayMode> modes = {{1280, 720, 32, 60}, {1024, 768, 32, 60}, {800, 600, 32, 60}};
  DisplayMode m = kota::choose_fullscreen_mode(modes, std::nullopt, 1000, 700);
  EXPECT_EQ(m.width, 1024);  // excess 92, against 300 for 1280 x 720
  EXPECT_EQ(m.height, 768);
  m = kota::choose_fullscreen_mode(modes, std::nullopt, 800, 600);
  EXPECT_EQ(m.width, 800);
}

TEST(DisplayModes, TooLargeARequestFallsBackToTheDesktopOrVga) {
  std::vector<DisplayMode> modes = {{1024, 768, 32, 60}};
  DisplayMode desktop{1920, 1080, 32, 60};
  EXPECT_EQ(kota::choose_fullscreen_mode(modes, desktop, 2560, 1440).width, 1920);
  DisplayMode vga = kota::choose_fullscreen_mode({}, std::nullopt, 2560, 1440);
  EXPECT_EQ(vga.width, 640);
  EXPECT_EQ(vga.height, 480);
}

TEST(DisplayModes, TheListKeepsDistinctModesOfUsableDepths) {
  std::vector<DisplayMode> list;
  EXPECT_TRUE(kota::add_display_mode(list, {1024, 768, 32, 60}));
  EXPECT_FALSE(kota::add_display_mode(list, {1024, 768, 32, 60}));
  EXPECT_TRUE(kota::add_display_mode(list, {1024, 768, 16, 60}));
  EXPECT_FALSE(kota::add_display_mode(list, {1024, 768, 30, 60}));
  EXPECT_EQ(list.size(), 2u);
}

}  // namespace
