// Tests that load small tracks with the scenery steps installed, and leave no track, model,
// texture or render setting behind for the next test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "render/model_cache.h"
#include "render/render_settings.h"
#include "render/texture_cache.h"
#include "track/scenery.h"
#include "track/small_track.h"
#include "track/track_loader.h"
#include "track/track_steps.h"
#include "world/world.h"

namespace br_test {

class TrackLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    br::world_reset();
    br::track_steps() = br::TrackSteps{};
    br::install_scenery_steps();
  }
  void TearDown() override {
    if (br::g_world.track.loaded) br::free_track();
    br::track_steps() = br::TrackSteps{};
    br::model_delete_all();
    br::texture_delete_all();
    br::render_settings() = br::RenderSettings{};
    br::world_reset();
  }

  // The small track "small" with each sample's height given by `height(column, row)` as a
  // file value 0..65535 (0 to 10 ft).
  template <typename Height>
  void write_small_track_with(Height height) {
    SmallTrack t;
    for (int r = 0; r < 17; ++r) {
      for (int c = 0; c < 17; ++c) t.samples[size_t(c + 17 * r)] = uint16_t(height(c, r));
    }
    write_small_track(dirs, "small", t);
  }

  DataDirs dirs;
};

}  // namespace br_test
