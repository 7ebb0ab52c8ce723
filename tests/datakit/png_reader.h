// A small PNG reader for the data kit's tests: RGBA pixels and the text chunks.
#pragma once

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace br_test {

struct DecodedPng {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;  // rows top to bottom
  std::string text;
  const unsigned char* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

inline DecodedPng read_png(const std::string& path) {
  DecodedPng out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return DecodedPng{};
  }
  png_init_io(png, f);
  png_read_png(png, info, PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_STRIP_16, nullptr);
  out.width = static_cast<int>(png_get_image_width(png, info));
  out.height = static_cast<int>(png_get_image_height(png, info));
  int channels = png_get_channels(png, info);
  png_bytepp rows = png_get_rows(png, info);
  out.rgba.resize(size_t(out.width) * out.height * 4);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      const png_byte* p = rows[y] + size_t(x) * channels;
      unsigned char* d = &out.rgba[(size_t(y) * out.width + x) * 4];
      d[0] = p[0], d[1] = channels >= 3 ? p[1] : p[0], d[2] = channels >= 3 ? p[2] : p[0];
      d[3] = channels == 4 ? p[3] : (channels == 2 ? p[1] : 255);
    }
  }
  png_textp texts = nullptr;
  int count = 0;
  png_get_text(png, info, &texts, &count);
  for (int i = 0; i < count; ++i) out.text += texts[i].text;
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  out.ok = true;
  return out;
}

}  // namespace br_test
