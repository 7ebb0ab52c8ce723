#include "render/image.h"

#include <algorithm>
#include <cstring>

namespace br {

int full_chain_levels(int width, int height) {
  int levels = 1;
  while (width > 1 || height > 1) {
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    ++levels;
  }
  return levels;
}

size_t level_bytes(const Image& image, int level) {
  return static_cast<size_t>(mip_dimension(image.width, level)) *
         static_cast<size_t>(mip_dimension(image.height, level)) *
         static_cast<size_t>(image.components);
}

size_t level_offset(const Image& image, int level) {
  size_t offset = 0;
  for (int i = 0; i < level; ++i) offset += level_bytes(image, i);
  return offset;
}

int next_power_of_two(int v) {
  int p = 1;
  while (p < v && p < (1 << 30)) p <<= 1;
  return p;
}

Image make_image(int width, int height, int components) {
  Image image;
  image.width = width;
  image.height = height;
  image.components = components;
  image.pixels.assign(static_cast<size_t>(width) * height * components, 0);
  return image;
}

namespace {

// One level from the one above it. `sw`, `sh` are the source dimensions.
void reduce_level(const uint8_t* src, int sw, int sh, uint8_t* dst, int components, MipRule rule) {
  int dw = sw > 1 ? sw / 2 : 1;
  int dh = sh > 1 ? sh / 2 : 1;
  int bw = sw > 1 ? 2 : 1;  // block size actually available on each axis
  int bh = sh > 1 ? 2 : 1;
  int count = bw * bh;
  for (int y = 0; y < dh; ++y) {
    for (int x = 0; x < dw; ++x) {
      const uint8_t* block[4];
      int n = 0;
      for (int by = 0; by < bh; ++by) {
        for (int bx = 0; bx < bw; ++bx) {
          block[n++] = src + (static_cast<size_t>(y * bh + by) * sw + (x * bw + bx)) * components;
        }
      }
      uint8_t* out = dst + (static_cast<size_t>(y) * dw + x) * components;
      if (components != 4) {
        for (int c = 0; c < components; ++c) {
          int sum = 0;
          for (int i = 0; i < count; ++i) sum += block[i][c];
          out[c] = static_cast<uint8_t>(sum / count);
        }
        continue;
      }
      int alpha_sum = 0, alpha_max = 0;
      for (int i = 0; i < count; ++i) {
        alpha_sum += block[i][3];
        alpha_max = std::max<int>(alpha_max, block[i][3]);
      }
      // Fully clear or fully opaque blocks weigh every pixel alike; otherwise the colour of
      // transparent pixels must not bleed into the visible ones.
      bool weighted = alpha_sum != 0 && alpha_sum != 255 * count;
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int i = 0; i < count; ++i) sum += weighted ? block[i][c] * block[i][3] : block[i][c];
        out[c] = static_cast<uint8_t>(weighted ? sum / alpha_sum : sum / count);
      }
      out[3] = static_cast<uint8_t>(rule == MipRule::kMaxAlpha ? alpha_max : alpha_sum / count);
    }
  }
}

}  // namespace

void build_mip_chain(Image& image, MipRule rule) {
  image.levels = full_chain_levels(image.width, image.height);
  // One allocation for the whole chain plus one level's slack, as the uploader expects.
  size_t total = level_offset(image, image.levels);
  image.pixels.resize(total + level_bytes(image, image.levels - 1));
  for (int level = 1; level < image.levels; ++level) {
    reduce_level(image.pixels.data() + level_offset(image, level - 1),
                 mip_dimension(image.width, level - 1), mip_dimension(image.height, level - 1),
                 image.pixels.data() + level_offset(image, level), image.components, rule);
  }
  image.pixels.resize(total);
}

Image resample_to_power_of_two(const Image& image) {
  int nw = next_power_of_two(image.width);
  int nh = next_power_of_two(image.height);
  Image out = make_image(nw, nh, image.components);
  for (int y = 0; y < nh; ++y) {
    int sy = static_cast<int>(static_cast<int64_t>(y) * image.height / nh);
    for (int x = 0; x < nw; ++x) {
      int sx = static_cast<int>(static_cast<int64_t>(x) * image.width / nw);
      std::memcpy(&out.pixels[(static_cast<size_t>(y) * nw + x) * image.components],
                  &image.pixels[(static_cast<size_t>(sy) * image.width + sx) * image.components],
                  image.components);
    }
  }
  return out;
}

std::optional<Image> extract_custom_chain(const Image& picture) {
  Image out;
  out.width = picture.width;
  out.height = picture.height * 2 / 3;
  out.components = picture.components;
  if (out.height < 1) return std::nullopt;
  out.levels = full_chain_levels(out.width, out.height);
  out.pixels.resize(level_offset(out, out.levels));
  const size_t row_stride = static_cast<size_t>(picture.width) * picture.components;
  int x0 = 0, y0 = 0;
  for (int level = 0; level < out.levels; ++level) {
    int w = mip_dimension(out.width, level);
    int h = mip_dimension(out.height, level);
    if (x0 + w > picture.width || y0 + h > picture.height) return std::nullopt;
    uint8_t* dst = out.pixels.data() + level_offset(out, level);
    for (int y = 0; y < h; ++y) {
      std::memcpy(dst + static_cast<size_t>(y) * w * out.components,
                  picture.pixels.data() + (y0 + y) * row_stride +
                      static_cast<size_t>(x0) * picture.components,
                  static_cast<size_t>(w) * out.components);
    }
    if (level == 0) {
      y0 = out.height;
    } else {
      x0 += w;
    }
  }
  return out;
}

int skip_levels(Image& image, int count) {
  int skipped = 0;
  while (skipped < count && skipped + 1 < image.levels) {
    int w = mip_dimension(image.width, skipped);
    int h = mip_dimension(image.height, skipped);
    if (w <= 128 || h <= 128) break;
    ++skipped;
  }
  if (skipped == 0) return 0;
  size_t start = level_offset(image, skipped);
  image.pixels.erase(image.pixels.begin(), image.pixels.begin() + static_cast<ptrdiff_t>(start));
  image.width = mip_dimension(image.width, skipped);
  image.height = mip_dimension(image.height, skipped);
  image.levels -= skipped;
  return skipped;
}

std::array<float, 4> edge_border_colour(const Image& image) {
  std::array<float, 4> colour = {0, 0, 0, 1};
  if (image.width < 1 || image.height < 1 || image.components < 3) return colour;
  struct Bin {
    int count = 0;
    int sum[3] = {0, 0, 0};
  };
  std::vector<Bin> bins(512);
  auto count_pixel = [&](int x, int y) {
    const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * image.components];
    Bin& b = bins[(p[0] >> 5) * 64 + (p[1] >> 5) * 8 + (p[2] >> 5)];
    ++b.count;
    for (int c = 0; c < 3; ++c) b.sum[c] += p[c];
  };
  for (int x = 0; x < image.width; ++x) {
    count_pixel(x, 0);
    if (image.height > 1) count_pixel(x, image.height - 1);
  }
  for (int y = 1; y + 1 < image.height; ++y) {
    count_pixel(0, y);
    if (image.width > 1) count_pixel(image.width - 1, y);
  }
  const Bin* best = &bins[0];
  for (const Bin& b : bins) {
    if (b.count > best->count) best = &b;
  }
  for (int c = 0; c < 3; ++c) colour[c] = best->sum[c] / (best->count * 255.0f);
  return colour;
}

}  // namespace br
