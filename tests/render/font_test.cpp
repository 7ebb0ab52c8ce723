// Cutting glyphs out of pictures, laying out text and reading colour sequences.
#include "render/font.h"

#include <gtest/gtest.h>

#include "font_picture.h"
#include "png_writer.h"
#include "render/render_files.h"
#include "render/text_layout.h"
#include "support/data_dirs.h"
#include "support/temp_dir.h"

namespace br {
namespace {

using br_test::make_font_picture;

bool no_ink(int, int, int) {
  return false;
}

TEST(FontTest, CellsComeFromTheTopRowAndLeftColumnSeparators) {
  // Columns 2, 3 and 2 pixels wide; bands 2 and 4 pixels high.
  Image picture = make_font_picture({2, 3, 2}, {2, 4}, no_ink);
  ASSERT_EQ(picture.width, 11);
  ASSERT_EQ(picture.height, 9);
  Font font;
  EXPECT_EQ(cut_glyphs(picture, "ABCDEFG", font), 6);

  const Glyph& a = font.glyph('A');
  ASSERT_TRUE(a.present);
  EXPECT_FLOAT_EQ(a.left, 1 / 11.0f);
  EXPECT_FLOAT_EQ(a.right, 3 / 11.0f);
  EXPECT_FLOAT_EQ(a.top, 1 / 9.0f);
  EXPECT_FLOAT_EQ(a.bottom, 3 / 9.0f);
  EXPECT_FLOAT_EQ(a.advance, 1.0f);
  EXPECT_FLOAT_EQ(font.glyph('B').advance, 1.5f);
  EXPECT_FLOAT_EQ(font.glyph('C').left, 8 / 11.0f);
  // The second band: the same columns, lower rows.
  const Glyph& e = font.glyph('E');
  EXPECT_FLOAT_EQ(e.left, 4 / 11.0f);
  EXPECT_FLOAT_EQ(e.top, 4 / 9.0f);
  EXPECT_FLOAT_EQ(e.bottom, 8 / 9.0f);
  EXPECT_FLOAT_EQ(e.advance, 0.75f);
  // More characters than cells: the rest have none.
  EXPECT_FALSE(font.glyph('G').present);
  EXPECT_FLOAT_EQ(font.glyph('G').advance, kMissingGlyphAdvance);
  EXPECT_EQ(font.image_width, 11);
}

TEST(FontTest, DrawingUsesOnlyTheTexelsThatRepeatTheCell) {
  // 11 pixels become 16 texels: texel d repeats pixel d * 11 / 16, so pixels 1 and 2 of the
  // first cell are texels 2 to 4; pixel 3, the separator, is texel 5.
  Image picture = make_font_picture({2, 3, 2}, {2, 4}, no_ink);
  Font font;
  cut_glyphs(picture, "ABCDEF", font);
  EXPECT_EQ(font.texture_width, 16);
  Glyph a = glyph_texture_rect(font, font.glyph('A'));
  EXPECT_FLOAT_EQ(a.left, 2.5f / 16);
  EXPECT_FLOAT_EQ(a.right, 4.5f / 16);
  // 9 rows become 16: pixel rows 1 and 2 are texel rows 2 to 5.
  EXPECT_FLOAT_EQ(a.top, 2.5f / 16);
  EXPECT_FLOAT_EQ(a.bottom, 5.5f / 16);
  // A picture already in powers of two keeps its pixels.
  Image square = make_font_picture({2, 3}, {2, 1}, no_ink);  // 8 x 6 -> 8 x 8
  cut_glyphs(square, "xy", font);
  Glyph y = glyph_texture_rect(font, font.glyph('y'));
  EXPECT_FLOAT_EQ(y.left, 4.5f / 8);
  EXPECT_FLOAT_EQ(y.right, 6.5f / 8);
}

TEST(FontTest, SeparatorColourIsWhateverTheCornerHolds) {
  // A grey picture with black corner and black marks at x = 3 and y = 2; no closing
  // separators, so the picture's edges close the last cells.
  Image picture = make_image(6, 4, 3);
  std::fill(picture.pixels.begin(), picture.pixels.end(), 128);
  auto black = [&](int x, int y) {
    for (int k = 0; k < 3; ++k) picture.pixels[(y * 6 + x) * 3 + k] = 0;
  };
  black(0, 0);
  black(3, 0);
  black(0, 2);
  // Ink of the separator colour inside a cell changes nothing: only the edges are scanned.
  black(4, 3);
  Font font;
  EXPECT_EQ(cut_glyphs(picture, "wxyz", font), 4);
  EXPECT_FLOAT_EQ(font.glyph('w').advance, 2.0f);  // x 1..2, y 1
  EXPECT_FLOAT_EQ(font.glyph('x').advance, 2.0f);  // x 4..5, y 1
  EXPECT_FLOAT_EQ(font.glyph('y').advance, 2.0f);  // x 1..2, y 3
  EXPECT_FLOAT_EQ(font.glyph('z').right, 1.0f);    // up to the right edge
  EXPECT_FLOAT_EQ(font.glyph('z').bottom, 1.0f);
}

TEST(FontTest, LoadsFromDataFilesAndAMissingPictureLeavesNoGlyphs) {
  br_test::TempDir dir;
  Image picture = make_font_picture({4, 4}, {4}, no_ink);
  br_test::write_file(dir.file("digits.png"),
                      br_test::encode_png_pixels(picture.width, picture.height, 4, picture.pixels));
  br_test::use_data_directory(dir.path().string());
  Font font;
  EXPECT_TRUE(font_load(font, "@digits.png", "01"));
  EXPECT_NE(font.texture, 0u);
  EXPECT_TRUE(font.glyph('1').present);

  EXPECT_FALSE(font_load(font, "@absent.png", "01"));
  EXPECT_EQ(font.texture, 0u);
  EXPECT_FALSE(font.glyph('1').present);
  br_test::restore_data_directories();
}

// Every glyph a unit square, blank 1/2 wide.
Font square_font() {
  Font font;
  Image picture = make_font_picture({4, 4, 4, 2}, {4}, no_ink);
  cut_glyphs(picture, "ab\x01 ", font);
  return font;
}

const TextColour kWhite{1, 1, 1, 1};

TEST(TextLayoutTest, BlanksTabsAndLineBreaks) {
  Font font = square_font();
  TextLayout layout = layout_text(font, "  a b\tb\r\nab\rb", kWhite);
  ASSERT_EQ(layout.quads.size(), 6u);
  EXPECT_FLOAT_EQ(layout.quads[0].x, 0.0f);  // leading blanks skipped
  EXPECT_FLOAT_EQ(layout.quads[1].x, 1.5f);  // after a blank of 1/2
  // The tab goes to 8 blank widths (4 units) from the line start.
  EXPECT_FLOAT_EQ(layout.quads[2].x, 4.0f);
  EXPECT_FLOAT_EQ(layout.quads[2].line, 0.0f);
  EXPECT_FLOAT_EQ(layout.quads[3].x, 0.0f);
  EXPECT_FLOAT_EQ(layout.quads[3].line, 1.0f);
  // A carriage return goes back over the same line.
  EXPECT_FLOAT_EQ(layout.quads[4].x, 1.0f);
  EXPECT_FLOAT_EQ(layout.quads[5].x, 0.0f);
  EXPECT_FLOAT_EQ(layout.quads[5].line, 1.0f);
  EXPECT_EQ(layout.lines, 2);
  EXPECT_FLOAT_EQ(layout.width, 5.0f);

  // A tab at a stop goes on to the next one.
  EXPECT_FLOAT_EQ(layout_text(font, "a\t\tb", kWhite).quads[1].x, 8.0f);
  EXPECT_FLOAT_EQ(layout_text(font, "aaaa\tb", kWhite).quads[4].x, 8.0f);
}

TEST(TextLayoutTest, MissingGlyphsTakeTwoThirdsAndDrawNothing) {
  Font font = square_font();
  TextLayout layout = layout_text(font, "aZb", kWhite);
  ASSERT_EQ(layout.quads.size(), 2u);
  EXPECT_FLOAT_EQ(layout.quads[1].x, 1.0f + 2.0f / 3.0f);
  EXPECT_FLOAT_EQ(text_width(font, "aZb"), 2.0f + 2.0f / 3.0f);
  // A font without a picture lays out gaps only.
  EXPECT_TRUE(layout_text(Font{}, "abc", kWhite).quads.empty());
  EXPECT_FLOAT_EQ(text_width(Font{}, "abc"), 2.0f);
  EXPECT_EQ(layout_text(font, " \t\r\n ", kWhite).lines, 0);
}

TEST(TextLayoutTest, ColourSequences) {
  Font font = square_font();
  const TextColour caller{0.2f, 0.4f, 0.6f, 0.5f};
  auto colours = [&](std::string_view text, int flags = 0) {
    std::vector<TextColour> out;
    for (const TextQuad& q : layout_text(font, text, caller, flags).quads) out.push_back(q.colour);
    return out;
  };
  // Bright red in full, plain red at three quarters, the caller's alpha kept.
  EXPECT_EQ(colours("\x1b[1;31ma"), (std::vector<TextColour>{{1, 0, 0, 0.5f}}));
  EXPECT_EQ(colours("\x1b[31ma"), (std::vector<TextColour>{{0.75f, 0, 0, 0.5f}}));
  // Reset, bright off, an empty parameter list, and white at 0.75.
  EXPECT_EQ(
      colours("\x1b[32ma\x1b[0mb\x1b[1;22;37ma\x1b[mb"),
      (std::vector<TextColour>{{0, 0.75f, 0, 0.5f}, caller, {0.75f, 0.75f, 0.75f, 0.5f}, caller}));
  // Shadow colours touch only the shadow pass, and the other way round.
  EXPECT_EQ(colours("\x1b[44;31ma"), (std::vector<TextColour>{{0.75f, 0, 0, 0.5f}}));
  EXPECT_EQ(colours("\x1b[44;31ma", kTextShadowPass),
            (std::vector<TextColour>{{0, 0, 0.75f, 0.5f}}));
  EXPECT_EQ(colours("\x1b[1;40ma", kTextShadowPass), (std::vector<TextColour>{{0, 0, 0, 0.5f}}));
  EXPECT_EQ(colours("\x1b[99;5;1;36ma"), (std::vector<TextColour>{{0, 1, 1, 0.5f}}));
}

TEST(TextLayoutTest, SequencesTakeNoRoomAndBrokenOnesAreHarmless) {
  Font font = square_font();
  // Other sequences than "m" are skipped whole.
  TextLayout cleared = layout_text(font, "\x1b[2Ja\x1b[31;1Hb", kWhite);
  ASSERT_EQ(cleared.quads.size(), 2u);
  EXPECT_FLOAT_EQ(cleared.quads[1].x, 1.0f);
  EXPECT_EQ(cleared.quads[1].colour, kWhite);
  EXPECT_FLOAT_EQ(text_width(font, "\x1b[1;31mab\x1b[0m"), 2.0f);
  // An escape without "[", a sequence broken by a blank, one cut off by the end.
  TextLayout broken = layout_text(font,
                                  "\x1b"
                                  "a\x1b[31 b\x1b[3",
                                  kWhite);
  ASSERT_EQ(broken.quads.size(), 2u);
  EXPECT_EQ(broken.quads[1].colour, kWhite);
  EXPECT_FLOAT_EQ(broken.width, 2.5f);
  // Far more parameters than a sequence holds, and numbers too large for any.
  std::string many = "\x1b[";
  for (int i = 0; i < 200; ++i) many += "31;";
  many += "99999999999999999999;32mb";
  TextLayout flood = layout_text(font, many, kWhite);
  ASSERT_EQ(flood.quads.size(), 1u);
  EXPECT_EQ(flood.quads[0].colour, (TextColour{0.75f, 0, 0, 1}));
}

TEST(TextLayoutTest, PaletteHasSixteenEntries) {
  EXPECT_EQ(text_palette(0), (std::array<float, 3>{0, 0, 0}));
  EXPECT_EQ(text_palette(8), (std::array<float, 3>{0, 0, 0}));
  EXPECT_EQ(text_palette(3), (std::array<float, 3>{0.75f, 0.75f, 0}));
  EXPECT_EQ(text_palette(13), (std::array<float, 3>{1, 0, 1}));
  EXPECT_EQ(text_palette(15), (std::array<float, 3>{1, 1, 1}));
}

}  // namespace
}  // namespace br
