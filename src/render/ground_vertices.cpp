#include "render/ground_vertices.h"

#include <algorithm>

#include "render/ground_blocks.h"
#include "render/rut_light.h"

namespace br {

void ground_vertices_fill(const Terrain& t, int row, int first_c, int last_c,
                          const std::array<float, 3>& sun, GroundVertex* out) {
  const bool shaded = t.shading.size() == t.heights.size() * 3;
  const bool shadowed = t.shadows.size() == t.heights.size();
  const bool dug = t.modified;
  for (int c = first_c; c <= last_c; ++c, ++out) {
    const size_t s = static_cast<size_t>(c) + static_cast<size_t>(t.side) * row;
    out->x = static_cast<float>(c) * t.spacing;
    out->y = t.heights[s];
    out->z = static_cast<float>(row) * t.spacing;
    const float rut = dug ? rut_light(t, c, row, sun) : 1.0f;
    // Shadows darken the baked shading but never to black, so shadowed ground keeps its
    // texture.
    float light =
        shadowed ? 1.0f - (1.0f - kShadowKeeps) * static_cast<float>(t.shadows[s]) / 255.0f
                 : 1.0f;
    light *= rut;
    for (int k = 0; k < 3; ++k) {
      const float base = shaded ? static_cast<float>(t.shading[3 * s + k]) : 128.0f;
      out->lit[k] = static_cast<uint8_t>(std::clamp(base * light, 0.0f, 255.0f));
    }
    out->lit[3] = 255;
    const auto shade = static_cast<uint8_t>(std::clamp(kComposedGrey * rut + 0.5f, 0.0f, 255.0f));
    out->dug = {shade, shade, shade, 255};
  }
}

LodRect ground_vertices_affected(const Terrain& t, const LodRect& changed) {
  if (changed.empty() || t.side < 1) return LodRect{};
  LodRect r{std::max(changed.x0 - 1, 0), std::max(changed.z0 - 1, 0),
            std::min(changed.x1 + 1, t.side - 1), std::min(changed.z1 + 1, t.side - 1)};
  return r;
}

}  // namespace br
