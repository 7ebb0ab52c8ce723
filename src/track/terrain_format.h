// The height-field file "terrain.hf": a text header "%d %f %f %f " (size exponent, sample
// spacing in feet, lowest and highest height in feet), then ':' and the samples inline as
// 16-bit little-endian values, row by row (row 0 first, columns growing with x).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace br {

struct TerrainHeader {
  int size_exp = 0;
  float spacing = 1.0f;     // feet between neighbouring samples
  float min_height = 0.0f;  // feet, stored value 0
  float max_height = 1.0f;  // feet, stored value 65535
};

constexpr char kInlineHeightsMark = ':';
constexpr int kMaxTerrainSizeExp = 12;

// Tile map cells per side (T) and height samples per side (S = 2T + 1).
inline int terrain_tile_side(int size_exp) {
  return 1 << size_exp;
}
inline int terrain_side(int size_exp) {
  return 2 * terrain_tile_side(size_exp) + 1;
}

// The stored 16-bit value nearest to a height, and the height a stored value stands for.
uint16_t quantise_height(float height, const TerrainHeader& h);
float height_from_sample(uint16_t value, const TerrainHeader& h);

// The whole file: header, the inline mark and S*S samples.
std::string format_terrain_file(const TerrainHeader& h, const std::vector<uint16_t>& samples);

struct ParsedTerrain {
  TerrainHeader header;
  bool inline_heights = false;
  size_t samples_offset = 0;  // byte offset of the first sample when inline
};

// Reads the header back; nothing when fewer than four numbers parse, the size exponent is out
// of range, the spacing is not positive or the ground's extent or height range would not be
// a finite number.
std::optional<ParsedTerrain> parse_terrain_header(const std::string& bytes);

}  // namespace br
