#include "world/render_detail.h"

#include <algorithm>

namespace br {

RenderDetail derive_render_detail(const Settings& s) {
  RenderDetail d;
  // Ground detail 0 gives an infinite scale: the coarsest terrain the renderer can draw.
  d.terrain_error_scale = 0.125 / s.ground_detail.value;
  d.ground_texture_reduction =
      static_cast<int>(std::clamp(10 - s.ground_texture_detail.value, 0.0, 10.0));
  d.ground_texture_size = 32 << std::clamp(s.ground_texture_dim.index, 0, 5);
  double m = std::clamp(100 - s.model_detail.value, 0.0, 100.0) * 0.02;
  d.model_lod_scale = m > 1 ? m * m * m : m;
  d.model_lod_bias = 50 - 50 * std::clamp((s.model_detail.value - 10) * 0.05, 0.0, 1.0);
  d.model_texture_reduction =
      static_cast<int>(std::clamp(10 - s.model_texture_detail.value, 0.0, 10.0));
  d.roost_frequency = static_cast<int>(s.roost_density.value);
  return d;
}

void apply_detail_options(RenderDetail& d, const CommandLine& cl) {
  if (cl.detail) d.terrain_error_scale = *cl.detail;
  if (cl.lod_scale) d.model_lod_scale = *cl.lod_scale;
  if (cl.lod_bias) d.model_lod_bias = *cl.lod_bias;
  if (cl.texture_detail) d.model_texture_reduction = *cl.texture_detail;
  if (cl.ground_texture_detail) d.ground_texture_reduction = *cl.ground_texture_detail;
  if (cl.roost_frequency) d.roost_frequency = *cl.roost_frequency;
  if (cl.max_detail_distance) {
    d.max_detail_distance = *cl.max_detail_distance;
    d.max_detail_distance2 = *cl.max_detail_distance + 5;
  }
}

}  // namespace br
