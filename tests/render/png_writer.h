// Writes PNG files with libpng directly, in the colour types other programs produce, so the
// game's reader is tested against pictures it did not write itself.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace br_test {

struct PngPicture {
  int width = 1;
  int height = 1;
  int colour_type = PNG_COLOR_TYPE_RGB;
  int bit_depth = 8;
  std::vector<uint8_t> rows;  // packed rows as libpng expects them for the type and depth
  std::vector<png_color> palette;
  std::vector<uint8_t> trns_alpha;  // palette transparency
  bool trns_colour = false;         // grey/RGB transparency colour
  png_color_16 trns_value{};
  std::vector<std::pair<std::string, std::string>> texts;
  bool interlaced = false;
};

inline void append_bytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}
inline void flush_nothing(png_structp) {}

inline std::string encode_png(const PngPicture& picture) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return "";
  }
  png_set_write_fn(png, &out, append_bytes, flush_nothing);
  png_set_IHDR(png, info, picture.width, picture.height, picture.bit_depth, picture.colour_type,
               picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!picture.palette.empty()) {
    png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
  }
  if (!picture.trns_alpha.empty()) {
    png_set_tRNS(png, info, picture.trns_alpha.data(), static_cast<int>(picture.trns_alpha.size()),
                 nullptr);
  } else if (picture.trns_colour) {
    png_color_16 value = picture.trns_value;
    png_set_tRNS(png, info, nullptr, 0, &value);
  }
  std::vector<png_text> texts(picture.texts.size());
  for (size_t i = 0; i < picture.texts.size(); ++i) {
    texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
    texts[i].key = const_cast<char*>(picture.texts[i].first.c_str());
    texts[i].text = const_cast<char*>(picture.texts[i].second.c_str());
  }
  if (!texts.empty()) png_set_text(png, info, texts.data(), static_cast<int>(texts.size()));
  png_write_info(png, info);
  size_t stride = picture.rows.size() / picture.height;
  std::vector<png_bytep> rows(picture.height);
  for (int y = 0; y < picture.height; ++y) {
    rows[y] = const_cast<png_bytep>(picture.rows.data() + y * stride);
  }
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// An 8-bit RGB or RGBA picture from packed pixels.
inline std::string encode_png_pixels(int width, int height, int components,
                                     const std::vector<uint8_t>& pixels,
                                     std::vector<std::pair<std::string, std::string>> texts = {}) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  picture.colour_type = components == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB;
  picture.rows = pixels;
  picture.texts = std::move(texts);
  return encode_png(picture);
}

}  // namespace br_test
