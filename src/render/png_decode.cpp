// PNG reading through libpng, from memory. libpng reports errors by longjmp, so everything
// that must survive one lives in a heap record created before the jump point.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>

#include "render/image_formats.h"

namespace br {
namespace {

struct PngSource {
  std::span<const uint8_t> bytes;
  size_t position = 0;
  std::string libpng_error;
  Image image;
  std::vector<png_bytep> rows;
};

void read_from_memory(png_structp png, png_bytep out, png_size_t count) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (count > src->bytes.size() - src->position) png_error(png, "Truncated PNG data");
  std::memcpy(out, src->bytes.data() + src->position, count);
  src->position += count;
}

void on_error(png_structp png, png_const_charp message) {
  auto* src = static_cast<PngSource*>(png_get_error_ptr(png));
  src->libpng_error = message;
  png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

}  // namespace

std::optional<Image> decode_png(std::span<const uint8_t> bytes, std::string* metadata,
                                std::string* error) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    *error = "Not a PNG image";
    return std::nullopt;
  }
  auto src = std::make_unique<PngSource>();
  src->bytes = bytes;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, src.get(), on_error, on_warning);
  if (!png) {
    *error = "Can't start the PNG reader";
    return std::nullopt;
  }
  png_infop info = png_create_info_struct(png);
  png_infop end_info = png_create_info_struct(png);
  if (!info || !end_info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, &end_info);
    *error = "PNG error: " + (src->libpng_error.empty() ? "out of memory" : src->libpng_error);
    return std::nullopt;
  }
  png_set_read_fn(png, src.get(), read_from_memory);
  png_set_user_limits(png, kMaxImageDimension, kMaxImageDimension);
  png_read_info(png, info);

  int colour_type = png_get_color_type(png, info);
  int bit_depth = png_get_bit_depth(png, info);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY && bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (bit_depth == 16) png_set_strip_16(png);
  if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  int channels = png_get_channels(png, info);
  if ((channels != 3 && channels != 4) || png_get_bit_depth(png, info) != 8) {
    png_error(png, "Unsupported PNG layout");
  }
  int width = static_cast<int>(png_get_image_width(png, info));
  int height = static_cast<int>(png_get_image_height(png, info));
  src->image = make_image(width, height, channels);
  src->rows.resize(height);
  for (int y = 0; y < height; ++y) {
    src->rows[y] = src->image.pixels.data() + static_cast<size_t>(y) * width * channels;
  }
  png_read_image(png, src->rows.data());
  png_read_end(png, end_info);

  for (png_infop where : {info, end_info}) {
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, where, &texts, &count);
    for (int i = 0; i < count; ++i) {
      if (texts[i].text) metadata->append(texts[i].text);
    }
  }
  png_destroy_read_struct(&png, &info, &end_info);
  return std::move(src->image);
}

std::optional<GreySamples16> decode_png_grey16(std::span<const uint8_t> bytes, std::string* error) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    *error = "Not a PNG image";
    return std::nullopt;
  }
  auto src = std::make_unique<PngSource>();
  src->bytes = bytes;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, src.get(), on_error, on_warning);
  if (!png) {
    *error = "Can't start the PNG reader";
    return std::nullopt;
  }
  png_infop info = png_create_info_struct(png);
  // The samples live outside the jump's reach so a failure cannot leak them.
  auto out = std::make_unique<GreySamples16>();
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    *error = "PNG error: " + (src->libpng_error.empty() ? "out of memory" : src->libpng_error);
    return std::nullopt;
  }
  png_set_read_fn(png, src.get(), read_from_memory);
  png_set_user_limits(png, kMaxImageDimension + 1, kMaxImageDimension + 1);
  png_read_info(png, info);
  int colour_type = png_get_color_type(png, info);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour_type & PNG_COLOR_MASK_COLOR) png_set_rgb_to_gray_fixed(png, 1, -1, -1);
  png_set_strip_alpha(png);
  png_set_expand_16(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_channels(png, info) != 1 || png_get_bit_depth(png, info) != 16) {
    png_error(png, "Unsupported PNG layout");
  }
  out->width = static_cast<int>(png_get_image_width(png, info));
  out->height = static_cast<int>(png_get_image_height(png, info));
  size_t w = static_cast<size_t>(out->width), h = static_cast<size_t>(out->height);
  // Rows are read straight into the samples, big-endian as stored, and swapped after.
  out->samples.resize(w * h);
  auto* raw = reinterpret_cast<uint8_t*>(out->samples.data());
  src->rows.resize(h);
  for (size_t y = 0; y < h; ++y) src->rows[y] = raw + y * w * 2;
  png_read_image(png, src->rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  for (size_t k = 0; k < w * h; ++k) {
    out->samples[k] = static_cast<uint16_t>(raw[2 * k] << 8 | raw[2 * k + 1]);
  }
  return std::move(*out);
}

}  // namespace br
