#include "render/rut_light.h"

#include <algorithm>
#include <cmath>

namespace br {
namespace {

// The ambient part of the baked light against the sun's, for typical track lighting: the
// share that does not change with the slope.
constexpr float kAmbientShare = 0.45f;
// Dug ground may darken and brighten only so far, so a deep hole never turns black.
constexpr float kDarkest = 0.5f, kBrightest = 1.5f;

float at(const std::vector<float>& h, const Terrain& t, int c, int r) {
  c = std::clamp(c, 0, t.side - 1);
  r = std::clamp(r, 0, t.side - 1);
  return h[static_cast<size_t>(c) + static_cast<size_t>(t.side) * r];
}

// Ambient plus the sun on the surface whose slope the neighbouring samples give.
float light(const std::vector<float>& h, const Terrain& t, int c, int r,
            const std::array<float, 3>& sun) {
  const float nx = at(h, t, c - 1, r) - at(h, t, c + 1, r);
  const float ny = 2 * t.spacing;
  const float nz = at(h, t, c, r - 1) - at(h, t, c, r + 1);
  const float facing =
      (nx * sun[0] + ny * sun[1] + nz * sun[2]) / std::sqrt(nx * nx + ny * ny + nz * nz);
  return kAmbientShare + std::max(facing, 0.0f);
}

}  // namespace

float rut_light(const Terrain& t, int c, int r, const std::array<float, 3>& sun) {
  const std::vector<float>& was = t.loaded_heights;
  if (was.size() != t.heights.size() || t.side < 2) return 1.0f;
  // Most of the ground is untouched: its slope is the one the shading was baked for.
  static constexpr int kAround[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  bool dug = false;
  for (const auto& d : kAround)
    dug = dug || at(t.heights, t, c + d[0], r + d[1]) != at(was, t, c + d[0], r + d[1]);
  if (!dug) return 1.0f;
  return std::clamp(light(t.heights, t, c, r, sun) / light(was, t, c, r, sun), kDarkest,
                    kBrightest);
}

}  // namespace br
