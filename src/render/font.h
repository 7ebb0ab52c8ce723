// Proportional bitmap fonts cut out of ordinary pictures. Text is measured and drawn in units
// of the line height: a glyph is one unit high and its advance wide.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "render/image.h"
#include "render/texture_cache.h"

namespace br {

// Characters the font has no glyph for still take up room, so missing letters show as gaps.
constexpr float kMissingGlyphAdvance = 2.0f / 3.0f;

struct Glyph {
  bool present = false;
  // The cell's interior in texture coordinates; top is the smaller v.
  float left = 0, top = 0, right = 0, bottom = 0;
  float advance = kMissingGlyphAdvance;  // line heights
};

struct Font {
  TextureId texture = 0;
  int image_width = 0;  // pixels of the picture the cells were cut from
  int image_height = 0;
  int texture_width = 0;  // as uploaded: the picture resampled to powers of two
  int texture_height = 0;
  std::array<Glyph, 256> glyphs{};

  const Glyph& glyph(unsigned char code) const { return glyphs[code]; }
};

// The characters of the main font's picture, in cell order: "!" to "~".
std::string main_font_characters();
inline constexpr std::string_view kDigitCharacters = "0123456789";

// Cuts the glyph cells out of `picture`. The top-left pixel's colour is the separator colour;
// separator pixels in the top row mark the column boundaries and those in the left column the
// row boundaries. `characters` fill the cells left to right, band after band; characters
// beyond the last cell get no glyph. Returns the number of glyphs assigned.
int cut_glyphs(const Image& picture, std::string_view characters, Font& font);

// Where a glyph's cell lies in the uploaded texture, whose nearest-neighbour resampling
// repeats some pixel columns and rows: the texels that repeat the cell's pixels, half a texel
// in from each edge, so that filtering never reaches a separator or a neighbouring cell.
Glyph glyph_texture_rect(const Font& font, const Glyph& glyph);

// Loads the picture `image_name` (a data-file name, "@font.png"), cuts its glyphs and uploads
// it at full detail. A missing picture leaves a font without glyphs: text then takes its room
// but shows nothing. False when the font could not be loaded.
bool font_load(Font& font, const std::string& image_name, std::string_view characters);

// The three fonts of the game: the main font and the two digit fonts.
struct GameFonts {
  Font main;
  Font numbers;
  Font numbers_condensed;
};
GameFonts& game_fonts();
// Loads all three ("@font.png", "@numbers.png", "@numbers-condensed.png").
void load_game_fonts();

}  // namespace br
