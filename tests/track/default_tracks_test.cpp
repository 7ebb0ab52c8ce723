// Both tracks of the default data set load as the game loads them, and the checking tool
// describes them.
#include <gtest/gtest.h>

#include <algorithm>

#include "race/timing_gates.h"
#include "render/model_cache.h"
#include "render/render_files.h"
#include "support/data_dirs.h"
#include "track/terrain_queries.h"
#include "track/track_check.h"
#include "track/track_digest.h"
#include "track/track_list.h"
#include "track/track_loader.h"
#include "track/track_steps.h"
#include "world/world.h"

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

namespace br {
namespace {

std::string data_text(const std::string& name) {
  auto bytes = read_data_file(name);
  return bytes ? std::string(bytes->begin(), bytes->end()) : "";
}

size_t lines_with(const std::string& text, const std::string& start) {
  size_t n = 0;
  for (size_t at = 0; at < text.size();) {
    if (text.compare(at, start.size(), start) == 0) ++n;
    size_t lf = text.find('\n', at);
    at = lf == std::string::npos ? text.size() : lf + 1;
  }
  return n;
}

// Every scenery entry and gate of both tracks loads, and the files come back byte for byte
// from what was loaded.
TEST(DefaultTracks, SceneryAndGatesLoadWhole) {
#ifndef BR_DEFAULT_DATA_DIR
  GTEST_SKIP() << "the default data set is not part of this build";
#else
  br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
  world_reset();
  install_scenery_steps();
  for (const char* dir : {"rabbithill", "foundry"}) {
    std::string path = std::string("@") + dir;
    ASSERT_TRUE(load_track(dir)) << dir;
    const TrackState& t = g_world.track;
    const Scenery& s = t.scenery;
    std::string billboards = data_text(path + "/billboards");
    std::string statues = data_text(path + "/statues");
    std::string gates = data_text(path + "/timing_gates");
    TimingGatesFile parsed = parse_timing_gates(gates, dir);
    EXPECT_EQ(format_timing_gates(parsed), gates) << dir;

    size_t starts = parsed.starts.size();
    EXPECT_GE(starts, 10u) << dir;
    EXPECT_EQ(t.start_positions, static_cast<int>(starts));
    EXPECT_TRUE(t.timing.active) << dir;
    EXPECT_GE(t.timing.gates.size(), 20u) << dir;
    EXPECT_EQ(t.first_lap_entries, static_cast<int>(parsed.first_lap.size()));
    EXPECT_EQ(t.normal_lap_entries, static_cast<int>(parsed.normal_lap.size()));
    // The start gates are statues ahead of the file's own, each with its model and shape.
    EXPECT_EQ(s.statues.size(), starts + lines_with(statues, "[")) << dir;
    for (const Statue& st : s.statues) {
      EXPECT_NE(st.model, nullptr) << st.model_name;
      EXPECT_GE(st.shape, 0) << st.shape_name;
    }
    // The file's billboards, and the textureless ones reserved for flying dirt.
    size_t saved = 0;
    for (const Billboard& b : s.billboards) saved += b.saved;
    EXPECT_EQ(saved, lines_with(billboards, "[")) << dir;
    EXPECT_EQ(t.roost.particles.size(), size_t(kRoostParticles));
    EXPECT_EQ(s.billboards.size() - saved, size_t(kRoostParticles)) << dir;
    EXPECT_EQ(s.decals.size(), lines_with(data_text(path + "/decals"), "[")) << dir;
    EXPECT_GE(s.decals.size(), 1u);
    EXPECT_EQ(s.cameras.size(), lines_with(data_text(path + "/cameras"), "addcamera")) << dir;
    EXPECT_GE(s.cameras.size(), 4u);
    EXPECT_NE(s.map, 0u) << dir;
    EXPECT_NE(s.lighting.sky[4], 0u) << dir;
    EXPECT_GT(s.lighting.file.far_plane, 1000.0f);
    EXPECT_EQ(format_billboards(billboard_entries(s)), billboards) << dir;
    EXPECT_EQ(format_statues(statue_entries(s)), statues) << dir;
    // A rider at a hay bale's side is near it.
    const Statue& bale = s.statues[starts];
    std::vector<int> near;
    statues_near(bale.x + 1, bale.y + 1, bale.z, 1.0f, near);
    EXPECT_NE(std::find(near.begin(), near.end(), static_cast<int>(starts)), near.end()) << dir;
    free_track();
  }
  track_steps() = TrackSteps{};
  model_delete_all();
  texture_delete_all();
  world_reset();
  br_test::restore_data_directories();
#endif
}

}  // namespace
}  // namespace br
