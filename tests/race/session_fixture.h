// A game directory for session tests: the bikes of the data set the build writes, beside
// small flat tracks written by the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "files/files_fixture.h"
#include "race/session.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "track/scenery.h"
#include "track/small_track.h"
#include "track/track_loader.h"
#include "track/track_steps.h"
#include "world/world.h"

namespace br_test {

// 128 ft of flat ground at height 0.
inline SmallTrack flat_track() {
  SmallTrack t;
  t.header = br::TerrainHeader{6, 2.0f, 0.0f, 10.0f};
  int side = br::terrain_side(6);
  t.samples.assign(static_cast<size_t>(side) * side, 0);
  t.tilemap.assign(static_cast<size_t>(side / 2) * (side / 2), 0);
  return t;
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Bike models, textures and shapes of the built data set, linked file by file.
    for (const auto& entry : std::filesystem::directory_iterator(BR_DATA_DIR)) {
      if (!entry.is_regular_file()) continue;
      std::filesystem::create_symlink(entry.path(), dirs.game(entry.path().filename().string()));
    }
    br::data_files_reset();
    br::world_reset();
    br::track_steps() = br::TrackSteps{};
    br::install_scenery_steps();
    br::physics_world_open(br::g_world);
  }
  void TearDown() override {
    br::physics_world_close(br::g_world);
    if (br::g_world.track.loaded) br::free_track();
    br::texture_delete_all();
    br::model_delete_all();
    br::shape_cache_clear();
    br::track_steps() = br::TrackSteps{};
    br::world_reset();
  }

  // A flat track with `gates` starting gates in a row across x (facing -z) and a lap of three
  // timing gates.
  // With `gate_objects` each gate stands as the stock start-gate statue.
  void write_track(const std::string& dir, int gates, bool gate_objects = false) {
    write_small_track(dirs, dir, flat_track());
    std::string text = "startinggate:\n";
    for (int i = 0; i < gates; ++i) {
      text += "[" + std::to_string(20 + 10 * i) + " 0 20] 0" +
              (gate_objects ? "\n" : " null null null\n");
    }
    text +=
        "checkpoints:\n"
        "10 [60 0 30] [1 0 0]\n"
        "10 [90 0 60] [0 0 1]\n"
        "10 [60 0 90] [-1 0 0]\n"
        "firstlap:\n1 2 0\n"
        "normallap:\n1 2 0\n";
    DataDirs::put(dirs.game(dir + "/timing_gates"), text);
  }

  bool start(const br::Lineup* lineup, const std::string& track = "flat", int32_t duration = 0,
             int laps = 1000) {
    br::g_world.settings.track.value = track;
    br::SessionStart s;
    s.lineup = lineup;
    s.duration_frames = duration;
    s.laps = laps;
    return br::start_session(br::g_world, s);
  }

  DataDirs dirs;
};

}  // namespace br_test
