// Decoded pictures in memory and their mipmap chains. Pixels are 8 bits per component, rows
// top to bottom; the chain's levels follow the base level in the same buffer, each half the
// size of the one before (never below 1), down to 1 x 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace br {

// Dimensions beyond this are refused by every decoder: no texture of the game is larger, and
// a lying header must not make us allocate gigabytes.
constexpr int kMaxImageDimension = 8192;
// What the renderer uploads at most: a texture side of 4096 (the common limit of the cards the
// game draws with) and, for an animation, all its frames together at that size in RGBA.
// Bigger textures are refused with a message rather than decoded, resampled and chained.
constexpr int kMaxTextureSide = 4096;
constexpr size_t kMaxTextureBytes = size_t{kMaxTextureSide} * kMaxTextureSide * 4;

struct Image {
  int width = 0;
  int height = 0;
  int components = 0;  // 1 (grey, shadow maps only), 3 (RGB) or 4 (RGBA)
  int levels = 1;      // levels held in `pixels`, the base level included
  std::vector<uint8_t> pixels;
};

enum class MipRule {
  kAverage,   // alpha is the average of each 2 x 2 block
  kMaxAlpha,  // alpha is the maximum, so thin opaque details survive in the small levels
};

inline int mip_dimension(int size, int level) {
  int s = size >> level;
  return s < 1 ? 1 : s;
}
// Levels of a full chain for these dimensions: down to 1 x 1.
int full_chain_levels(int width, int height);
size_t level_bytes(const Image& image, int level);
size_t level_offset(const Image& image, int level);
inline bool is_power_of_two(int v) {
  return v > 0 && (v & (v - 1)) == 0;
}
int next_power_of_two(int v);

// A base-level image of these dimensions with every byte zero.
Image make_image(int width, int height, int components);

// Replaces whatever levels follow the base level with a computed full chain.
void build_mip_chain(Image& image, MipRule rule);

// Nearest-neighbour resampling of the base level to the powers of two at or above its
// dimensions; the result holds the base level only.
Image resample_to_power_of_two(const Image& image);

// Copies a chain the artist drew: the base level fills the upper two thirds of `picture` and
// the smaller levels sit side by side below it, left to right. Returns nothing when the
// levels do not fit in the picture.
std::optional<Image> extract_custom_chain(const Image& picture);

// Drops up to `count` levels from the top of the chain, stopping early at a level whose width
// or height is 128 or less. Returns the number of levels dropped.
int skip_levels(Image& image, int count);

// The RGB border colour: the most frequent colour along the four edges of the base level,
// counted in an 8 x 8 x 8 histogram; the colour is the mean of the edge pixels in the winning
// bin. Components are 0..1, alpha is 1.
std::array<float, 4> edge_border_colour(const Image& image);

}  // namespace br
