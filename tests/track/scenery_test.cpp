// The scenery files read into the world as a track loads, written back by the save functions,
// and their bad lines skipped with a word to the player.
#include "track/scenery.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "render/log_capture.h"
#include "render/model_cache.h"
#include "render/png_writer.h"
#include "render/render_settings.h"
#include "track/flaggers.h"
#include "track/height_field.h"
#include "track/small_track.h"
#include "track/terrain_queries.h"
#include "track/track_load_fixture.h"
#include "track/track_loader.h"
#include "track/track_steps.h"
#include "world/world.h"

namespace br {
namespace {

using br_test::DataDirs;

// A crate two feet across from its origin, as a one-triangle model.
const char kCrateModel[] =
    "JM1\n8 1 1 1 1 3 1\n"
    "0 0 0  0 0 1  0 0\n"
    "2 0 0  0 0 1  1 0\n"
    "0 2 0  0 0 1  0 1\n"
    "0 1 2\n";

// A small picture for names that end in ".png".
std::string tiny_png() {
  br_test::PngPicture p;
  p.width = p.height = 4;
  p.rows.assign(4 * 4 * 3, 128);
  return br_test::encode_png(p);
}

class SceneryLoad : public br_test::TrackLoadTest {
 protected:
  void SetUp() override {
    TrackLoadTest::SetUp();
    // A slope rising along x: 10 ft over the 32 ft of the track.
    write_small_track_with([](int c, int) { return c * 65535 / 16; });
    put("crate.jm", kCrateModel);
    put("crate.shp", "1\n0 1 0 1.5 1 1 1\n");
    put("crate.ppm", br_test::ppm_bytes(4, 200));
    put("flag.ppm", br_test::ppm_bytes(4, 100));
    put("alert.ppm", br_test::ppm_bytes(4, 50));
  }
  void put(const std::string& name, const std::string& bytes) {
    DataDirs::put(dirs.game(name), bytes);
  }
  void put_track(const std::string& name, const std::string& bytes) { put("small/" + name, bytes); }
  std::string saved(const std::string& name) {
    return br_test::read_file(dirs.home("small/" + name));
  }
  const Scenery& scenery() { return g_world.track.scenery; }
};

TEST_F(SceneryLoad, BillboardsReadTintedAndWrittenBackAsTheyWere) {
  std::string first = "[1.000000 0.500000 2.000000] 3.000000 4.000000 @flag.ppm\n";
  std::string rest =
      "[16.000000 0.000000 5.000000] 7.000000 8.000000 #ff8000#@flag.ppm\n"
      "[5.000000 0.000000 6.000000] 1.000000 1.000000 #ff8000\n";
  std::string file = first + rest;
  put_track("billboards", "# trees and banners\n" + first + "[ 9 9 ] 1 1 @short.ppm\n" + rest);
  put_track("flaggers",
            "[4 0 4] [6 0 4] 2 3 1 @flag.ppm @flag.ppm @flag.ppm @flag.ppm @flag.ppm\n");
  // The roost pool's textureless billboards share the list but not the file.
  track_steps().create_roost_pool = [] { create_billboard(0, 0, 0, 1, 1, ""); };
  br_test::LogCapture log;
  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(log.count("Warning: skipping bad line 3 of '@small/billboards'"), 1);
  const auto& b = scenery().billboards;
  ASSERT_EQ(b.size(), 5u);  // roost, flagger, then the file's three
  const Billboard& tinted = b[3];
  EXPECT_EQ(tinted.picture, "@flag.ppm");
  EXPECT_EQ(int(tinted.r), 255);
  EXPECT_EQ(int(tinted.g), 128);
  EXPECT_EQ(int(tinted.b), 0);
  EXPECT_EQ(int(tinted.a), 255);
  EXPECT_NE(tinted.texture, 0u);
  // Heights in the file are above the ground: at x = 16 the slope is 5 ft up.
  EXPECT_NEAR(tinted.y, 5.0f, 1e-3);
  EXPECT_FLOAT_EQ(b[2].y, terrain_height(g_world.track.terrain, 1, 2) + 0.5f);
  // Seven characters are a plain name, and a picture that does not load leaves no texture.
  EXPECT_EQ(b[4].picture, "#ff8000");
  EXPECT_EQ(int(b[4].g), 255);
  EXPECT_EQ(b[4].texture, 0u);

  ASSERT_TRUE(save_billboards());
  EXPECT_EQ(saved("billboards"), file);
}

TEST_F(SceneryLoad, StatuesStandOnTheGroundAndComeBackUnchanged) {
  std::string file =
      "[8.000000 0.000000 8.000000] 0.500000 @crate.jm @crate.ppm @crate.shp\n"
      "[20.000000 1.000000 8.000000] 4.000000 @crate.jm null null\n"
      "[24.000000 0.000000 20.000000] -7.000000 @crate.jm @crate.ppm @missing.shp\n"
      "[3.000000 0.000000 3.000000] 0.000000 null null null\n";
  put_track("statues", file + "[1 2 3] 0.5 @crate.jm\n");
  put_track("timing_gates", "startinggate:\n[16 0 16] 0\n");
  br_test::LogCapture log;
  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(log.count("Warning: skipping bad line 5 of '@small/statues'"), 1);
  EXPECT_EQ(log.count("Warning: missing shape file @missing.shp"), 1);
  const auto& s = scenery().statues;
  ASSERT_EQ(s.size(), 5u);  // the start gate first
  EXPECT_FALSE(s[0].saved);

  const Statue& crate = s[1];
  ASSERT_NE(crate.model, nullptr);
  EXPECT_NE(crate.texture, 0u);
  ASSERT_GE(crate.shape, 0);
  EXPECT_FLOAT_EQ(scenery().shapes[size_t(crate.shape)].radius, 2.5f);
  EXPECT_FLOAT_EQ(crate.radius, 2.0f);
  EXPECT_FLOAT_EQ(crate.y, terrain_height(g_world.track.terrain, 8, 8));
  // Tilted to the slope: the up axis (middle column) is the ground's normal.
  float rise = 10.0f / 32;
  float n = std::sqrt(1 + rise * rise);
  EXPECT_NEAR(crate.orientation[1], -rise / n, 2e-3);
  EXPECT_NEAR(crate.orientation[4], 1 / n, 2e-3);
  EXPECT_NEAR(crate.orientation[7], 0, 2e-3);
  // The tilt only leans the heading a little off the yaw.
  float fx = -crate.orientation[2], fz = -crate.orientation[8];
  EXPECT_NEAR(std::atan2(-fx, -fz), 0.5f, 0.05f);

  // Yaw 4 stands upright and unrotated; -7 rotates about the vertical only.
  EXPECT_EQ(s[2].orientation, (std::array<float, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_FLOAT_EQ(s[2].special, 16.0f);
  EXPECT_FLOAT_EQ(s[2].y, terrain_height(g_world.track.terrain, 20, 8) + 1);
  EXPECT_FLOAT_EQ(s[3].orientation[0], std::cos(-7.0f));
  EXPECT_FLOAT_EQ(s[3].orientation[2], std::sin(-7.0f));
  EXPECT_FLOAT_EQ(s[3].orientation[4], 1.0f);
  EXPECT_EQ(s[3].shape, -1);
  EXPECT_EQ(s[4].model, nullptr);

  ASSERT_TRUE(save_statues());
  EXPECT_EQ(saved("statues"), file);  // without the start gate, which is timing's
}

TEST_F(SceneryLoad, GridFindsTheStatuesASphereMayTouch) {
  put_track("statues",
            "[8 0 8] 4 @crate.jm null @crate.shp\n"
            "[9 0 24] 4 @crate.jm null null\n"
            "[28 0 28] 4 null null @crate.shp\n");  // no model: not in the grid
  ASSERT_TRUE(load_track("small"));
  const auto& grid = scenery().grid;
  // x 6..10 on a 32 ft track: (6/32 - 1/8) * 32/3 = 0.67 -> cell 0 to (10/32 - 1/8) * 32/3 = 2.
  int x0, x1;
  statue_cell_range(6, 10, 32, &x0, &x1);
  EXPECT_EQ(x0, 0);
  EXPECT_EQ(x1, 2);
  statue_cell_range(-50, 100, 32, &x0, &x1);  // beyond the edges: the outer cells
  EXPECT_EQ(x0, 0);
  EXPECT_EQ(x1, 7);
  EXPECT_EQ(grid[0].size(), 1u);
  EXPECT_EQ(grid[size_t(7 * 8 + 7)].size(), 0u);

  std::vector<int> near;
  float ground = terrain_height(g_world.track.terrain, 8, 8);
  statues_near(10, ground + 1, 8, 0.5f, near);
  EXPECT_EQ(near, std::vector<int>{0});
  statues_near(12, ground + 1, 8, 0.5f, near);  // 4 ft off, the shape reaches 2.5
  EXPECT_TRUE(near.empty());
  statues_near(8, ground, 16, 10.0f, near);  // wide enough for both, each once
  EXPECT_EQ(near, (std::vector<int>{0, 1}));

  // A body the physics has lost (NaN) has no cell and finds nothing; an infinite reach
  // covers the whole grid.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  statues_near(nan, ground, 8, 0.5f, near);
  EXPECT_TRUE(near.empty());
  statues_near(8, nan, nan, 0.5f, near);
  EXPECT_TRUE(near.empty());
  EXPECT_FALSE(statue_cell_range(nan, 1, 32, &x0, &x1));
  EXPECT_FALSE(statue_cell_range(-inf, inf, inf, &x0, &x1));
  statues_near(8, ground, 8, inf, near);
  EXPECT_EQ(near, (std::vector<int>{0, 1}));
}

TEST_F(SceneryLoad, LightingDefaultsClampsAndSkipsWhatItDoesNotKnow) {
  put_track("lighting",
            "sun_vector [ 0 3 4 ]\n"
            "  ambient\t[ 0.1 0.2 0.3 ]  \n"
            "shininess 12\n"
            "fog [ 0.5 0.5 0.5 ] oops\n"
            "sky_n @flag.ppm\n"
            "flare_element [ 1 2 ] [ 1 0 0 ] 0.5 @flag.ppm\n"
            "flare_vector [ 0 1 0 ]\n"
            "dynamic_lighting 2\n"
            "near_plane 2\n"
            "far_plane 0.5\n");
  br_test::LogCapture log;
  ASSERT_TRUE(load_track("small"));
  const Lighting& l = scenery().lighting;
  EXPECT_EQ(log.count("Error reading lighting: Unknown identifier 'shininess'"), 1);
  EXPECT_EQ(log.count("skipping bad line 4 of '@small/lighting'"), 1);
  EXPECT_FLOAT_EQ(l.file.sun_vector[1], 0.6f);
  EXPECT_FLOAT_EQ(l.file.sun_vector[2], 0.8f);
  EXPECT_FLOAT_EQ(l.file.ambient[2], 0.3f);
  EXPECT_FLOAT_EQ(l.file.global_ambient[0], 0.2f);  // default
  EXPECT_FLOAT_EQ(l.file.fog_density, 0.0f);        // the bad fog line changed nothing
  EXPECT_TRUE(l.file.dynamic_lighting);
  EXPECT_FLOAT_EQ(l.file.near_plane, 0.875f);
  EXPECT_FLOAT_EQ(l.file.far_plane, 0.875f);
  EXPECT_NE(l.sky[0], 0u);
  EXPECT_EQ(l.file.sky[1], "@sky-e.ppm");
  ASSERT_EQ(l.file.flares.size(), 1u);
  EXPECT_TRUE(l.file.flares[0].is_direction);
  ASSERT_EQ(l.flare_textures.size(), 1u);
  EXPECT_NE(l.flare_textures[0][0], 0u);

  LightingFile f = parse_lighting("near_plane 2\nfar_plane 1\n", "x");
  EXPECT_FLOAT_EQ(f.near_plane, 0.875f);
  EXPECT_FLOAT_EQ(f.far_plane, 1.0f);
  // Components near the float limit still give a unit sun, not a zero one.
  LightingFile huge = parse_lighting("sun_vector [3e38 0 3e38]\n", "x");
  EXPECT_NEAR(huge.sun_vector[0], 0.7071f, 1e-4f);
  EXPECT_NEAR(huge.sun_vector[2], 0.7071f, 1e-4f);
  // What the game writes reads back the same, flares included.
  LightingFile back = parse_lighting(format_lighting(l.file), "x");
  EXPECT_EQ(format_lighting(back), format_lighting(l.file));
}

TEST_F(SceneryLoad, CamerasTakeOverAtTheirGates) {
  put_track("cameras",
            "addcamera 2 10 2\n"
            "gate 3 4\n"
            "fov -45\n"
            "gate 7 300 8\n"  // stops at the number out of range
            "addcamera 16 20 4\n"
            "addcamera 1 2\n"
            "zoom 4\n"
            "addcamera 30 5 30\n");
  br_test::LogCapture log;
  ASSERT_TRUE(load_track("small"));
  const auto& c = scenery().cameras;
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(log.count("skipping bad line"), 2);
  EXPECT_NEAR(c[1].y, 25.0f, 1e-3);  // 20 above the ground at x = 16
  EXPECT_FLOAT_EQ(c[1].fov, 45.0f);
  EXPECT_FLOAT_EQ(c[2].fov, 90.0f);  // back to the default after each camera
  const auto& gate = scenery().camera_for_gate;
  EXPECT_EQ(gate[3], 1);
  EXPECT_EQ(gate[4], 1);
  EXPECT_EQ(gate[7], 1);
  EXPECT_EQ(gate[8], -1);
  EXPECT_EQ(gate[0], -1);
}

TEST_F(SceneryLoad, DecalsWithoutAPictureAreDropped) {
  render_settings().shaders_in_use = true;
  g_world.settings.render_texture.index = kGroundTextureSoftware + 1;
  put("flag_tnorm.png", tiny_png());
  put_track("decals",
            "[4 5] 0.5 2 3 @flag.ppm\n"
            "[4 5] 0.5 2 @flag.ppm\n"
            "[6 7] 0 1 1 @nothing.ppm\n");
  ASSERT_TRUE(load_track("small"));
  const auto& d = scenery().decals;
  ASSERT_EQ(d.size(), 1u);
  EXPECT_NE(d[0].texture, 0u);
  EXPECT_NE(d[0].normal_map, 0u);
  EXPECT_EQ(d[0].specular_map, 0u);
  EXPECT_FLOAT_EQ(d[0].sin_angle, std::sin(0.5f));
  free_track();
  // Software ground textures compose the picture itself.
  g_world.settings.render_texture.index = kGroundTextureSoftware;
  ASSERT_TRUE(load_track("small"));
  ASSERT_EQ(d.size(), 1u);
  EXPECT_NE(d[0].image, nullptr);
  EXPECT_EQ(format_decals({{4, 5, 0.5f, 2, 3, "@flag.ppm"}}),
            "[4.000000 5.000000] 0.500000 2.000000 3.000000 @flag.ppm\n");
}

TEST_F(SceneryLoad, MapIsThereOnlyWithItsFileAndAllGoesWithTheTrack) {
  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(scenery().map, 0u);
  free_track();
  put_track("map.png", tiny_png());
  ASSERT_TRUE(load_track("small"));
  EXPECT_NE(scenery().map, 0u);
  free_track();
  EXPECT_EQ(scenery().map, 0u);
  EXPECT_TRUE(scenery().statues.empty());
  br_test::LogCapture log;
  EXPECT_FALSE(save_statues());  // no track, no directory to write into
  EXPECT_EQ(log.count("Can't open 'statues'"), 1);
}

class Flaggers : public SceneryLoad {};

TEST_F(Flaggers, FollowTheStartTheLeaderAndTheCrashes) {
  put_track("timing_gates",
            "checkpoints:\n"
            "10 [ 8 0 8 ] [ 1 0 0 ]\n10 [ 24 0 8 ] [ 1 0 0 ]\n10 [ 24 0 24 ] [ 1 0 0 ]\n"
            "firstlap: 0 1 2\nnormallap: 0 1 2\n");
  put_track("flaggers",
            "[4 1 4] [8 1 4] 2 3 2 @f0.ppm @f1.ppm @f2.ppm @f3.ppm @f4.ppm\n"
            "[16 0 2] 2 3 @flag.ppm @half.ppm @last.ppm @done.ppm\n"
            "[20 0 20] 2 3 1 -5 9 -1 @flag.ppm @alert.ppm\n"
            "[20 0 20] 2 3 x @flag.ppm @alert.ppm\n"
            "[22 0 20] 2 3 2 -1 -1 -1 @flag.ppm @alert.ppm\n");
  for (const char* name : {"f0", "f1", "f2", "f3", "f4", "half", "last", "done"})
    put(std::string(name) + ".ppm", br_test::ppm_bytes(4, 10));
  br_test::LogCapture log;
  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(log.count("skipping bad line 4 of '@small/flaggers'"), 1);
  const Scenery& s = scenery();
  ASSERT_TRUE(s.start_flagger.present);
  ASSERT_TRUE(s.finish_flagger.present);
  ASSERT_EQ(s.corner_flaggers.size(), 2u);
  EXPECT_EQ(s.corner_flaggers[0].gates, (std::array<int, 4>{1, -1, 2, -1}));

  FlaggerRace race;
  race.start_step = 10 * 128 + 64;  // the gate drops at 10.5 s: whole second 10
  race.first_lap = 3;
  race.normal_lap = 3;
  auto at = [&](double seconds) {
    race.now_step = static_cast<int32_t>(seconds * 128);
    update_flaggers(race);
    return s.start_flagger.frame;
  };
  EXPECT_EQ(at(10.05), 0);
  EXPECT_EQ(at(10.2), 1);
  EXPECT_EQ(at(10.5), 2);
  EXPECT_EQ(at(12.0), 3);
  const Billboard& walker = s.billboards[size_t(s.start_flagger.billboard)];
  EXPECT_FLOAT_EQ(walker.x, 6.0f);  // halfway through its two-second walk
  EXPECT_FLOAT_EQ(walker.y, terrain_height(g_world.track.terrain, 6, 4) + 1);
  EXPECT_EQ(at(13.0), 4);
  EXPECT_FLOAT_EQ(walker.x, 8.0f);
  EXPECT_EQ(walker.texture, s.start_flagger.frames[4]);

  // Five laps of three gates, halfway at 3: the halfway picture while the leader is completing
  // lap 3 (its next gate is one of 6..8), the last-lap picture while it completes lap 4.
  race.total_laps = 5;
  race.halfway_lap = 3;
  auto picture = [&](int passed) {
    race.leader_gates_passed = passed;
    return finish_picture(race);
  };
  EXPECT_EQ(picture(1), kFinishNormal);
  EXPECT_EQ(picture(7), kFinishNormal);
  EXPECT_EQ(picture(8), kFinishHalfway);
  EXPECT_EQ(picture(10), kFinishHalfway);
  EXPECT_EQ(picture(11), kFinishLastLap);
  EXPECT_EQ(picture(13), kFinishLastLap);
  EXPECT_EQ(picture(14), kFinishDone);

  race.gate_alert[1] = true;
  update_flaggers(race);
  EXPECT_TRUE(s.corner_flaggers[0].alerted);
  EXPECT_FALSE(s.corner_flaggers[1].alerted);
  EXPECT_EQ(s.billboards[size_t(s.corner_flaggers[0].billboard)].texture,
            s.corner_flaggers[0].alert);
  EXPECT_EQ(s.billboards[size_t(s.finish_flagger.billboard)].texture,
            s.finish_flagger.pictures[kFinishDone]);
}

TEST_F(Flaggers, ABadStartEndsTheFileAndWhatWasReadStays) {
  br_test::LogCapture log;
  FlaggersFile f = parse_flaggers("[4 1 4] [8 1 4] 2 3 @a @b @c @d @e\n[1 2 3] 1\n", "x");
  EXPECT_TRUE(f.has_start);  // the walk duration was left out: one second
  EXPECT_FLOAT_EQ(f.start.walk_seconds, 1.0f);
  EXPECT_EQ(f.start.frames[4], "@e");
  EXPECT_FALSE(f.has_finish);
  EXPECT_EQ(log.count("skipping bad line 2 of 'x'"), 1);
  f = parse_flaggers("[4 1 4] 2 3 @a\n[1 2 3] 1 1 @a @b @c @d\n", "x");
  EXPECT_FALSE(f.has_start);
  EXPECT_FALSE(f.has_finish);
  // What the game writes reads back the same.
  FlaggersFile g = parse_flaggers(
      "[4 1 4] [8 1 4] 2 3 0 @a @b @c @d @e\n[1 2 3] 1 1 @a @b @c @d\n[1 1 1] 1 1 0 1 2 3 @n @a\n",
      "x");
  EXPECT_FLOAT_EQ(g.start.walk_seconds, 1.0f);  // a walk of no time would divide by zero
  EXPECT_EQ(format_flaggers(parse_flaggers(format_flaggers(g), "x")), format_flaggers(g));
}

}  // namespace
}  // namespace br

namespace br {
namespace {

// Every cut of a good file and an oversized name read without harm: whole entries only.
TEST(SceneryParsers, TruncatedAndOversizedInputIsSafe) {
  std::string huge(5000, 'n');
  std::string billboards = "[1 2 3] 4 5 #00ff00#@a.png\n[1 2 3] 4 5 " + huge + "\n";
  std::string statues = "[1 2 3] 0.5 @m.jm @t.png @s.shp\n[1 2 3] 0.5 " + huge + " a b\n";
  std::string flaggers =
      "[1 1 1] [2 2 2] 1 1 1 a b c d e\n[1 1 1] 1 1 a b c d\n[1 1 1] 1 1 0 0 0 0 a b\n";
  std::string lighting = "fog [ 1 1 1 ] 0.1\nflare_element [ 1 2 ] [ 1 1 1 ] 1 " + huge + "\n";
  br_test::LogCapture log;
  for (size_t cut = 0; cut <= billboards.size(); cut += 7) {
    for (const BillboardEntry& b : parse_billboards(billboards.substr(0, cut), "b"))
      EXPECT_LE(b.picture.size(), 1023u);
  }
  for (size_t cut = 0; cut <= statues.size(); cut += 7) {
    for (const StatueEntry& s : parse_statues(statues.substr(0, cut), "s"))
      EXPECT_LE(s.model.size(), 1023u);
  }
  for (size_t cut = 0; cut <= flaggers.size(); ++cut) {
    FlaggersFile f = parse_flaggers(flaggers.substr(0, cut), "f");
    EXPECT_LE(f.corners.size(), 1u);
    EXPECT_TRUE(f.has_start || !f.has_finish);
  }
  for (size_t cut = 0; cut <= lighting.size(); cut += 5) {
    LightingFile l = parse_lighting(lighting.substr(0, cut), "l");
    EXPECT_TRUE(l.flares.empty());  // an element without its flare_point is no flare
  }
  EXPECT_EQ(parse_billboards(billboards, "b").size(), 2u);
  EXPECT_EQ(parse_cameras("gate " + huge + "\naddcamera 1 2 3\n", "c")[0].gates.size(), 0u);
}

}  // namespace
}  // namespace br
