#include "track/track_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/digest.h"
#include "render/log_capture.h"
#include "render/png_writer.h"
#include "support/memory_limit.h"
#include "track/height_field.h"
#include "track/small_track.h"
#include "track/terrain_queries.h"
#include "track/track_digest.h"
#include "track/track_steps.h"
#include "world/progress_text.h"
#include "world/world.h"

namespace br {
namespace {

using br_test::DataDirs;

class TrackLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    world_reset();
    track_steps() = TrackSteps{};
  }
  void TearDown() override {
    if (g_world.track.loaded) free_track();
    track_steps() = TrackSteps{};
    set_progress_presenter(nullptr);
    world_reset();
  }
  std::string file(const std::string& name) {
    return br_test::read_file(dirs.game("small/" + name));
  }
  void put(const std::string& name, const std::string& bytes) {
    DataDirs::put(dirs.game("small/" + name), bytes);
  }
  const Terrain& terrain() { return g_world.track.terrain; }

  DataDirs dirs;
};

TEST_F(TrackLoad, GroundFromInlineHeights) {
  br_test::SmallTrack t;
  t.samples[0] = 65535;
  t.samples[1 + 17 * 2] = 32768;
  t.tiles.resize(5);
  t.tilemap[9] = 200;
  t.tilemap[10] = 3;
  br_test::write_small_track(dirs, "small", t);
  ASSERT_TRUE(load_track("small"));
  const Terrain& g = terrain();
  EXPECT_TRUE(g_world.track.loaded);
  EXPECT_EQ(g_world.track.long_name, "small");  // not in the (empty) track list
  EXPECT_EQ(g.side, 17);
  EXPECT_EQ(g.tile_side, 8);
  EXPECT_FLOAT_EQ(g.extent, 32.0f);
  EXPECT_FLOAT_EQ(terrain_height(g, 0.0f, 0.0f), 10.0f);
  EXPECT_FLOAT_EQ(terrain_height(g, 2.0f, 4.0f), 32768 * 10.0f / 65535);
  EXPECT_FLOAT_EQ(terrain_height(g, 30.0f, 30.0f), 0.0f);
  EXPECT_EQ(g.tiles.size(), 5u);
  EXPECT_EQ(tile_at(g, 5.0f, 5.0f), 4);  // map byte 200 with five tiles
  EXPECT_EQ(tile_at(g, 9.0f, 5.0f), 3);
  EXPECT_EQ(g.shading[0], 100);  // the doubled file is kept as it is
  EXPECT_EQ(g.shadows[0], 0);    // no shadow file: nothing in shadow
}

TEST_F(TrackLoad, HeightsFromAPngOfAnotherSize) {
  br_test::write_small_track(dirs, "small");
  put("terrain.hf", "3 2.0 1.5 11.5\n");  // no inline mark: heights come from the picture
  br_test::PngPicture p;
  p.width = 20;   // wider than the grid: cut
  p.height = 10;  // shorter: the last row repeats
  p.colour_type = PNG_COLOR_TYPE_GRAY;
  p.bit_depth = 16;
  for (int r = 0; r < p.height; ++r) {
    for (int c = 0; c < p.width; ++c) {
      int v = r * 1000 + c;
      p.rows.push_back(static_cast<uint8_t>(v >> 8));
      p.rows.push_back(static_cast<uint8_t>(v & 0xff));
    }
  }
  put("terrain.png", br_test::encode_png(p));
  ASSERT_TRUE(load_track("small"));
  auto expect = [](int v) { return 1.5f + v * 10.0f / 65535; };
  EXPECT_FLOAT_EQ(terrain_height(terrain(), 2 * 3.0f, 2 * 4.0f), expect(4003));
  EXPECT_FLOAT_EQ(terrain_height(terrain(), 2 * 16.0f, 2 * 16.0f), expect(9016));
  free_track();

  // Without a readable picture the ground is flat at the lowest height.
  put("terrain.png", "not a picture");
  ASSERT_TRUE(load_track("small"));
  EXPECT_FLOAT_EQ(terrain_height(terrain(), 7.0f, 9.0f), 1.5f);
}

