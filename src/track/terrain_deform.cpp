#include "track/terrain_deform.h"

#include <algorithm>
#include <cmath>

#include "track/terrain_queries.h"

namespace br {
namespace {

// Forces whose square is this small (lb^2) carry no direction worth moving dirt along.
constexpr float kLeastPush2 = 1.0f / 1024;

const TileType* tile_under(const Terrain& t, float x, float z) {
  if (t.tiles.empty() || t.tilemap.empty()) return nullptr;
  size_t i = static_cast<size_t>(std::max(tile_at(t, x, z), 0));
  return &t.tiles[std::min(i, t.tiles.size() - 1)];
}

// Where `v` lies between `low` (0) and `high` (1), clamped; a tile whose two values are equal
// or reversed switches fully at `low`.
float ramp(float v, float low, float high) {
  if (!(high > low)) return v > low ? 1.0f : 0.0f;
  return std::clamp((v - low) / (high - low), 0.0f, 1.0f);
}

}  // namespace

void deform_terrain(Terrain& t, TerrainLod& lod, float x, float z, float radius, float amount) {
  if (amount == 0.0f || t.locked || !t.loaded()) return;
  if (!std::isfinite(x) || !std::isfinite(z) || !std::isfinite(amount) || !(radius > 0.0f)) {
    return;
  }
  const float d = t.spacing;
  const float r = radius / d;  // grid units
  const float u = x / d, v = z / d;
  // A radius wider than the grid touches no more than the grid; a point far outside, nothing.
  const int m = static_cast<int>(std::min(std::ceil(r), static_cast<float>(t.side)));
  const float reach = static_cast<float>(t.side + m);
  if (!(u > -reach && u < reach && v > -reach && v < reach)) return;
  const int c0 = static_cast<int>(std::floor(u)), r0 = static_cast<int>(std::floor(v));
  const int first_c = std::max(c0 - m + 1, 0), last_c = std::min(c0 + m, t.side - 1);
  const int first_r = std::max(r0 - m + 1, 0), last_r = std::min(r0 + m, t.side - 1);
  if (first_c > last_c || first_r > last_r) return;
  if (t.loaded_heights.empty()) t.loaded_heights = t.heights;

  for (int row = first_r; row <= last_r; ++row) {
    float* heights = &t.heights[static_cast<size_t>(t.side) * row];
    for (int column = first_c; column <= last_c; ++column) {
      const float s = std::hypot(u - static_cast<float>(column), v - static_cast<float>(row));
      if (s > r) continue;
      const float q = s / r;
      const float w = 2 * q * q * q - 3 * q * q + 1;
      float& h = heights[column];
      h += amount * w;
      t.max_height = std::max(t.max_height, h);
      t.min_height = std::min(t.min_height, h);
    }
  }
  t.modified = true;
  ++t.changes;
  // The samples this block really covers: the detail tree must look again at every one.
  terrain_lod_mark_changed(lod, static_cast<float>(first_c) * d, static_cast<float>(first_r) * d,
                           static_cast<float>(last_c) * d, static_cast<float>(last_r) * d);
}

bool record_wheel_mark(const Terrain& t, const WheelTouch& touch, MarkRing& ring) {
  if (!(touch.depth > 0.0f) || ring.full()) return false;
  const TileType* tile = tile_under(t, touch.x, touch.z);
  if (!tile) return false;
  const float u = ramp(touch.speed, tile->erode[kErodeOffSpeed], tile->erode[kErodeOnSpeed]);
  const WheelMark mark{touch.x, touch.z, u * touch.fx, u * touch.fz};
  const float push2 = mark.fx * mark.fx + mark.fz * mark.fz;
  const float lower = tile->erode[kErodeLower];
  if (!(push2 > lower * lower) || !(push2 > kLeastPush2)) return false;
  return ring.push(mark);
}

bool move_dirt(Terrain& t, TerrainLod& lod, const WheelMark& mark, float erosion) {
  const TileType* tile = tile_under(t, mark.x, mark.z);
  if (!tile) return false;
  const auto& e = tile->erode;
  const float push = std::sqrt(mark.fx * mark.fx + mark.fz * mark.fz);
  if (!(push > 0.0f)) return false;
  const float distance = ramp(push, e[kErodeLower], e[kErodeUpper]) * e[kErodeDisplacement];
  // The ground pushed the wheel one way, so the wheel pushed the dirt the other.
  const float to_x = mark.x - mark.fx / push * distance;
  const float to_z = mark.z - mark.fz / push * distance;
  const float rise = terrain_height(t, to_x, to_z) - terrain_height(t, mark.x, mark.z);
  if (rise > distance * e[kErodeMaxSlope]) return false;
  const float amount = erosion / 2048 * e[kErodeDepth];
  if (amount == 0.0f) return false;
  deform_terrain(t, lod, mark.x, mark.z, e[kErodeRadius], -amount);
  deform_terrain(t, lod, to_x, to_z, e[kErodeRadius], amount);
  return true;
}

int work_off_marks(Terrain& t, TerrainLod& lod, MarkRing& ring, float frame_x, float frame_z,
                   float erosion) {
  int done = 0;
  for (; done < kMarksPerStep && !ring.empty(); ++done) {
    const WheelMark mark = ring.oldest();
    const float dx = mark.x - frame_x, dz = mark.z - frame_z;
    if (dx * dx + dz * dz < kMarkClearance * kMarkClearance) break;
    ring.pop();
    move_dirt(t, lod, mark, erosion);
  }
  return done;
}

TerrainChange terrain_change(const Terrain& t) {
  return terrain_change_near(t, 0.5f * t.extent, 0.5f * t.extent, t.extent);
}

TerrainChange terrain_change_near(const Terrain& t, float x, float z, float reach) {
  TerrainChange change;
  if (t.loaded_heights.size() != t.heights.size() || t.side < 1 || !(t.spacing > 0.0f)) {
    return change;
  }
  if (!std::isfinite(x) || !std::isfinite(z) || !(reach >= 0.0f)) return change;
  const float last = static_cast<float>(t.side - 1);
  const float c0 = std::max(std::ceil((x - reach) / t.spacing), 0.0f);
  const float c1 = std::min(std::floor((x + reach) / t.spacing), last);
  const float r0 = std::max(std::ceil((z - reach) / t.spacing), 0.0f);
  const float r1 = std::min(std::floor((z + reach) / t.spacing), last);
  if (!(c0 <= c1 && r0 <= r1)) return change;
  for (int r = static_cast<int>(r0); r <= static_cast<int>(r1); ++r) {
    for (int c = static_cast<int>(c0); c <= static_cast<int>(c1); ++c) {
      const size_t i = static_cast<size_t>(c) + static_cast<size_t>(t.side) * r;
      const float diff = t.heights[i] - t.loaded_heights[i];
      if (diff == 0.0f) continue;
      ++change.samples;
      change.deepest_cut = std::max(change.deepest_cut, -diff);
      change.highest_heap = std::max(change.highest_heap, diff);
      if (diff <= -0.1f) ++change.cut_tenth;
    }
  }
  return change;
}

}  // namespace br
