// Which blocks of ground get textures, and one block composed in memory from its tiles, a
// decal and the baked light.
#include "render/ground_blocks.h"

#include <gtest/gtest.h>

#include <cmath>

namespace br {
namespace {

Terrain field(int size_exp) {
  Terrain t;
  terrain_set_size(t, size_exp, 1.0f);
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
  return t;
}

// A flat picture with its full chain.
Image flat_picture(int size, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  Image image = make_image(size, size, 4);
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    image.pixels[i] = r, image.pixels[i + 1] = g, image.pixels[i + 2] = b, image.pixels[i + 3] = a;
  }
  build_mip_chain(image, MipRule::kAverage);
  return image;
}

TEST(GroundBlocks, CountsFollowTheFieldSize) {
  Terrain big = field(10);  // 1024 x 1024 tile cells, 2049 height samples a side
  EXPECT_EQ(low_detail_blocks(big), 16);
  EXPECT_EQ(low_detail_cells(big), 64);
  EXPECT_EQ(light_textures_per_side(big.tile_side), 6);
  EXPECT_EQ(light_textures_per_side(512), 3);
  // A field smaller than one low-detail block is one block, with one light texture.
  Terrain small = field(4);
  EXPECT_EQ(low_detail_blocks(small), 1);
  EXPECT_EQ(low_detail_cells(small), 16);
  EXPECT_EQ(light_textures_per_side(small.tile_side), 1);
}

TEST(GroundBlocks, RingsStayFourBlocksWideAndInsideTheField) {
  Terrain t = field(6);  // 64 cells of 2 ft: 128 ft
  // Blocks of 4 cells (8 ft): a camera at 50 ft sits near block corner 6.
  BlockWindow w = ring_window(t, 2, 50.0f, 50.0f);
  EXPECT_EQ(w.count, 4);
  EXPECT_EQ(w.x0, 4);
  EXPECT_EQ(w.z0, 4);
  // Off the field the window keeps to the nearest edge.
  w = ring_window(t, 2, -500.0f, 1000.0f);
  EXPECT_EQ(w.x0, 0);
  EXPECT_EQ(w.z0, 16 - 4);
  // Blocks as large as the field: one of them.
  w = ring_window(t, 6, 64.0f, 64.0f);
  EXPECT_EQ(w.count, 1);
  EXPECT_EQ(w.x0, 0);
}

TEST(GroundBlocks, ShadowsDarkenTheLight) {
  Terrain t = field(1);
  const size_t n = static_cast<size_t>(t.side) * t.side;
  t.shading.assign(n * 3, 200);
  t.shadows.assign(n, 0);
  t.shadows[1] = 255;
  std::vector<uint8_t> light = ground_light(t);
  EXPECT_EQ(light[0], 200);
  EXPECT_EQ(light[3], static_cast<uint8_t>(std::lround(200 * kShadowKeeps)));
  // Without shading the ground is left as its tiles are.
  t.shading.clear();
  EXPECT_EQ(ground_light(t)[0], 128);
}

TEST(GroundBlocks, OneBlockMergesTilesDecalAndLight) {
  Terrain t = field(2);  // 4 x 4 cells of 2 ft, 9 x 9 samples
  Image red = flat_picture(8, 200, 0, 0);
  Image blue = flat_picture(8, 0, 0, 200);
  t.tiles.resize(2);
  t.tiles[0].image = &red;
  t.tiles[1].image = &blue;
  // The right-hand column of cells (x from 6 ft) is blue.
  for (int j = 0; j < 4; ++j) t.tilemap[static_cast<size_t>(j) * 4 + 3] = 1;
  // Light brightening along x: sample column c has 100 + 10 c, so the renderer's doubling
  // takes a texel from 200/255 of its tile upward.
  t.shading.resize(static_cast<size_t>(t.side) * t.side * 3);
  for (int r = 0; r < t.side; ++r) {
    for (int c = 0; c < t.side; ++c) {
      for (int k = 0; k < 3; ++k)
        t.shading[(static_cast<size_t>(r) * t.side + c) * 3 + k] = 100 + 10 * c;
    }
  }
  std::vector<uint8_t> light = ground_light(t);
  // A half-transparent white decal 2 ft square centred at (3, 5), turned a quarter.
  Image white = flat_picture(4, 255, 255, 255, 128);
  GroundDecal decal{&white, 3.0f, 5.0f, 2.0f, 2.0f, 1.0f, 0.0f};

  // The whole 4 x 4 field in 16 texels: one texel per half cell, centres at 0.5 ft steps of 1.
  std::vector<uint8_t> rgb;
  compose_ground_block(t, {decal}, light, 0, 0, 4, 8, rgb);
  ASSERT_EQ(rgb.size(), 8u * 8 * 3);
  auto texel = [&](int col, int row, int k) {
    return rgb[(static_cast<size_t>(row) * 8 + col) * 3 + k];
  };
  auto expected = [&](float tile, float x) {
    float l = 100 + 10 * x;  // x in feet is the sample column here
    return static_cast<int>(std::lround(tile * l / 255.0f));
  };
  // Texel (col, row) is centred at x = col + 0.5 ft, z = row + 0.5 ft.
  EXPECT_NEAR(texel(0, 0, 0), expected(200, 0.5f), 1);
  EXPECT_EQ(texel(0, 0, 2), 0);
  EXPECT_NEAR(texel(5, 0, 0), expected(200, 5.5f), 1);
  EXPECT_NEAR(texel(6, 0, 2), expected(200, 6.5f), 1);  // the blue column
  EXPECT_EQ(texel(6, 0, 0), 0);
  // Under the decal (x 2..4, z 4..6) half the way to white; outside it untouched.
  float mixed_red = 200 + (255 - 200) * (128 / 255.0f);
  float mixed_green = 255 * (128 / 255.0f);
  EXPECT_NEAR(texel(2, 4, 0), expected(mixed_red, 2.5f), 2);
  EXPECT_NEAR(texel(3, 5, 1), expected(mixed_green, 3.5f), 2);
  EXPECT_EQ(texel(1, 4, 1), 0);
  EXPECT_EQ(texel(2, 6, 1), 0);
  // Rows follow z: the decal's rows are 4 and 5 only, whatever the column.
  EXPECT_EQ(texel(3, 3, 1), 0);
}

TEST(GroundBlocks, DecalCoordinatesFollowItsAngle) {
  // Turned a quarter: its length (size_a) runs along z.
  GroundDecal d{nullptr, 10.0f, 10.0f, 8.0f, 2.0f, 1.0f, 0.0f};
  float u, v;
  decal_coords(d, 10.0f, 14.0f, &u, &v);
  EXPECT_NEAR(u, 1.0f, 1e-5f);
  EXPECT_NEAR(v, 0.5f, 1e-5f);
  decal_coords(d, 11.0f, 10.0f, &u, &v);
  EXPECT_NEAR(u, 0.5f, 1e-5f);
  EXPECT_NEAR(v, 0.0f, 1e-5f);
  Terrain t = field(4);
  EXPECT_TRUE(decal_overlaps(d, t, 4, 6, 2));  // cells 4..6 cover 8..12 ft
  EXPECT_FALSE(decal_overlaps(d, t, 8, 8, 2));
}

}  // namespace
}  // namespace br
