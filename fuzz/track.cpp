// A whole track as the game loads it: the input is an archive of the files of track "t"
// (height field, shading, tiles, tile map, timing gates, scenery), and whatever it names that
// the archive lacks comes from the default data set. Once loaded, the ground and the statue
// grid are asked what a riding bike would ask, at points the input cannot foresee.
#include <cmath>
#include <limits>
#include <vector>

#include "fuzz_support.h"
#include "track/scenery.h"
#include "track/terrain_queries.h"
#include "track/track_loader.h"
#include "track/track_steps.h"
#include "world/world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!br_fuzz::put_home_archive({data, size})) return 0;
  br::install_scenery_steps();
  if (br::load_track("t")) {
    const br::Terrain& t = br::g_world.track.terrain;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<int> near;
    for (float x : {-1.0f, 0.0f, 0.5f * t.extent, t.extent, t.extent + 5, nan, inf}) {
      for (float z : {0.0f, 0.25f * t.extent, nan}) {
        br::terrain_height(t, x, z);
        br::terrain_normal(t, x, z);
        br::sphere_contact(t, {x, 1.0f, z}, 0.5f);
        int tile = br::tile_at(t, x, z);
        br::tile_friction(t, tile, 10.0f);
        br::statues_near(x, 1.0f, z, 2.0f, near);
      }
    }
    br::free_track();
  }
  br_fuzz::reset_game_state(true);
  return 0;
}
