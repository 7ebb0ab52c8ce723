#include <gtest/gtest.h>

#include "render/image_formats.h"
#include "shell/frame_loop.h"
#include "shell/screenshot.h"
#include "world/demo_list.h"
#include "world/world.h"

namespace {

using br::g_world;

TEST(Screenshots, NumberingContinuesAfterTheLargestShotOnDisk) {
  br::world_reset();
  std::vector<std::string> files = {"screenshot007.png", "screenshot12-old.ppm", "screenshots/x",
                                    "screenshot-3.png", "rabbithill/desc"};
  EXPECT_EQ(br::next_screenshot_number(g_world, files), 13);
  // Later shots count on without looking again.
  EXPECT_EQ(br::next_screenshot_number(g_world, {"screenshot900.png"}), 14);
  br::world_reset();
  EXPECT_EQ(br::next_screenshot_number(g_world, {}), 1);
}

TEST(Screenshots, PngHoldsTheRowsTopFirst) {
  // Two rows: red over blue.
  std::vector<uint8_t> rgb = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};
  std::vector<uint8_t> png = br::encode_png_rgb(2, 2, rgb.data());
  ASSERT_FALSE(png.empty());
  std::string metadata, error;
  auto image = br::decode_png(png, &metadata, &error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->width, 2);
  EXPECT_EQ(image->pixels[0], 255);                                               // first row red
  EXPECT_EQ(image->pixels[static_cast<size_t>(2) * image->components + 2], 255);  // then blue
  EXPECT_TRUE(br::encode_png_rgb(0, 5, rgb.data()).empty());
}

TEST(DemoList, ShortNamesAndTheDemosFolderOnly) {
  br::DemoList list = br::build_demo_list({"demos/race.brdemo", "demos/sub/a.b.brdemo",
                                           "demos/.brdemo", "race.brdemo", "demos/notes.txt"},
                                          0);
  ASSERT_EQ(list.names.size(), 3u);
  EXPECT_EQ(list.short_names[0], "race");
  EXPECT_EQ(list.short_names[1], "a.b");
  EXPECT_EQ(list.short_names[2], "demos/.brdemo");  // nothing left: the full name
  EXPECT_EQ(br::demo_short_name("demos/noext"), "noext");
}

TEST(ViewedRider, NextAndPreviousFollowTheOrderAndStopAtItsEnds) {
  br::world_reset();
  g_world.order = {{4, 0}, {9, 0}, {2, 0}};
  g_world.viewed_slot = 9;
  br::change_viewed_rider(g_world, +1);
  EXPECT_EQ(g_world.viewed_slot, 2);
  br::change_viewed_rider(g_world, +1);
  EXPECT_EQ(g_world.viewed_slot, 2);
  g_world.viewed_slot = 50;  // not in the order: both keys give the last rider
  br::change_viewed_rider(g_world, -1);
  EXPECT_EQ(g_world.viewed_slot, 2);
  g_world.viewed_slot = 50;
  br::change_viewed_rider(g_world, +1);
  EXPECT_EQ(g_world.viewed_slot, 2);
  // A local rider keeps the view unless spying is allowed.
  g_world.viewed_slot = 4;
  g_world.slots[4].control = br::kControlLocal;
  br::change_viewed_rider(g_world, +1);
  EXPECT_EQ(g_world.viewed_slot, 4);
  g_world.settings.spy.value = 1;
  br::change_viewed_rider(g_world, +1);
  EXPECT_EQ(g_world.viewed_slot, 9);
}

TEST(ViewedRider, ASpectatorOfAServersRaceMayWatchAnyone) {
  br::world_reset();
  g_world.order = {{4, 0}, {9, 0}};
  g_world.viewed_slot = 4;
  g_world.slots[4].control = br::kControlLocal;
  g_world.connected = true;
  g_world.session.race_position = 2;  // racing: his own ride stays in view
  br::change_viewed_rider(g_world, +1);
  EXPECT_EQ(g_world.viewed_slot, 4);
  g_world.session.race_position = br::kNoRacePosition;
  br::change_viewed_rider(g_world, +1);
  EXPECT_EQ(g_world.viewed_slot, 9);
  // Only a live connection makes a spectator: offline the player keeps his own view.
  br::world_reset();
  g_world.order = {{4, 0}, {9, 0}};
  g_world.viewed_slot = 4;
  g_world.slots[4].control = br::kControlLocal;
  br::change_viewed_rider(g_world, +1);
  EXPECT_EQ(g_world.viewed_slot, 4);
}

}  // namespace
