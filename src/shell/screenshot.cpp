#include "shell/screenshot.h"

#include <png.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "files/data_file.h"
#include "files/data_index.h"
#include "files/messages.h"
#include "platform/log.h"

namespace br {
namespace {

constexpr char kShotPrefix[] = "screenshot";

// The number after "screenshot" at the start of a data name, or -1.
long shot_number(const std::string& name) {
  constexpr size_t n = sizeof kShotPrefix - 1;
  if (name.compare(0, n, kShotPrefix) != 0) return -1;
  if (name.size() <= n || !std::isdigit(static_cast<unsigned char>(name[n]))) return -1;
  return std::strtol(name.c_str() + n, nullptr, 10);
}

void append_bytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

}  // namespace

int next_screenshot_number(World& w, const std::vector<std::string>& data_files) {
  if (w.screenshot_counter == 0) {
    long largest = 0;
    for (const std::string& name : data_files) largest = std::max(largest, shot_number(name));
    w.screenshot_counter = static_cast<int>(std::min<long>(largest, 1 << 30));
  }
  return ++w.screenshot_counter;
}

std::vector<uint8_t> encode_png_rgb(int width, int height, const uint8_t* rgb_top_first) {
  std::vector<uint8_t> out;
  if (width <= 0 || height <= 0 || !rgb_top_first) return out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return out;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, append_bytes, nullptr);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, const_cast<png_bytep>(rgb_top_first + static_cast<size_t>(y) * width * 3));
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

void save_screenshot(World& w, int width, int height, const std::vector<uint8_t>& rgb_top_first) {
  int number = next_screenshot_number(w, data_file_list());
  char name[64];
  std::snprintf(name, sizeof name, "@screenshot%03d.png", number);
  std::vector<uint8_t> png = rgb_top_first.empty()
                                 ? std::vector<uint8_t>{}
                                 : encode_png_rgb(width, height, rgb_top_first.data());
  if (!png.empty()) {
    std::string_view bytes(reinterpret_cast<const char*>(png.data()), png.size());
    if (!data_replace_file(name, bytes)) kota::log_printf("Can't write %s\n", name);
  }
  show_message("Saved \"screenshot%03d.png\"", number);
}

}  // namespace br
