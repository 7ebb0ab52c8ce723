#include "bike/bike_parts.h"

#include <gtest/gtest.h>

namespace br {
namespace {

TEST(BikeParts, CustomTexturesNameTheirModelVariants) {
  EXPECT_EQ(model_variant_name("@crf450v2013_frame.jm", "@a-red-b.png"),
            "@crf450v2013_frame-red.jm");
  EXPECT_EQ(model_variant_name("@x_frame.jm", "/home/me/tex/kx-blue-2-3.png"), "@x_frame-blue.jm");
  // Only the base name counts, and it needs two hyphens.
  EXPECT_EQ(model_variant_name("@x_frame.jm", "@my-dir/plain-1.png"), "");
  EXPECT_EQ(model_variant_name("@x_frame.jm", "@crf450v2013-alt1.png"), "");
  EXPECT_EQ(model_variant_name("@x_frame.jm", "@a--b.png"), "@x_frame-.jm");
  EXPECT_EQ(model_variant_name("@noext", "@a-red-b.png"), "@noext-red");
}

TEST(BikeParts, PlateColoursComeFromTheTextureText) {
  PlateColours plain = parse_plate_colours("");
  EXPECT_EQ(plain.background, (std::array<uint8_t, 3>{255, 255, 255}));
  EXPECT_EQ(plain.digits, (std::array<uint8_t, 3>{0, 0, 0}));
  PlateColours c =
      parse_plate_colours("made by us [numberbackground:1.5,0.5,-2] [numberforeground:0,0,1]");
  EXPECT_EQ(c.background, (std::array<uint8_t, 3>{255, 127, 0}));
  EXPECT_EQ(c.digits, (std::array<uint8_t, 3>{0, 0, 255}));
  // A tag short of components leaves that colour alone.
  PlateColours broken = parse_plate_colours("[numberforeground:0.5,0.5]");
  EXPECT_EQ(broken.digits, (std::array<uint8_t, 3>{0, 0, 0}));
}

int count_colour(const Image& image, std::array<uint8_t, 3> colour) {
  int n = 0;
  for (size_t i = 0; i < image.pixels.size(); i += 3) {
    n += image.pixels[i] == colour[0] && image.pixels[i + 1] == colour[1] &&
         image.pixels[i + 2] == colour[2];
  }
  return n;
}

TEST(BikeParts, NumberPlateDrawsTheDigitsInTheirColours) {
  PlateColours colours;
  colours.background = {10, 20, 30};
  colours.digits = {200, 0, 0};
  Image blank = draw_number_plate("", colours);
  ASSERT_EQ(blank.width, kPlateSize);
  ASSERT_EQ(blank.height, kPlateSize);
  EXPECT_EQ(count_colour(blank, colours.background), kPlateSize * kPlateSize);

  Image one = draw_number_plate("1", colours);
  Image eleven = draw_number_plate("11", colours);
  int ink1 = count_colour(one, colours.digits);
  int ink11 = count_colour(eleven, colours.digits);
  EXPECT_GT(ink1, 0);
  EXPECT_GT(ink11, 0);
  EXPECT_EQ(ink1 + count_colour(one, colours.background), kPlateSize * kPlateSize);
  // Seven digits still fit; an eighth is not drawn; letters leave a gap.
  Image seven = draw_number_plate("8888888", colours);
  EXPECT_EQ(count_colour(seven, colours.digits),
            count_colour(draw_number_plate("88888888", colours), colours.digits));
  EXPECT_EQ(count_colour(draw_number_plate("1x", colours), colours.digits) * 2,
            count_colour(draw_number_plate("11", colours), colours.digits));
}

}  // namespace
}  // namespace br
