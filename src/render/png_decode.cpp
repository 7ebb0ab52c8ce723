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

// libpng allocates what a chunk declares before reading it, and a few bytes of PNG may
// declare gigabytes; no chunk of a real picture comes near these.
constexpr png_alloc_size_t kMaxPngChunkBytes = 8u << 20;
constexpr png_uint_32 kMaxPngAncillaryChunks = 256;
// Deflate shrinks data at most about 1032 times, so pixels that need more than this many
// bytes per compressed byte cannot all be in the file: it is cut short or lying.
constexpr size_t kMaxDeflateRatio = 1032;

// libpng allocates a chunk's declared length before reading its data. The whole file is in
// memory, so a chunk that claims more bytes than follow it is refused before libpng sees it.
bool chunks_fit(std::span<const uint8_t> bytes) {
  constexpr size_t kSignature = 8, kHeader = 8, kCrc = 4;  // around each chunk's data
  size_t pos = kSignature;
  while (pos <= bytes.size() && bytes.size() - pos >= kHeader) {
    const uint8_t* p = bytes.data() + pos;
    size_t length = size_t{p[0]} << 24 | size_t{p[1]} << 16 | size_t{p[2]} << 8 | p[3];
    if (length + kCrc > bytes.size() - pos - kHeader) return false;
    if (std::memcmp(p + 4, "IEND", 4) == 0) return true;
    pos += kHeader + length + kCrc;
  }
  return true;  // cut short between chunks: libpng says so itself
}

void set_limits(png_structp png, int max_side) {
  png_set_user_limits(png, max_side, max_side);
  png_set_chunk_malloc_max(png, kMaxPngChunkBytes);
  png_set_chunk_cache_max(png, kMaxPngAncillaryChunks);
}

// Checked before the pixels are allocated: the rows as stored, with their filter bytes,
// must fit in what the file's bytes can inflate to.
void check_data_suffices(png_structp png, png_infop info, size_t file_bytes) {
  size_t rows = png_get_image_height(png, info);
  size_t stored = rows * (png_get_rowbytes(png, info) + 1);
  if (stored / kMaxDeflateRatio > file_bytes) png_error(png, "PNG data too short for its size");
}

// A reader for `bytes` that reports into `src`, or null with the reason in `error`. The
// jump point must be set by the caller, in the frame that outlives the reading.
png_structp start_reading(std::span<const uint8_t> bytes, PngSource& src, std::string* error) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    *error = "Not a PNG image";
    return nullptr;
  }
  if (!chunks_fit(bytes)) {
    *error = "PNG chunk longer than the file";
    return nullptr;
  }
  src.bytes = bytes;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, on_error, on_warning);
  if (!png) *error = "Can't start the PNG reader";
  return png;
}

}  // namespace

std::optional<Image> decode_png(std::span<const uint8_t> bytes, std::string* metadata,
                                std::string* error) {
  auto src = std::make_unique<PngSource>();
  png_structp png = start_reading(bytes, *src, error);
  if (!png) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  png_infop end_info = png_create_info_struct(png);
  if (!info || !end_info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, &end_info);
    *error = "PNG error: " + (src->libpng_error.empty() ? "out of memory" : src->libpng_error);
    return std::nullopt;
  }
  png_set_read_fn(png, src.get(), read_from_memory);
  set_limits(png, kMaxTextureSide);
  png_read_info(png, info);
  check_data_suffices(png, info, bytes.size());

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
  auto src = std::make_unique<PngSource>();
  png_structp png = start_reading(bytes, *src, error);
  if (!png) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  // The samples live outside the jump's reach so a failure cannot leak them.
  auto out = std::make_unique<GreySamples16>();
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    *error = "PNG error: " + (src->libpng_error.empty() ? "out of memory" : src->libpng_error);
    return std::nullopt;
  }
  png_set_read_fn(png, src.get(), read_from_memory);
  set_limits(png, kMaxImageDimension + 1);
  png_read_info(png, info);
  check_data_suffices(png, info, bytes.size());
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
