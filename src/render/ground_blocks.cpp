#include "render/ground_blocks.h"

#include <algorithm>
#include <cmath>

namespace br {

int ground_levels(const Terrain& t) {
  int levels = 0;
  while ((1 << levels) < t.tile_side) ++levels;
  return levels;
}

int low_detail_cells(const Terrain& t) {
  return std::min(1 << kLowDetailLevel, std::max(1, t.tile_side));
}

int low_detail_blocks(const Terrain& t) {
  return std::max(1, t.tile_side / low_detail_cells(t));
}

int light_textures_per_side(int tile_side) {
  return std::max(1, (2 * tile_side + kLightUseful - 1) / kLightUseful);
}

BlockWindow ring_window(const Terrain& t, int level, float eye_x, float eye_z) {
  const int blocks = std::max(1, t.tile_side >> level);
  const float block_feet = t.tile_size * static_cast<float>(1 << level);
  BlockWindow w;
  w.count = std::min(kRingBlocks, blocks);
  auto first = [&](float e) {
    float corner = std::round(e / block_feet);
    int c = static_cast<int>(std::clamp(corner, 0.0f, static_cast<float>(blocks)));
    return std::clamp(c - kRingBlocks / 2, 0, blocks - w.count);
  };
  w.x0 = first(eye_x);
  w.z0 = first(eye_z);
  return w;
}

std::vector<uint8_t> ground_light(const Terrain& t) {
  const size_t n = static_cast<size_t>(t.side) * t.side;
  const bool shaded = t.shading.size() == n * 3;
  const bool shadowed = t.shadows.size() == n;
  std::vector<uint8_t> rgb(n * 3);
  for (size_t i = 0; i < n; ++i) {
    float keep = shadowed ? 1.0f - (1.0f - kShadowKeeps) * t.shadows[i] / 255.0f : 1.0f;
    for (size_t k = 0; k < 3; ++k) {
      float base = shaded ? t.shading[3 * i + k] : 128.0f;
      rgb[3 * i + k] = static_cast<uint8_t>(std::clamp(std::lround(base * keep), 0L, 255L));
    }
  }
  return rgb;
}

void decal_coords(const GroundDecal& d, float x, float z, float* u, float* v) {
  float dx = x - d.x, dz = z - d.z;
  *u = (dx * d.cos_angle + dz * d.sin_angle) / d.size_a + 0.5f;
  *v = (-dx * d.sin_angle + dz * d.cos_angle) / d.size_b + 0.5f;
}

bool decal_overlaps(const GroundDecal& d, const Terrain& t, int x0, int z0, int n) {
  float reach = 0.5f * std::hypot(d.size_a, d.size_b);
  float lo_x = static_cast<float>(x0) * t.tile_size,
        hi_x = static_cast<float>(x0 + n) * t.tile_size;
  float lo_z = static_cast<float>(z0) * t.tile_size,
        hi_z = static_cast<float>(z0 + n) * t.tile_size;
  return d.x + reach > lo_x && d.x - reach < hi_x && d.z + reach > lo_z && d.z - reach < hi_z;
}

void sample_picture(const Image& image, int level, float u, float v, float rgba[4]) {
  level = std::clamp(level, 0, std::max(0, image.levels - 1));
  const int w = mip_dimension(image.width, level), h = mip_dimension(image.height, level);
  const int comps = image.components;
  const uint8_t* base = image.pixels.data() + level_offset(image, level);
  float fx = u * static_cast<float>(w) - 0.5f, fy = v * static_cast<float>(h) - 0.5f;
  int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  float ax = fx - static_cast<float>(x0), ay = fy - static_cast<float>(y0);
  auto texel = [&](int x, int y, int k) -> float {
    x = std::clamp(x, 0, w - 1);
    y = std::clamp(y, 0, h - 1);
    const uint8_t* p = base + (static_cast<size_t>(y) * w + x) * comps;
    if (comps < 3) return k == 3 ? (comps == 2 ? p[1] : 255.0f) : p[0];
    return k < 3 ? p[k] : (comps == 4 ? p[3] : 255.0f);
  };
  for (int k = 0; k < 4; ++k) {
    float top = texel(x0, y0, k) * (1 - ax) + texel(x0 + 1, y0, k) * ax;
    float bottom = texel(x0, y0 + 1, k) * (1 - ax) + texel(x0 + 1, y0 + 1, k) * ax;
    rgba[k] = top * (1 - ay) + bottom * ay;
  }
}

int picture_level_for(const Image& image, float texels_across) {
  int level = 0;
  while (level + 1 < image.levels &&
         static_cast<float>(mip_dimension(image.width, level + 1)) >= texels_across) {
    ++level;
  }
  return level;
}

namespace {

// Bilinear light at (sx, sz) in sample units.
void sample_light(const std::vector<uint8_t>& light, int side, float sx, float sz, float out[3]) {
  int x0 = static_cast<int>(std::floor(sx)), z0 = static_cast<int>(std::floor(sz));
  float ax = sx - static_cast<float>(x0), az = sz - static_cast<float>(z0);
  auto at = [&](int x, int z, int k) -> float {
    x = std::clamp(x, 0, side - 1);
    z = std::clamp(z, 0, side - 1);
    return light[(static_cast<size_t>(z) * side + x) * 3 + k];
  };
  for (int k = 0; k < 3; ++k) {
    float a = at(x0, z0, k) * (1 - ax) + at(x0 + 1, z0, k) * ax;
    float b = at(x0, z0 + 1, k) * (1 - ax) + at(x0 + 1, z0 + 1, k) * ax;
    out[k] = a * (1 - az) + b * az;
  }
}

}  // namespace

void compose_ground_block(const Terrain& t, const std::vector<GroundDecal>& decals,
                          const std::vector<uint8_t>& light, int x0, int z0, int n, int size,
                          std::vector<uint8_t>& rgb) {
  rgb.assign(static_cast<size_t>(size) * size * 3, 0);
  const float cells_per_texel = static_cast<float>(n) / static_cast<float>(size);
  const bool lit = light.size() == static_cast<size_t>(t.side) * t.side * 3;
  std::vector<const GroundDecal*> near;
  for (const GroundDecal& d : decals) {
    if (d.image && decal_overlaps(d, t, x0, z0, n)) near.push_back(&d);
  }
  for (int row = 0; row < size; ++row) {
    const float cz = static_cast<float>(z0) + (static_cast<float>(row) + 0.5f) * cells_per_texel;
    for (int col = 0; col < size; ++col) {
      const float cx = static_cast<float>(x0) + (static_cast<float>(col) + 0.5f) * cells_per_texel;
      const int i = std::clamp(static_cast<int>(cx), 0, t.tile_side - 1);
      const int j = std::clamp(static_cast<int>(cz), 0, t.tile_side - 1);
      float colour[4] = {128, 128, 128, 255};
      const size_t cell = static_cast<size_t>(j) * t.tile_side + i;
      const Image* tile = nullptr;
      if (cell < t.tilemap.size() && t.tilemap[cell] < t.tiles.size()) {
        tile = t.tiles[t.tilemap[cell]].image;
      }
      if (tile && tile->components >= 3) {
        int level = picture_level_for(*tile, 1.0f / cells_per_texel);
        float w = static_cast<float>(mip_dimension(tile->width, level));
        float h = static_cast<float>(mip_dimension(tile->height, level));
        float u =
            (kTileInsetTexels + (cx - static_cast<float>(i)) * (w - 2 * kTileInsetTexels)) / w;
        float v =
            (kTileInsetTexels + (cz - static_cast<float>(j)) * (h - 2 * kTileInsetTexels)) / h;
        sample_picture(*tile, level, u, v, colour);
      }
      const float x = cx * t.tile_size, z = cz * t.tile_size;
      for (const GroundDecal* d : near) {
        float u, v;
        decal_coords(*d, x, z, &u, &v);
        if (u < 0 || u > 1 || v < 0 || v > 1) continue;
        float texels_across = static_cast<float>(size) * d->size_a / (t.tile_size * n);
        float px[4];
        sample_picture(*d->image, picture_level_for(*d->image, texels_across), u, v, px);
        float a = px[3] / 255.0f;
        for (int k = 0; k < 3; ++k) colour[k] += (px[k] - colour[k]) * a;
      }
      float l[3] = {255, 255, 255};
      if (lit) sample_light(light, t.side, 2 * cx, 2 * cz, l);
      uint8_t* out = &rgb[(static_cast<size_t>(row) * size + col) * 3];
      for (int k = 0; k < 3; ++k) {
        out[k] = static_cast<uint8_t>(std::clamp(std::lround(colour[k] * l[k] / 255.0f), 0L, 255L));
      }
    }
  }
}

}  // namespace br
