#include "track/terrain_format.h"

#include <cmath>
#include <cstdio>

namespace br {

uint16_t quantise_height(float height, const TerrainHeader& h) {
  float range = h.max_height - h.min_height;
  if (range <= 0.0f) return 0;
  float v = std::round((height - h.min_height) / range * 65535.0f);
  if (v < 0.0f) v = 0.0f;
  if (v > 65535.0f) v = 65535.0f;
  return static_cast<uint16_t>(v);
}

float height_from_sample(uint16_t value, const TerrainHeader& h) {
  return h.min_height + value * (h.max_height - h.min_height) / 65535.0f;
}

std::string format_terrain_file(const TerrainHeader& h, const std::vector<uint16_t>& samples) {
  char head[128];
  int n = std::snprintf(head, sizeof head, "%d %f %f %f\n%c", h.size_exp, h.spacing, h.min_height,
                        h.max_height, kInlineHeightsMark);
  std::string out(head, static_cast<size_t>(n));
  out.reserve(out.size() + samples.size() * 2);
  for (uint16_t v : samples) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>(v >> 8));
  }
  return out;
}

std::optional<ParsedTerrain> parse_terrain_header(const std::string& bytes) {
  // The header is short text; copy a bounded prefix so sscanf never runs into the samples.
  std::string head = bytes.substr(0, 256);
  ParsedTerrain p;
  int used = 0;
  if (std::sscanf(head.c_str(), "%d %f %f %f %n", &p.header.size_exp, &p.header.spacing,
                  &p.header.min_height, &p.header.max_height, &used) < 4 ||
      used == 0) {
    return std::nullopt;
  }
  if (p.header.size_exp < 0 || p.header.size_exp > kMaxTerrainSizeExp) return std::nullopt;
  // Every size derived from the header must stay a number: a spacing that is not positive
  // would make queries divide by nonsense, an extent or a height range that overflows gives
  // infinite or NaN ground.
  const TerrainHeader& h = p.header;
  float extent = h.spacing * static_cast<float>(terrain_side(h.size_exp) - 1);
  if (!(h.spacing > 0.0f) || !std::isfinite(extent) || !std::isfinite(h.min_height) ||
      !std::isfinite(h.max_height) || !std::isfinite((h.max_height - h.min_height) * 65535.0f)) {
    return std::nullopt;
  }
  if (static_cast<size_t>(used) < bytes.size() && bytes[used] == kInlineHeightsMark) {
    p.inline_heights = true;
    p.samples_offset = static_cast<size_t>(used) + 1;
  }
  return p;
}

}  // namespace br
