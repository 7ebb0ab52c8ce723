#include "track/track_list.h"

#include <gtest/gtest.h>

#include "files/files_fixture.h"
#include "shell/startup_settings.h"
#include "world/world.h"

namespace br {
namespace {

TEST(TrackList, VariantsDescriptionsAndCaseInsensitiveOrder) {
  br_test::DataDirs dirs;
  br_test::DataDirs::put(dirs.game("hills/desc"), "beta\r\nsecond line");
  br_test::DataDirs::put(dirs.game("sand/desc"), "Alpha");
  br_test::DataDirs::put(dirs.game("blank/desc"), "\nnot the name");
  TrackList list = build_track_list(
      {"blank/terrain.hf", "hills/terrain.hf", "hills/tileinfo", "nodesc/terrain.hf.gz.scram",
       "sand/terrain.hf.gz", "terrain.hf", "x/terrain.hfx"},
      false);
  ASSERT_EQ(list.dirs, (std::vector<std::string>{"blank", "sand", "hills", "nodesc"}));
  EXPECT_EQ(list.long_names, (std::vector<std::string>{"", "Alpha", "beta", "nodesc"}));
  EXPECT_EQ(track_long_name(list, "hills"), "beta");
  EXPECT_EQ(track_long_name(list, "elsewhere"), "elsewhere");
}

TEST(TrackList, EqualNamesAreNotReordered) {
  br_test::DataDirs dirs;
  for (const char* d : {"c", "a", "b"})
    br_test::DataDirs::put(dirs.game(std::string(d) + "/desc"), "Same");
  TrackList list = build_track_list({"c/terrain.hf", "a/terrain.hf", "b/terrain.hf"}, false);
  EXPECT_EQ(list.dirs, (std::vector<std::string>{"c", "a", "b"}));
}

TEST(TrackList, StartupOffersTheDirectoriesForTheTrackChoice) {
  br_test::DataDirs dirs;
  world_reset();
  EXPECT_FALSE(build_startup_track_list());  // nothing to ride

  br_test::DataDirs more;
  br_test::DataDirs::put(more.game("rabbithill/terrain.hf"), "x");
  br_test::DataDirs::put(more.game("rabbithill/desc"), "Rabbit Hill\n");
  br_test::DataDirs::put(more.game("dunes/terrain.hf"), "x");
  br_test::DataDirs::put(more.game("dunes/desc"), "Dunes\n");
  world_reset();
  ASSERT_TRUE(build_startup_track_list());
  EXPECT_EQ(g_world.settings.track_choice.texts, (std::vector<std::string>{"dunes", "rabbithill"}));
  EXPECT_EQ(select_startup_track(g_world), "rabbithill");
  EXPECT_EQ(g_world.settings.track_choice.text(), "rabbithill");
  world_reset();
}

}  // namespace
}  // namespace br
