// A small PNG reader for the data kit's tests: RGBA pixels and the text chunks.
#pragma once

#include <png.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace br_test {

struct DecodedPng {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;  // rows top to bottom
  std::string text;
  const unsigned char* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

struct PngSource {
  std::string bytes;
  size_t at = 0;
};

inline void png_source_read(png_structp png, png_bytep data, png_size_t size) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (src->at + size > src->bytes.size()) png_error(png, "truncated");
  std::memcpy(data, src->bytes.data() + src->at, size);
  src->at += size;
}

// Decodes from memory, so that nothing but libpng's own state crosses its error jump.
inline DecodedPng read_png(const std::string& path) {
  DecodedPng out;
  PngSource src{read_file(path)};
  if (src.bytes.empty()) return out;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return DecodedPng{};
  }
  png_set_read_fn(png, &src, png_source_read);
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
  out.ok = true;
  return out;
}

}  // namespace br_test
