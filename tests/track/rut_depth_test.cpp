// How fast the default tracks' ground ruts. A wheel leaves a mark every step, so the depth a
// tile moves per mark is multiplied by a hundred-odd marks a second: a depth that looks small
// can still cut a foot a pass, and then a race digs holes no rider gets through.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "render/terrain_lod.h"
#include "support/data_dirs.h"
#include "track/terrain_deform.h"
#include "track/track_loader.h"
#include "world/world.h"

namespace br {
namespace {

constexpr float kFullErosion = 100;
constexpr float kCornerSpeed = 20;  // ft/s, a corner ridden briskly
constexpr float kStep = 1.0f / 128;

// One wheel through a long corner on level ground of `tile`, pushed sideways as hard as the
// tile counts (the dirt goes its whole displacement to the outside): the deepest cut it
// leaves. The ground's samples are spaced as on the track.
float one_wheel_pass(const TileType& tile, float spacing) {
  Terrain t;
  terrain_set_size(t, 5, spacing);
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
  t.tiles = {tile};
  TerrainLod lod;
  const float x = 0.5f * t.extent;
  const float push = tile.erode[kErodeUpper];
  for (float z = 0.2f * t.extent; z < 0.8f * t.extent; z += kCornerSpeed * kStep) {
    move_dirt(t, lod, {x, z, push, 0}, kFullErosion);
  }
  return terrain_change(t).deepest_cut;
}

TEST(DefaultTrackRuts, OneWheelThroughACornerCutsAboutAnInchNotAFoot) {
#ifndef BR_DEFAULT_DATA_DIR
  GTEST_SKIP() << "the default data set is not part of this build";
#else
  br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
  world_reset();
  int eroding = 0;
  for (const char* dir : {"rabbithill", "foundry"}) {
    ASSERT_TRUE(load_track(dir)) << dir;
    const Terrain& ground = g_world.track.terrain;
    for (size_t i = 0; i < ground.tiles.size(); ++i) {
      const TileType& tile = ground.tiles[i];
      if (!(tile.erode[kErodeDepth] > 0)) continue;
      ++eroding;
      const float cut = one_wheel_pass(tile, ground.spacing);
      std::printf("%s tile %zu (%s): one pass cuts %.3f ft\n", dir, i, tile.texture_name.c_str(),
                  cut);
      // Ruts come from many riders on the same line; a single wheel only marks the ground.
      EXPECT_LT(cut, 0.15f) << dir << " tile " << i;
      EXPECT_GT(cut, 0.005f) << dir << " tile " << i;
    }
    free_track();
  }
  EXPECT_GE(eroding, 6);
  world_reset();
  br_test::restore_data_directories();
#endif
}

}  // namespace
}  // namespace br
