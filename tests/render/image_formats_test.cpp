#include "render/image_formats.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "png_writer.h"
#include "support/memory_limit.h"

namespace br {
namespace {

std::span<const uint8_t> bytes_of(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::vector<uint8_t> pixel(const Image& image, int x, int y) {
  auto p = image.pixels.begin() + (static_cast<size_t>(y) * image.width + x) * image.components;
  return {p, p + image.components};
}

using Pixel = std::vector<uint8_t>;

TEST(ImageFormats, FormatIsChosenByTheFirstToken) {
  EXPECT_EQ(detect_image_format(bytes_of("J7\n1 1\n")), ImageFormat::kJ7);
  EXPECT_EQ(detect_image_format(bytes_of("  J6 1 1 ")), ImageFormat::kJ6);
  EXPECT_EQ(detect_image_format(bytes_of("P3 1 1 255 0 0 0")), ImageFormat::kPpm);
  EXPECT_EQ(detect_image_format(bytes_of("P6\n")), ImageFormat::kPpm);
  EXPECT_EQ(detect_image_format(bytes_of("ANIM1 1 1 0 0")), ImageFormat::kAnimation);
  EXPECT_EQ(detect_image_format(bytes_of("LINK other.png")), ImageFormat::kLink);
  EXPECT_EQ(detect_image_format(bytes_of("\x89PNG\r\n")), ImageFormat::kPng);
  EXPECT_EQ(detect_image_format(bytes_of("")), ImageFormat::kPng);
  // Only the first 15 characters count: a longer token is not "LINK".
  EXPECT_EQ(detect_image_format(bytes_of("LINKLINKLINKLINKLINK x")), ImageFormat::kPng);
}

TEST(ImageFormats, J6DecodesThePredictedDifferences) {
  std::string file = "J6\n# made by hand\n2\n# height next\n2\n";
  const uint8_t stored[] = {10, 20, 30, 5, 5, 5, 1, 1, 1, 2, 2, 2};
  file.append(reinterpret_cast<const char*>(stored), sizeof stored);
  std::string error;
  auto image = decode_j6_j7(bytes_of(file), &error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->components, 3);
  EXPECT_EQ(pixel(*image, 0, 0), (Pixel{10, 20, 30}));
  EXPECT_EQ(pixel(*image, 1, 0), (Pixel{15, 25, 35}));
  EXPECT_EQ(pixel(*image, 0, 1), (Pixel{11, 21, 31}));
  EXPECT_EQ(pixel(*image, 1, 1), (Pixel{18, 28, 38}));
}

TEST(ImageFormats, J7PredictionClampsAndWrapsModulo256) {
  // Row 0: 250, then +10 wraps to 4. Row 1: first predicted from above (250) + 10 -> 4;
  // second: left 4 + above 4 - above-left 250 clamps to 0, + 7 -> 7.
  std::string file = "J7 2 2\n";
  const uint8_t stored[] = {250, 0, 0, 255, 10, 0, 0, 0, 10, 0, 0, 0, 7, 0, 0, 0};
  file.append(reinterpret_cast<const char*>(stored), sizeof stored);
  std::string error;
  auto image = decode_j6_j7(bytes_of(file), &error);
  ASSERT_TRUE(image) << error;
  EXPECT_EQ(image->components, 4);
  EXPECT_EQ(pixel(*image, 1, 0), (Pixel{4, 0, 0, 255}));
  EXPECT_EQ(pixel(*image, 0, 1), (Pixel{4, 0, 0, 255}));
  EXPECT_EQ(pixel(*image, 1, 1), (Pixel{7, 0, 0, 255}));
}

TEST(ImageFormats, PpmAndPgmInBothFormsScaleToTheirMaximum) {
  std::string error;
  auto ascii =
      decode_ppm(bytes_of("P3\n# a comment\n2 1\n# another\n15\n15 0 7\n# mid\n1 2 3\n"), &error);
  ASSERT_TRUE(ascii) << error;
  EXPECT_EQ(pixel(*ascii, 0, 0), (Pixel{255, 0, 119}));
  EXPECT_EQ(pixel(*ascii, 1, 0), (Pixel{17, 34, 51}));

  std::string binary = "P6 1 2 255\n";
  binary += std::string("\x01\x02\x03\xff\x80\x00", 6);
  auto b = decode_ppm(bytes_of(binary), &error);
  ASSERT_TRUE(b) << error;
  EXPECT_EQ(pixel(*b, 0, 1), (Pixel{255, 128, 0}));

  auto grey = decode_pgm(bytes_of("P2 2 1 3 3 1"), &error);
  ASSERT_TRUE(grey) << error;
  EXPECT_EQ(grey->components, 1);
  EXPECT_EQ(grey->pixels, (Pixel{255, 85}));

  std::string sixteen = "P5 1 1 65535\n";
  sixteen += std::string("\x80\x00", 2);
  auto deep = decode_pgm(bytes_of(sixteen), &error);
  ASSERT_TRUE(deep) << error;
  EXPECT_EQ(deep->pixels, (Pixel{127}));
}

TEST(ImageFormats, BrokenNetpbmHeadersAreRefusedWithTheirMessages) {
  std::string error;
  EXPECT_FALSE(decode_ppm(bytes_of("P3 x 1 255"), &error));
  EXPECT_EQ(error, "Can't get PPM dimensions");
  EXPECT_FALSE(decode_ppm(bytes_of("P3 -2 1 255 0 0 0"), &error));
  EXPECT_EQ(error, "Can't get PPM dimensions");
  // A maximum of 0 would divide by zero.
  EXPECT_FALSE(decode_ppm(bytes_of("P3 1 1 0 0 0 0"), &error));
  EXPECT_EQ(error, "Can't parse PPM header");
  EXPECT_FALSE(decode_pgm(bytes_of("P6 1 1 255\n\x01\x02\x03"), &error));
  EXPECT_EQ(error, "Can't parse PGM header");
  EXPECT_FALSE(decode_pgm(bytes_of("P2"), &error));
  EXPECT_EQ(error, "Can't get PGM dimensions");
}

TEST(ImageFormats, DimensionsLargerThanTheDataAreRefused) {
  std::string error;
  // Headers claiming far more pixels than follow, in every format: refused, never read past.
  EXPECT_FALSE(decode_ppm(bytes_of("P6 4000 4000 255\n\x01\x02\x03"), &error));
  EXPECT_FALSE(decode_ppm(bytes_of("P3 2 1 255 1 2 3 4 5"), &error));
  EXPECT_FALSE(decode_pgm(bytes_of("P5 8192 8192 255\nabc"), &error));
  EXPECT_FALSE(decode_j6_j7(bytes_of("J7 8192 8192\nabcd"), &error));
  EXPECT_FALSE(decode_j6_j7(bytes_of("J6 2 2\nabcdefghijk"), &error));  // one byte short
  EXPECT_FALSE(decode_j6_j7(bytes_of("J6 99999 1\nabc"), &error));
  EXPECT_FALSE(decode_j6_j7(bytes_of("J6 1"), &error));
  // The binary forms need exactly one white-space byte before the pixels.
  EXPECT_FALSE(decode_j6_j7(bytes_of("J6 1 1"), &error));
  std::string file = "J6 1 1\nabc";
  EXPECT_TRUE(decode_j6_j7(bytes_of(file), &error)) << error;
}

TEST(ImageFormats, LinkTargetIsTrimmedText) {
  EXPECT_EQ(decode_link(bytes_of("LINK\n   @other/thing.png \r\n")), "@other/thing.png");
  EXPECT_FALSE(decode_link(bytes_of("LINK   \n")));
}

struct PngCase {
  const char* what;
  br_test::PngPicture picture;
  int components;
  Pixel first, second;
};

TEST(ImageFormats, PngColourTypesBecomeEightBitRgbOrRgba) {
  std::vector<PngCase> cases;
  {
    br_test::PngPicture s;  // palette, 4 bits per index, two entries, second one half clear
    s.width = 2;
    s.colour_type = PNG_COLOR_TYPE_PALETTE;
    s.bit_depth = 4;
    s.palette = {{200, 10, 20}, {1, 2, 3}};
    s.rows = {0x01};
    cases.push_back({"palette", s, 3, {200, 10, 20}, {1, 2, 3}});
    s.trns_alpha = {255, 128};
    cases.push_back({"palette with tRNS", s, 4, {200, 10, 20, 255}, {1, 2, 3, 128}});
  }
  {
    br_test::PngPicture s;  // grey, 2 bits: 3 is white
    s.width = 2;
    s.colour_type = PNG_COLOR_TYPE_GRAY;
    s.bit_depth = 2;
    s.rows = {0x70};  // 01 11 0000
    cases.push_back({"grey 2-bit", s, 3, {85, 85, 85}, {255, 255, 255}});
    s.trns_colour = true;
    s.trns_value.gray = 3;
    cases.push_back({"grey with tRNS", s, 4, {85, 85, 85, 255}, {255, 255, 255, 0}});
  }
  {
    br_test::PngPicture s;
    s.width = 2;
    s.colour_type = PNG_COLOR_TYPE_GRAY_ALPHA;
    s.rows = {10, 20, 30, 40};
    cases.push_back({"grey-alpha", s, 4, {10, 10, 10, 20}, {30, 30, 30, 40}});
  }
  {
    br_test::PngPicture s;  // 16-bit RGB, big-endian samples: only the high bytes survive
    s.width = 2;
    s.bit_depth = 16;
    s.rows = {0x12, 0x34, 0xab, 0xcd, 0xff, 0xff, 0, 1, 0, 2, 0x80, 0};
    cases.push_back({"16-bit RGB", s, 3, {0x12, 0xab, 0xff}, {0, 0, 0x80}});
    s.trns_colour = true;
    s.trns_value.red = 1;
    s.trns_value.green = 2;
    s.trns_value.blue = 0x8000;
    cases.push_back({"16-bit RGB with tRNS", s, 4, {0x12, 0xab, 0xff, 255}, {0, 0, 0x80, 0}});
  }
  {
    br_test::PngPicture s;
    s.width = 2;
    s.colour_type = PNG_COLOR_TYPE_RGBA;
    s.bit_depth = 16;
    s.rows = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0};
    s.interlaced = true;
    cases.push_back({"16-bit RGBA interlaced", s, 4, {1, 2, 3, 4}, {5, 6, 7, 8}});
  }
  for (const PngCase& c : cases) {
    std::string file = br_test::encode_png(c.picture);
    ASSERT_FALSE(file.empty()) << c.what;
    std::string metadata, error;
    auto image = decode_png(bytes_of(file), &metadata, &error);
    ASSERT_TRUE(image) << c.what << ": " << error;
    EXPECT_EQ(image->components, c.components) << c.what;
    EXPECT_EQ(pixel(*image, 0, 0), c.first) << c.what;
    EXPECT_EQ(pixel(*image, 1, 0), c.second) << c.what;
  }
}

TEST(ImageFormats, PngTextChunksFormTheMetadata) {
  std::string file = br_test::encode_png_pixels(
      1, 1, 3, {1, 2, 3}, {{"Comment", "[mip_max_alpha]"}, {"x", "[compress]"}});
  std::string metadata, error;
  ASSERT_TRUE(decode_png(bytes_of(file), &metadata, &error)) << error;
  EXPECT_EQ(metadata, "[mip_max_alpha][compress]");
}

TEST(ImageFormats, TruncatedOrCorruptPngIsRefused) {
  std::string file = br_test::encode_png_pixels(4, 4, 3, std::vector<uint8_t>(48, 7));
  std::string metadata, error;
  for (size_t cut : {size_t{4}, size_t{20}, file.size() / 2, file.size() - 13}) {
    EXPECT_FALSE(decode_png(bytes_of(file.substr(0, cut)), &metadata, &error)) << cut;
  }
  std::string corrupt = file;
  corrupt[file.size() / 2 + 3] ^= 0x55;
  EXPECT_FALSE(decode_png(bytes_of(corrupt), &metadata, &error));
  // A header that claims an enormous picture is refused before any pixel memory is taken.
  br_test::PngPicture huge;
  huge.width = 100000;
  huge.height = 1;
  huge.colour_type = PNG_COLOR_TYPE_GRAY;
  huge.rows.assign(100000, 0);
  std::string big = br_test::encode_png(huge);
  ASSERT_FALSE(big.empty());
  EXPECT_FALSE(decode_png(bytes_of(big), &metadata, &error));
}

// A PNG chunk as the format lays it out, so a test can declare what no encoder would write.
std::string png_chunk(const char type[4], const std::string& data, uint32_t declared_length) {
  auto be32 = [](uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  std::string body = std::string(type, 4) + data;
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
  return be32(declared_length) + body + be32(uint32_t(crc));
}

std::string png_header(uint32_t width, uint32_t height) {
  std::string ihdr{char(width >> 24),
                   char(width >> 16),
                   char(width >> 8),
                   char(width),
                   char(height >> 24),
                   char(height >> 16),
                   char(height >> 8),
                   char(height),
                   8,
                   6,
                   0,
                   0,
                   0};  // 8-bit RGBA, not interlaced
  return "\x89PNG\r\n\x1a\n" + png_chunk("IHDR", ihdr, 13);
}

TEST(ImageFormats, AFewBytesCannotAskForHugeAllocations) {
  std::string metadata, error;
  // 41 bytes whose text chunk declares 1.6 GB: libpng would allocate it before finding the
  // bytes missing.
  std::string chunk_bomb = png_header(1, 1) + png_chunk("tEXt", "", 0x60000000u).substr(0, 8);
  EXPECT_EQ(chunk_bomb.size(), 41u);
  EXPECT_FALSE(decode_png(bytes_of(chunk_bomb), &metadata, &error));
  EXPECT_EQ(error, "PNG chunk longer than the file");

  // A header of 8192 x 8192 (256 MB of pixels), or one of 4096 x 4096 whose data could not
  // inflate to that many pixels: refused before the pixels are allocated.
  std::string deflated = png_chunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8), 8);
  std::string iend = png_chunk("IEND", "", 0);
  for (uint32_t side : {8192u, 4096u}) {
    std::string file = png_header(side, side) + deflated + iend;
    EXPECT_LE(file.size(), 68u);
    std::string why;
    EXPECT_FALSE(decode_png(bytes_of(file), &metadata, &why)) << side;
    if (br_test::kAddressLimitWorks) {
      EXPECT_TRUE(br_test::runs_within(48, 20, [&] {
        std::string m, e;
        return !decode_png(bytes_of(file), &m, &e) && !decode_png_grey16(bytes_of(file), &e);
      })) << side;
    }
  }
}

}  // namespace
}  // namespace br
