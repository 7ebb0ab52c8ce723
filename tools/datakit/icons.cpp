#include "icons.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "kit.h"
#include "pictures.h"

namespace kit {
namespace {

// The title picture's sky, from the top of the tile to its bottom.
constexpr Rgba kSkyTop{30, 40, 90, 255};
constexpr Rgba kSkyBottom{250, 150, 60, 255};
constexpr Rgba kDirt{95, 62, 38, 255};
constexpr Rgba kSun{255, 220, 120, 255};

// Fractions of the icon's size.
constexpr float kMargin = 1.0f / 16;  // icon themes expect a little air around the tile
constexpr float kCornerRadius = 0.16f;
constexpr float kRiderWidth = 0.70f;
constexpr float kRiderCentreHeight = 0.49f;
constexpr float kSunRadius = 0.13f;

// The rider's extent and centre at scale 1, from draw_flying_rider.
constexpr float kRiderSpan = 220;
constexpr float kRiderCentreX = 6;
constexpr float kRiderCentreY = -24;

Rgba sky_at(float y, int size) {
  return mix(kSkyTop, kSkyBottom, std::pow(std::clamp(y / size, 0.0f, 1.0f), 1.3f));
}

// Coverage of a pixel centre by the rounded tile: 1 inside, 0 outside, a ramp over one pixel.
float tile_coverage(float px, float py, int size) {
  const float lo = size * kMargin, hi = size - size * kMargin;
  const float r = size * kCornerRadius;
  float cx = std::clamp(px, lo + r, hi - r), cy = std::clamp(py, lo + r, hi - r);
  float outside = std::hypot(px - cx, py - cy) - r;
  return std::clamp(0.5f - outside, 0.0f, 1.0f);
}

}  // namespace

const std::vector<int>& icon_sizes() {
  static const std::vector<int> sizes{16, 24, 32, 48, 64, 128, 256, 512};
  return sizes;
}

Image icon_picture(int size) {
  const float n = static_cast<float>(size);
  Image scene(size, size);
  for (int y = 0; y < size; ++y) {
    Rgba c = sky_at(y + 0.5f, size);
    for (int x = 0; x < size; ++x) scene.at(x, y) = c;
  }
  fill_polygon(scene, {{0, n}, {0, n * 0.84f}, {n * 0.45f, n * 0.82f}, {n, n * 0.90f}, {n, n}},
               kDirt);

  RiderPlacement at;
  at.scale = n * kRiderWidth / kRiderSpan;
  at.x = n * 0.5f - kRiderCentreX * at.scale;
  at.y = n * kRiderCentreHeight - kRiderCentreY * at.scale;
  at.rear_wheel_hole = sky_at(at.y + 40 * at.scale, size);
  at.front_wheel_hole = sky_at(at.y + 20 * at.scale, size);
  // The sun behind his helmet lifts the dark figure off the dark top of the sky.
  fill_circle(scene, at.x + 18 * at.scale, at.y - 102 * at.scale, n * kSunRadius, kSun);
  draw_flying_rider(scene, at);

  Image icon(size, size, {0, 0, 0, 0});
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      float cover = tile_coverage(x + 0.5f, y + 0.5f, size);
      if (cover <= 0) continue;
      Rgba c = scene.at(x, y);
      c.a = static_cast<uint8_t>(std::lround(cover * 255));
      icon.at(x, y) = c;
    }
  }
  return icon;
}

bool write_icons(const std::string& root, const std::string& name) {
  bool ok = true;
  for (int size : icon_sizes()) {
    std::string dim = std::to_string(size) + "x" + std::to_string(size);
    ok &= write_file(root, "hicolor/" + dim + "/apps/" + name + ".png",
                     encode_png(icon_picture(size), true));
  }
  return ok;
}

}  // namespace kit
