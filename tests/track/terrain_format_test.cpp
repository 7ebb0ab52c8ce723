#include "track/terrain_format.h"

#include <gtest/gtest.h>

namespace br {
namespace {

TEST(TerrainFormat, SmallFieldRoundTripsHeaderAndSamples) {
  TerrainHeader h{3, 2.0f, 0.0f, 10.0f};
  EXPECT_EQ(terrain_side(3), 17);
  EXPECT_EQ(terrain_tile_side(3), 8);
  std::vector<uint16_t> samples(17 * 17, 0);
  samples[0] = quantise_height(10.0f, h);
  samples[1] = quantise_height(-3.0f, h);  // below the range clamps to the lowest value
  std::string file = format_terrain_file(h, samples);

  auto parsed = parse_terrain_header(file);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->header.size_exp, 3);
  EXPECT_FLOAT_EQ(parsed->header.spacing, 2.0f);
  EXPECT_FLOAT_EQ(parsed->header.max_height, 10.0f);
  ASSERT_TRUE(parsed->inline_heights);
  ASSERT_EQ(file.size() - parsed->samples_offset, size_t(17 * 17 * 2));
  const auto* s = reinterpret_cast<const unsigned char*>(file.data() + parsed->samples_offset);
  EXPECT_EQ(s[0] | (s[1] << 8), 65535);
  EXPECT_EQ(s[2] | (s[3] << 8), 0);
  EXPECT_FLOAT_EQ(height_from_sample(65535, h), 10.0f);
  EXPECT_FLOAT_EQ(height_from_sample(0, h), 0.0f);
}

TEST(TerrainFormat, QuantisingIsWithinHalfAStep) {
  TerrainHeader h{9, 2.0f, -5.0f, 78.0f};
  for (float v = -5.0f; v <= 78.0f; v += 0.37f) {
    EXPECT_NEAR(height_from_sample(quantise_height(v, h), h), v, 83.0f / 65535.0f);
  }
}

TEST(TerrainFormat, RejectsShortOrOutlandishHeaders) {
  EXPECT_FALSE(parse_terrain_header("3 2.0 0.0\n:"));
  EXPECT_FALSE(parse_terrain_header(""));
  EXPECT_FALSE(parse_terrain_header("40 2.0 0.0 1.0\n:"));
  EXPECT_FALSE(parse_terrain_header("-1 2.0 0.0 1.0\n:"));
  // Sizes that overflow: an extent of 2 * 3e38 ft, a height range of 6e38 ft, a spacing that
  // is not positive, heights that are not numbers.
  EXPECT_FALSE(parse_terrain_header("1 3e38 0 10\n:"));
  EXPECT_FALSE(parse_terrain_header("1 1 -3e38 3e38\n:"));
  EXPECT_FALSE(parse_terrain_header("1 1 0 3e38\n:"));
  EXPECT_FALSE(parse_terrain_header("1 0 0 10\n:"));
  EXPECT_FALSE(parse_terrain_header("1 nan 0 10\n:"));
  EXPECT_FALSE(parse_terrain_header("1 1 inf 10\n:"));
  EXPECT_TRUE(parse_terrain_header("12 4 -1000 1000\n:"));
  auto png_heights = parse_terrain_header("3 2.0 0.0 1.0\nx");
  ASSERT_TRUE(png_heights);
  EXPECT_FALSE(png_heights->inline_heights);
}

}  // namespace
}  // namespace br
