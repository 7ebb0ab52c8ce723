// Both tracks of the default data set load as the game loads them, and the checking tool
// describes them.
#include <gtest/gtest.h>

#include "shell/world.h"
#include "support/data_dirs.h"
#include "track/terrain_queries.h"
#include "track/track_check.h"
#include "track/track_digest.h"
#include "track/track_list.h"
#include "track/track_loader.h"

namespace br {
namespace {

TEST(DefaultTracks, BothLoadAndAreDescribed) {
#ifndef BR_DEFAULT_DATA_DIR
  GTEST_SKIP() << "the default data set is not part of this build";
#else
  br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
  world_reset();
  ASSERT_TRUE(build_startup_track_list());
  const TrackList& list = g_world.track.list;
  ASSERT_EQ(list.dirs.size(), 2u);
  for (const std::string& dir : list.dirs) {
    ASSERT_TRUE(load_track(dir)) << dir;
    const Terrain& t = g_world.track.terrain;
    EXPECT_GT(t.tiles.size(), 1u) << dir;
    EXPECT_NE(g_world.track.long_name, dir);  // named by its description
    // The ground is within its stored range everywhere, and a wheel resting on it touches.
    for (float f : {0.1f, 0.37f, 0.5f, 0.81f}) {
      float x = f * t.extent, z = (1 - f) * t.extent;
      float h = terrain_height(t, x, z);
      EXPECT_GE(h, t.min_height);
      EXPECT_LE(h, t.max_height);
      SphereContact c = sphere_contact(t, {x, h + 0.9f, z}, 1.0f);
      EXPECT_TRUE(c.found);
      EXPECT_LT(tile_at(t, x, z), static_cast<int>(t.tiles.size()));
    }
    std::string digest = digest_hex(track_digest());
    free_track();
    TrackCheck check = describe_track("@" + dir);
    EXPECT_TRUE(check.ok);
    EXPECT_NE(check.text.find("digest " + digest), std::string::npos) << check.text;
  }
  EXPECT_TRUE(is_track_name("@rabbithill"));
  EXPECT_FALSE(is_track_name("@rabbithill/desc"));
  world_reset();
  br_test::restore_data_directories();
#endif
}

}  // namespace
}  // namespace br