TEST_F(TrackLoad, MalformedHeightFieldsFailCleanly) {
  br_test::write_small_track(dirs, "small");
  std::string good = file("terrain.hf");
  br_test::LogCapture log;
  put("terrain.hf", "3 2.0 0.0\n:");
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Bad height field parameters"), 1);
  EXPECT_EQ(log.count("Error reading heights"), 1);
  EXPECT_FALSE(g_world.track.loaded);
  EXPECT_TRUE(g_world.track.dir.empty());
  EXPECT_FALSE(terrain().loaded());

  put("terrain.hf", good.substr(0, good.size() - 1));  // one byte of samples short
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Error reading heights"), 2);
  put("terrain.hf", "3 0 0 10\n:" + std::string(17 * 17 * 2, '\0'));  // zero spacing
  EXPECT_FALSE(load_track("small"));
  put("terrain.hf", "40 2 0 10\n:");  // an absurd size
  EXPECT_FALSE(load_track("small"));
  // Nine bytes that declare the largest ground: refused before its samples are allocated.
  put("terrain.hf", "12 1 0 1:");
  if (br_test::kAddressLimitWorks) {
    EXPECT_TRUE(br_test::runs_within(64, 20, [] { return !load_track("small"); }));
  }
  EXPECT_FALSE(load_track("small"));
  std::filesystem::remove(dirs.game("small/terrain.hf"));
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Can't open '@small/terrain.hf'"), 1);
}

TEST_F(TrackLoad, ShadingAndShadowFiles) {
  br_test::write_small_track(dirs, "small");
  std::filesystem::remove(dirs.game("small/shadingx2.ppm"));
  br_test::LogCapture log;
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Can't open '@small/shading.ppm'"), 1);

  put("shading.ppm", br_test::ppm_bytes(17, 201));
  put("shadows.pgm", br_test::ppm_bytes(17, 55, "P5"));
  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(terrain().shading[3 * 17 * 17 - 1], 100);  // halved
  EXPECT_EQ(terrain().shadows[5], 200);                // inverted
  free_track();

  put("shadows.pgm", br_test::ppm_bytes(16, 55, "P5"));
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Bad shadow dimensions (16x16)"), 1);
  put("shadows.pgm", "P5 garbage");
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Error reading shadows"), 1);
  std::filesystem::remove(dirs.game("small/shadows.pgm"));
  put("shading.ppm", br_test::ppm_bytes(9, 201));
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Bad shading dimensions (9x9)"), 1);
}

TEST_F(TrackLoad, TileFilesAndTheirFallbacks) {
  br_test::write_small_track(dirs, "small");
  br_test::LogCapture log;
  // A tile list without a single tile still gives every map cell a ground.
  put("tileinfo", "friction 0.5 1\n");
  put("tilemap", std::string(64, '\x07'));
  ASSERT_TRUE(load_track("small"));
  ASSERT_EQ(terrain().tiles.size(), 1u);
  EXPECT_EQ(tile_at(terrain(), 3.0f, 3.0f), 0);
  EXPECT_FLOAT_EQ(tile_friction(terrain(), 0, 5.0f), 1.0f);
  free_track();

  // The older list serves when there is no tileinfo.
  std::filesystem::remove(dirs.game("small/tileinfo"));
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Can't open '@small/texturelist'"), 1);
  put("texturelist", "0.7 1 2 a.png\nb.png\n");
  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(terrain().tiles.size(), 2u);
  EXPECT_EQ(tile_at(terrain(), 3.0f, 3.0f), 1);
  EXPECT_FLOAT_EQ(tile_friction(terrain(), 0, 5.0f), 0.7f);
  free_track();

  put("tilemap", std::string(63, '\0'));
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Error reading tilemap"), 1);
  std::filesystem::remove(dirs.game("small/tilemap"));
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(log.count("Can't open '@small/tilemap'"), 1);
}

TEST_F(TrackLoad, SoftwareGroundTexturesKeepTheTilePictures) {
  br_test::SmallTrack t;
  t.tiles[0].texture = "@small/dirt.png";
  br_test::write_small_track(dirs, "small", t);
  br_test::PngPicture p;
  p.width = p.height = 4;
  p.rows.assign(4 * 4 * 3, 90);
  put("dirt.png", br_test::encode_png(p));

  g_world.settings.render_texture.index = kGroundTextureSoftware;
  ASSERT_TRUE(load_track("small"));
  ASSERT_NE(terrain().tiles[0].image, nullptr);
  EXPECT_EQ(terrain().tiles[0].image->width, 4);
  EXPECT_EQ(terrain().tiles[0].base_name, "/dirt.png");
  EXPECT_EQ(terrain().tiles[1].image, nullptr);  // no texture named

  g_world.settings.render_texture.index = 2;  // drawn by the graphics card
  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(terrain().tiles[0].image, nullptr);
  EXPECT_NE(terrain().tiles[0].texture, 0u);
}

