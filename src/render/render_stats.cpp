#include "render/render_stats.h"

#include <array>

namespace br {
namespace {

std::array<RenderCounter*, 8> all_counters(RenderStats& s) {
  return {&s.ground_polygons, &s.ground_samples_sent, &s.model_polygons,  &s.model_vertices,
          &s.billboards,      &s.decals,              &s.texture_changes, &s.shader_changes};
}

}  // namespace

RenderStats& render_stats() {
  static RenderStats stats;
  return stats;
}

void render_stats_begin_frame() {
  for (RenderCounter* c : all_counters(render_stats())) {
    if (c->value > c->max) c->max = c->value;
    c->value = 0;
  }
}

void render_stats_reset_maxima() {
  for (RenderCounter* c : all_counters(render_stats())) c->max = 0;
}

}  // namespace br
