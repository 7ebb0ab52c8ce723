#include "track/tile_table.h"

#include <gtest/gtest.h>

namespace br {
namespace {

std::vector<TileType> tileinfo(const std::string& text) {
  std::vector<TileType> tiles;
  parse_tileinfo(text, TileTextures::kTextureIds, tiles);
  return tiles;
}

TEST(TileInfo, CurvePointsAreClampedAndSortedOnAddtile) {
  auto a = tileinfo("friction 0.8 2\nfriction 1.2 10\naddtile\n");
  auto b = tileinfo("  friction 1.2 10\r\n\tfriction 0.8 2\n\naddtile\n");
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  for (const auto& tiles : {a, b}) {
    EXPECT_FLOAT_EQ(tiles[0].friction[0].value, 0.8f);
    EXPECT_FLOAT_EQ(tiles[0].friction[0].speed, 2.0f);
    EXPECT_FLOAT_EQ(tiles[0].friction[1].value, 1.2f);
    EXPECT_FLOAT_EQ(tiles[0].friction[2].speed, 0.0f);  // unused points end the curve
  }
  auto c = tileinfo("friction -1 0\nroll_resist -2 -3 -4\nroll_resist 1 2\naddtile\n");
  EXPECT_FLOAT_EQ(c[0].friction[0].value, 0.0f);
  EXPECT_FLOAT_EQ(c[0].friction[0].speed, kMinCurveSpeed);
  EXPECT_FLOAT_EQ(c[0].roll_resist[0].low, 0.0f);
  EXPECT_FLOAT_EQ(c[0].roll_resist[0].high, 0.0f);
  EXPECT_FLOAT_EQ(c[0].roll_resist[1].speed, 0.0f);  // the two-number line was refused

  // Numbers that are not finite would reach the tyre contact: the lines are refused.
  auto e = tileinfo(
      "friction nan 1\nfriction 2 inf\nroll_resist inf 1 1\nroll_resist 1 nan 1\n"
      "roll_resist 1 1 -inf\nfriction 0.5 3\naddtile\n");
  ASSERT_EQ(e.size(), 1u);
  EXPECT_FLOAT_EQ(e[0].friction[0].value, 0.5f);
  EXPECT_FLOAT_EQ(e[0].friction[1].speed, 0.0f);
  EXPECT_FLOAT_EQ(e[0].roll_resist[0].low, 5.0f);  // still the default curve

  std::string nine;
  for (int k = 9; k >= 1; --k)
    nine += "friction " + std::to_string(k) + " " + std::to_string(k) + "\n";
  auto d = tileinfo(nine + "addtile\n");
  EXPECT_FLOAT_EQ(d[0].friction[0].speed, 2.0f);  // the ninth point (speed 1) was dropped
  EXPECT_FLOAT_EQ(d[0].friction[7].speed, 9.0f);
}

TEST(TileInfo, DefaultsPropertiesAfterTheLastTileAndTheTileLimit) {
  auto tiles = tileinfo("addtile\nerode_radius 7\nerode_depth x\nbogus 1\naddtile\nfriction 3 3\n");
  ASSERT_EQ(tiles.size(), 2u);
  const TileType& t = tiles[0];
  EXPECT_FLOAT_EQ(t.friction[0].value, 1.0f);
  EXPECT_FLOAT_EQ(t.friction[0].speed, 1.0f);
  EXPECT_FLOAT_EQ(t.roll_resist[0].low, 5.0f);
  EXPECT_FLOAT_EQ(t.roll_resist[0].high, 15.0f);
  EXPECT_EQ(t.roost[0].mode, kRoostUnused);
  EXPECT_FLOAT_EQ(tiles[1].erode[4], 7.0f);
  EXPECT_FLOAT_EQ(tiles[1].erode[0], 1.0f);  // the bad number left the default
  EXPECT_FLOAT_EQ(tiles[1].erode[7], 15.0f);

  std::string many;
  for (int k = 0; k < 300; ++k) many += "addtile\n";
  EXPECT_EQ(tileinfo(many).size(), size_t(kMaxTiles));
  // An overlong line is read in pieces and none of them becomes a tile by accident.
  EXPECT_EQ(tileinfo(std::string(3000, 'x') + "\naddtile\n").size(), 1u);
}

TEST(TileInfo, RoostParameters) {
  auto tiles = tileinfo(
      "roost count=3 \"texture=@my roost.png\" r=300 g=-1 fade_a=-256 fade_r=640 splash=0 "
      "randomize=2 size=big wobble=1\n"
      "roost splash=1\nroost\nroost\nroost dig=9\naddtile\n");
  ASSERT_EQ(tiles.size(), 1u);
  const RoostRecord& r = tiles[0].roost[0];
  EXPECT_EQ(r.mode, kRoostDirt);  // splash=0 keeps plain roost
  EXPECT_FLOAT_EQ(r.count, 3.0f);
  EXPECT_EQ(r.colour[0], 44);   // 300 keeps its low 8 bits
  EXPECT_EQ(r.colour[1], 255);  // -1 likewise
  EXPECT_EQ(r.colour[3], 255);
  EXPECT_EQ(r.fade[3], -2);  // per second to per step: -256 / 128
  EXPECT_EQ(r.fade[0], 5);
  EXPECT_FLOAT_EQ(r.randomize, 2.0f);
  EXPECT_FLOAT_EQ(r.size, 0.0f);  // not a number: stored as 0
  EXPECT_FLOAT_EQ(r.drag, 0.5f);
  EXPECT_EQ(tiles[0].roost[1].mode, kRoostSplash);
  EXPECT_EQ(tiles[0].roost[3].mode, kRoostDirt);
  EXPECT_FLOAT_EQ(tiles[0].roost[3].dig, 1.0f);  // the fifth roost line was refused
}

TEST(TextureList, NumbersOrJustTheName) {
  std::vector<TileType> tiles;
  parse_texturelist("0.9 4 12 dirt.png\n\n   grass.png\r\n", TileTextures::kTextureIds, tiles);
  ASSERT_EQ(tiles.size(), 2u);
  EXPECT_EQ(tiles[0].base_name, "dirt.png");
  EXPECT_FLOAT_EQ(tiles[0].friction[0].value, 0.9f);
  EXPECT_FLOAT_EQ(tiles[0].friction[0].speed, 1.0f);
  EXPECT_FLOAT_EQ(tiles[0].roll_resist[0].low, 4.0f);
  EXPECT_FLOAT_EQ(tiles[0].roll_resist[0].high, 12.0f);
  EXPECT_EQ(tiles[0].roost[0].mode, kRoostDirt);
  EXPECT_EQ(tiles[0].roost[1].mode, kRoostUnused);
  EXPECT_EQ(tiles[1].base_name, "grass.png");
  EXPECT_FLOAT_EQ(tiles[1].friction[0].value, 1.0f);
  EXPECT_FLOAT_EQ(tiles[1].roll_resist[0].high, 15.0f);
}

TEST(TileClassCodes, PlainAlternativeTransitionAndBroken) {
  EXPECT_EQ(tile_base_name("@track/dirt.png"), "/dirt.png");
  EXPECT_EQ(tile_base_name("@dirt.png"), "dirt.png");
  std::vector<TileType> tiles(7);
  const char* names[] = {"dirt.png",  "grass.png",           "dirt-grass-0110.png", "dirt-alt2.png",
                         "mud-x.png", "grass-rock-1111.png", "grass-dirt-01x1.png"};
  for (size_t k = 0; k < tiles.size(); ++k) tiles[k].base_name = names[k];
  assign_class_codes(tiles);
  EXPECT_EQ(tiles[0].class_code, 0);
  EXPECT_EQ(tiles[1].class_code, 1 * 65536 + 1 * 256);
  EXPECT_EQ(tiles[2].class_code, 0 * 65536 + 1 * 256 + 6);
  EXPECT_EQ(tiles[3].class_code, 0);
  EXPECT_EQ(tiles[4].class_code, 4 * 65536 + 4 * 256);  // "mud" names no tile
  EXPECT_EQ(tiles[5].class_code, -256);                 // "rock" names no tile
  EXPECT_EQ(tiles[6].class_code, 1 * 65536 + 0 * 256);  // a mask that is not binary

  // Tiles of a track folder keep the "/" of their base names; transitions still find both.
  tiles.assign(3, TileType{});
  const char* in_folder[] = {"@track/dirt.png", "@track/grass.png", "@track/dirt-grass-0110.png"};
  for (size_t k = 0; k < tiles.size(); ++k) tiles[k].base_name = tile_base_name(in_folder[k]);
  assign_class_codes(tiles);
  EXPECT_EQ(tiles[2].class_code, 0 * 65536 + 1 * 256 + 6);
}

}  // namespace
}  // namespace br