std::vector<std::string> g_order;
std::vector<std::string> two_statues_one_model() {
  return {"@rock.jm", "null", "@rock.jm", "@tree.jm"};
}

TEST_F(TrackLoad, StepsRunInOrderAndTheDigestCoversTheRidingSurface) {
  br_test::write_small_track(dirs, "small");
  put("timing_gates", "gates\n");
  put("statues", "statues\n");
  DataDirs::put(dirs.game("rock.jm"), "rock model");
  DataDirs::put(dirs.game("tree.jm"), "tree model");
  g_order.clear();
  TrackSteps& s = track_steps();
  s.clear_scenery = [] { g_order.push_back("clear"); };
  s.read_lighting = [](const std::string& p) { g_order.push_back("lighting " + p); };
  s.read_decals = [](const std::string&) { g_order.push_back("decals"); };
  s.read_timing_gates = [](const std::string&) {
    g_order.push_back("gates");
    g_world.track.first_lap_entries = 3;
  };
  s.create_roost_pool = [] { g_order.push_back("roost"); };
  s.read_statues = [](const std::string&) { g_order.push_back("statues"); };
  s.read_cameras = [](const std::string&) { g_order.push_back("cameras"); };
  s.statue_models = two_statues_one_model;
  set_progress_presenter([](std::string_view text) { g_order.push_back(std::string(text)); });

  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(g_order, (std::vector<std::string>{"clear", "Loading track...", "lighting @small",
                                               "decals", "gates", "roost", "statues", "cameras"}));
  EXPECT_EQ(g_world.track.first_lap_entries, 3);
  std::string fed = file("terrain.hf") + file("tilemap") + file("tileinfo") + "gates\n" +
                    "statues\n" + "rock model" + "tree model";
  EXPECT_EQ(digest_hex(track_digest()), ripemd160_hex(fed.data(), fed.size()));
  TrackDigest first = track_digest();

  // Scenery that does not shape the riding leaves the digest alone.
  for (const char* name : {"billboards", "lighting", "cameras", "flaggers", "map.png", "desc"}) {
    put(name, std::string("changed ") + name);
  }
  ASSERT_TRUE(load_track("small"));
  EXPECT_EQ(track_digest(), first);

  std::string hf = file("terrain.hf");
  hf[hf.size() - 1] ^= 1;
  put("terrain.hf", hf);
  ASSERT_TRUE(load_track("small"));
  EXPECT_NE(track_digest(), first);
  EXPECT_EQ(g_world.track.load_generation, 3);

  // A track that fails reads nothing after its ground.
  g_order.clear();
  put("tilemap", "");
  EXPECT_FALSE(load_track("small"));
  EXPECT_EQ(g_order, (std::vector<std::string>{"clear", "Loading track...", "lighting @small"}));
}

TEST_F(TrackLoad, TrackInfoFile) {
  TrackState t;
  t.dir = "hills";
  t.list.dirs = {"hills"};
  t.list.long_names = {"Big Hills"};
  t.first_lap_entries = 12;
  t.normal_lap_entries = 11;
  t.start_positions = 20;
  t.digest.fill(0xff);
  t.digest[0] = 0x0a;
  EXPECT_EQ(track_info_text(t),
            "dir=hills\nlongname=Big Hills\nfirstlap=12\nnormallap=11\ngatecount=20\nhash=0a" +
                std::string(38, 'f') + "\n");

  EXPECT_FALSE(save_track_info());  // nothing loaded
  br_test::write_small_track(dirs, "small");
  ASSERT_TRUE(load_track("small"));
  ASSERT_TRUE(save_track_info());
  std::string saved = br_test::read_file(dirs.home("small.trackinfo"));
  EXPECT_EQ(saved, track_info_text(g_world.track));
  EXPECT_NE(saved.find("hash=" + digest_hex(track_digest()) + "\n"), std::string::npos);
}

}  // namespace
}  // namespace br
