#include "render/font.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/log.h"
#include "render/image_formats.h"
#include "render/render_files.h"

namespace br {
namespace {

bool is_separator(const Image& picture, int x, int y) {
  const int n = picture.components;
  const uint8_t* first = picture.pixels.data();
  const uint8_t* here = first + (static_cast<size_t>(y) * picture.width + x) * n;
  return std::memcmp(first, here, n) == 0;
}

// Positions of separator pixels along the top row (columns) or the left column (rows). The
// picture's far edge closes the last cell when no separator does.
std::vector<int> boundaries(const Image& picture, bool columns) {
  int length = columns ? picture.width : picture.height;
  std::vector<int> found;
  for (int i = 0; i < length; ++i) {
    if (columns ? is_separator(picture, i, 0) : is_separator(picture, 0, i)) found.push_back(i);
  }
  if (found.back() != length - 1) found.push_back(length);
  return found;
}

// The picture as stored, before any resampling, so that cell positions are exact pixels.
std::optional<Image> decode_picture(const std::string& name, std::string* error) {
  std::optional<std::vector<uint8_t>> bytes = read_data_file(name);
  if (!bytes) return std::nullopt;
  switch (detect_image_format(*bytes)) {
    case ImageFormat::kJ6:
    case ImageFormat::kJ7:
      return decode_j6_j7(*bytes, error);
    case ImageFormat::kPpm:
      return decode_ppm(*bytes, error);
    case ImageFormat::kPng: {
      std::string metadata;
      return decode_png(*bytes, &metadata, error);
    }
    default:
      *error = "not a still picture";
      return std::nullopt;
  }
}

}  // namespace

std::string main_font_characters() {
  std::string characters;
  for (int c = 33; c <= 126; ++c) characters.push_back(static_cast<char>(c));
  return characters;
}

int cut_glyphs(const Image& picture, std::string_view characters, Font& font) {
  font.glyphs = {};
  font.image_width = picture.width;
  font.image_height = picture.height;
  font.texture_width = next_power_of_two(picture.width);
  font.texture_height = next_power_of_two(picture.height);
  if (picture.width < 1 || picture.height < 1 || picture.components < 1) return 0;
  std::vector<int> columns = boundaries(picture, true);
  std::vector<int> rows = boundaries(picture, false);
  const float w = static_cast<float>(picture.width);
  const float h = static_cast<float>(picture.height);
  size_t next = 0;
  for (size_t r = 0; r + 1 < rows.size(); ++r) {
    int top = rows[r] + 1, bottom = rows[r + 1];
    if (bottom <= top) continue;  // two separator rows side by side
    for (size_t c = 0; c + 1 < columns.size(); ++c) {
      int left = columns[c] + 1, right = columns[c + 1];
      if (right <= left) continue;
      if (next >= characters.size()) return static_cast<int>(next);
      Glyph& g = font.glyphs[static_cast<unsigned char>(characters[next++])];
      g.present = true;
      g.left = left / w;
      g.right = right / w;
      g.top = top / h;
      g.bottom = bottom / h;
      g.advance = static_cast<float>(right - left) / static_cast<float>(bottom - top);
    }
  }
  return static_cast<int>(next);
}

namespace {

// The first texel of the resampled texture that repeats source pixel `pixel` (or lies past
// the picture when `pixel` is its size).
int first_texel(int pixel, int source, int resampled) {
  return static_cast<int>((static_cast<int64_t>(pixel) * resampled + source - 1) / source);
}

float texel_edge(float coordinate, int source, int resampled, float inset) {
  int pixel = static_cast<int>(std::lround(coordinate * source));
  return (static_cast<float>(first_texel(pixel, source, resampled)) + inset) /
         static_cast<float>(resampled);
}

}  // namespace

Glyph glyph_texture_rect(const Font& font, const Glyph& glyph) {
  Glyph rect = glyph;
  if (!glyph.present || font.image_width < 1 || font.image_height < 1) return rect;
  int w = font.image_width, h = font.image_height;
  int tw = font.texture_width, th = font.texture_height;
  rect.left = texel_edge(glyph.left, w, tw, 0.5f);
  rect.right = texel_edge(glyph.right, w, tw, -0.5f);
  rect.top = texel_edge(glyph.top, h, th, 0.5f);
  rect.bottom = texel_edge(glyph.bottom, h, th, -0.5f);
  return rect;
}

bool font_load(Font& font, const std::string& image_name, std::string_view characters) {
  font = Font{};
  std::string error;
  std::optional<Image> picture = decode_picture(image_name, &error);
  if (!picture) {
    if (!error.empty()) {
      kota::log_printf("Font '%.900s' not loaded: %s\n", image_name.c_str(), error.c_str());
    } else {
      kota::log_printf("Font '%.900s' is missing\n", image_name.c_str());
    }
    return false;
  }
  int cut = cut_glyphs(*picture, characters, font);
  if (cut < static_cast<int>(characters.size())) {
    kota::log_printf("Font '%.900s' has cells for %d of its %d characters\n", image_name.c_str(),
                     cut, static_cast<int>(characters.size()));
  }
  // The base level only: smaller levels would blend the separator pixels into the glyphs.
  font.texture = texture_load("!" + image_name, kTextureNoMipmaps);
  return font.texture != 0;
}

GameFonts& game_fonts() {
  static GameFonts fonts;
  return fonts;
}

void load_game_fonts() {
  GameFonts& fonts = game_fonts();
  font_load(fonts.main, "@font.png", main_font_characters());
  font_load(fonts.numbers, "@numbers.png", kDigitCharacters);
  font_load(fonts.numbers_condensed, "@numbers-condensed.png", kDigitCharacters);
}

}  // namespace br
