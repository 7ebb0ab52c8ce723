#include <gtest/gtest.h>

#include "render/image.h"

namespace br {
namespace {

using Pixel = std::vector<uint8_t>;

Image from_pixels(int w, int h, int c, Pixel pixels) {
  Image image = make_image(w, h, c);
  image.pixels = std::move(pixels);
  return image;
}

Pixel level_pixel(const Image& image, int level, int x, int y) {
  size_t at = level_offset(image, level) +
              (static_cast<size_t>(y) * mip_dimension(image.width, level) + x) * image.components;
  return {image.pixels.begin() + at, image.pixels.begin() + at + image.components};
}

TEST(Mipmap, ChainHalvesDownToOneByOneInOneBuffer) {
  Image image = make_image(8, 2, 3);
  build_mip_chain(image, MipRule::kAverage);
  EXPECT_EQ(image.levels, 4);  // 8x2, 4x1, 2x1, 1x1
  EXPECT_EQ(image.pixels.size(), size_t{(16 + 4 + 2 + 1) * 3});
  EXPECT_EQ(full_chain_levels(1, 1), 1);
  EXPECT_EQ(full_chain_levels(1024, 1024), 11);
}

TEST(Mipmap, RgbAveragesTruncateAndThinImagesAveragePairs) {
  Image image = from_pixels(2, 2, 3, {1, 2, 3, 2, 3, 4, 3, 4, 5, 4, 5, 7});
  build_mip_chain(image, MipRule::kAverage);
  EXPECT_EQ(level_pixel(image, 1, 0, 0), (Pixel{2, 3, 4}));  // 10/4, 14/4, 19/4
  Image column = from_pixels(1, 2, 3, {0, 10, 255, 3, 11, 254});
  build_mip_chain(column, MipRule::kAverage);
  EXPECT_EQ(level_pixel(column, 1, 0, 0), (Pixel{1, 10, 254}));
}

TEST(Mipmap, RgbaColourIsWeightedByAlphaUnlessAllClearOrAllOpaque) {
  // Red opaque on top, blue transparent below: the colour stays red, alpha 510 / 4.
  Image half = from_pixels(2, 2, 4, {255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 0});
  build_mip_chain(half, MipRule::kAverage);
  EXPECT_EQ(level_pixel(half, 1, 0, 0), (Pixel{255, 0, 0, 127}));

  Image clear = from_pixels(2, 2, 4, {200, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0});
  build_mip_chain(clear, MipRule::kAverage);
  EXPECT_EQ(level_pixel(clear, 1, 0, 0), (Pixel{75, 0, 0, 0}));

  Image weighted = from_pixels(2, 2, 4, {100, 0, 0, 255, 0, 0, 0, 85, 0, 0, 0, 0, 0, 0, 0, 0});
  build_mip_chain(weighted, MipRule::kAverage);
  EXPECT_EQ(level_pixel(weighted, 1, 0, 0), (Pixel{75, 0, 0, 85}));  // 25500 / 340
}

TEST(Mipmap, MaxAlphaKeepsThinOpaqueDetail) {
  Image image = from_pixels(2, 2, 4, {9, 9, 9, 0, 9, 9, 9, 0, 9, 9, 9, 0, 50, 60, 70, 200});
  build_mip_chain(image, MipRule::kMaxAlpha);
  EXPECT_EQ(level_pixel(image, 1, 0, 0), (Pixel{50, 60, 70, 200}));
}

TEST(Mipmap, NonPowerOfTwoResamplesByNearestNeighbour) {
  Image image = make_image(3, 1, 3);
  for (int x = 0; x < 3; ++x) image.pixels[x * 3] = static_cast<uint8_t>(10 * (x + 1));
  Image out = resample_to_power_of_two(image);
  EXPECT_EQ(out.width, 4);
  EXPECT_EQ(out.height, 1);
  Pixel reds;
  for (int x = 0; x < 4; ++x) reds.push_back(out.pixels[x * 3]);
  EXPECT_EQ(reds, (Pixel{10, 10, 20, 30}));  // source x = 0, 0, 1, 2
  Image wide = resample_to_power_of_two(make_image(300, 200, 4));
  EXPECT_EQ(wide.width, 512);
  EXPECT_EQ(wide.height, 256);
}

TEST(Mipmap, DetailReductionStopsAtOneHundredAndTwentyEight) {
  Image big = make_image(1024, 1024, 3);
  build_mip_chain(big, MipRule::kAverage);
  Image reduced = big;
  EXPECT_EQ(skip_levels(reduced, 2), 2);
  EXPECT_EQ(reduced.width, 256);
  EXPECT_EQ(reduced.levels, 9);
  EXPECT_EQ(reduced.pixels.size(), level_offset(reduced, reduced.levels));
  Image most = big;
  EXPECT_EQ(skip_levels(most, 10), 3);  // 1024, 512, 256 skipped; 128 stays
  EXPECT_EQ(most.width, 128);
  Image narrow = make_image(1024, 64, 3);
  build_mip_chain(narrow, MipRule::kAverage);
  EXPECT_EQ(skip_levels(narrow, 4), 0);
}

TEST(Mipmap, CustomChainIsCopiedFromBelowTheBaseLevel) {
  // A 4x6 picture: base 4x4 on top, then 2x2 at (0,4), 1x1 at (2,4).
  Image picture = make_image(4, 6, 3);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 4; ++x) picture.pixels[(y * 4 + x) * 3] = static_cast<uint8_t>(y * 10 + x);
  }
  auto chain = extract_custom_chain(picture);
  ASSERT_TRUE(chain);
  EXPECT_EQ(chain->height, 4);
  EXPECT_EQ(chain->levels, 3);
  EXPECT_EQ(level_pixel(*chain, 0, 3, 3)[0], 33);
  EXPECT_EQ(level_pixel(*chain, 1, 1, 1)[0], 51);
  EXPECT_EQ(level_pixel(*chain, 2, 0, 0)[0], 42);
  // Levels that cannot fit below a tall narrow base are refused, not read past the picture.
  EXPECT_FALSE(extract_custom_chain(make_image(1, 12, 3)));
}

TEST(Mipmap, BorderColourIsTheCommonestEdgeColour) {
  Image image = make_image(4, 4, 3);
  for (int i = 0; i < 16; ++i) {
    image.pixels[i * 3] = 250;
    image.pixels[i * 3 + 1] = 2;
    image.pixels[i * 3 + 2] = 4;
  }
  image.pixels[0] = 0;  // one odd corner
  auto colour = edge_border_colour(image);
  EXPECT_NEAR(colour[0], 250 / 255.0f, 1e-6);
  EXPECT_NEAR(colour[1], 2 / 255.0f, 1e-6);
  EXPECT_EQ(colour[3], 1.0f);
}

}  // namespace
}  // namespace br
