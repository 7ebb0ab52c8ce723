#include "track/scenery_format.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "track/tileinfo_format.h"

namespace br {
namespace {

TEST(SceneryFormat, BillboardTintGoesInFrontOfThePicture) {
  std::string text = format_billboards(
      {{1, 0, 2, 3, 4, "@tree.png"}, {5, 0.5f, 6, 7, 8, "@banner.png", 255, 128, 0}});
  EXPECT_EQ(text,
            "[1.000000 0.000000 2.000000] 3.000000 4.000000 @tree.png\n"
            "[5.000000 0.500000 6.000000] 7.000000 8.000000 #ff8000#@banner.png\n");
  // Entries read back with the reader's pattern.
  float x, y, z, w, h;
  char name[64];
  ASSERT_EQ(std::sscanf(text.c_str(), "[ %f %f %f ] %f %f %63s ", &x, &y, &z, &w, &h, name), 6);
  EXPECT_STREQ(name, "@tree.png");
}

TEST(SceneryFormat, StatuesWriteNullForMissingNames) {
  std::string text = format_statues({{1, 0, 2, 0.5f, "@bale.jm", "", ""}});
  EXPECT_EQ(text, "[1.000000 0.000000 2.000000] 0.500000 @bale.jm null null\n");
}

TEST(SceneryFormat, NamesAsLongAsTheReaderTakesAreWrittenWhole) {
  // Three names of the longest a line may hold: the written line is far beyond any fixed
  // line buffer and must neither be cut nor run past it.
  std::string model = "@" + std::string(1022, 'm'), texture = "@" + std::string(1022, 't');
  std::string shape = "@" + std::string(1022, 's');
  std::string text = format_statues({{1, 0, 2, 0.5f, model, texture, shape}});
  EXPECT_EQ(text,
            "[1.000000 0.000000 2.000000] 0.500000 " + model + " " + texture + " " + shape + "\n");
  std::vector<StatueEntry> back = parse_statues(text, "statues");
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].shape, shape);
}

TEST(SceneryFormat, CameraGateAndViewLinesComeBeforeTheirCamera) {
  CameraEntry a;
  a.x = 1, a.y = 20, a.z = 3;
  a.gates = {0, 4};
  CameraEntry b;
  b.x = 5, b.y = 20, b.z = 6;
  b.fov = 45;
  EXPECT_EQ(format_cameras({a, b}),
            "gate 0 4\naddcamera 1.000000 20.000000 3.000000\n"
            "fov 45.000000\naddcamera 5.000000 20.000000 6.000000\n");
}

TEST(SceneryFormat, LightingNamesEveryKeywordOnce) {
  LightingFile l;
  l.fog_density = 0.001f;
  std::string text = format_lighting(l);
  for (const char* key : {"sun_vector [", "sun_color [", "ambient [", "global_ambient [",
                          "sky_n @sky-n.ppm", "sky_u @sky-u.ppm", "sky_env @sky-env.ppm", "fog [",
                          "dynamic_lighting 0", "near_plane 0.25", "far_plane 5000"}) {
    EXPECT_NE(text.find(key), std::string::npos) << key;
  }
  l.fog_density = 0;
  EXPECT_EQ(format_lighting(l).find("fog"), std::string::npos);
}

TEST(TileinfoFormat, PropertiesPrecedeAddtileAndDefaultsAreLeftOut) {
  TileInfo t;
  t.texture = "@x/loam.png";
  t.friction = {{0.8f, 2.0f}};
  t.roll_resist = {{4.0f, 16.0f, 1.0f}};
  t.roost = {RoostLine{{{"count", "10"}, {"r", "120"}}}};
  t.erode[0] = 1.5f;
  std::string text = format_tileinfo({t, TileInfo{}});
  EXPECT_EQ(text,
            "texture @x/loam.png\nfriction 0.800000 2.000000\n"
            "roll_resist 4.000000 16.000000 1.000000\nroost count=10 r=120\n"
            "erode_depth 1.500000\naddtile\naddtile\n");
}

}  // namespace
}  // namespace br
