// The world a bike test rides in: the game's data set, an open physics world and, when asked,
// level ground of plain tiles at height 0. Closing frees what building bikes loaded, so the
// next test starts from nothing.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>

#include "bike/apply_setup.h"
#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "shell/stability.h"
#include "support/data_dirs.h"
#include "track/terrain.h"
#include "track/track_loader.h"
#include "world/world.h"

namespace br_test {

inline void open_bike_world(const char* data_dir) {
  use_data_directory(data_dir);
  br::world_reset();
  br::physics_world_open(br::g_world);
}

// Level ground 2^size_log2 samples of spacing_ft a side.
inline void lay_flat_ground(int size_log2, float spacing_ft) {
  br::Terrain& t = br::g_world.track.terrain;
  br::terrain_set_size(t, size_log2, spacing_ft);
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
  t.tiles = {br::default_tile()};
}

// A bike of `model` in slot `slot`, ridden by this computer with the rider's own default
// settings, standing where the model builds it.
inline br::Bike& build_ridden_bike(int slot, const char* model = "crf450(2013)",
                                   const char* number = "7") {
  br::RiderSlot& s = br::g_world.slots[static_cast<size_t>(slot)];
  s.bike = br::build_bike(br::g_world, model, 0, number, "", "", "", "");
  s.control = br::kControlLocal;
  br::BikeSetup setup;
  br::apply_stability(setup, 100);
  EXPECT_TRUE(br::apply_bike_setup(*s.bike, setup, 0));
  return *s.bike;
}

inline void close_bike_world() {
  br::physics_world_close(br::g_world);
  br::free_track();
  br::texture_delete_all();
  br::model_delete_all();
  br::shape_cache_clear();
  br::world_reset();
  restore_data_directories();
}

}  // namespace br_test
