// Per-frame counters of what was drawn, with their maxima, for the statistics display.
#pragma once

namespace br {

struct RenderCounter {
  int value = 0;
  int max = 0;
};

struct RenderStats {
  RenderCounter ground_polygons;
  RenderCounter ground_samples_sent;  // ground vertices sent to the card again (dug ground)
  RenderCounter model_polygons;
  RenderCounter model_vertices;
  RenderCounter billboards;
  RenderCounter decals;
  RenderCounter texture_changes;
  RenderCounter shader_changes;
};

RenderStats& render_stats();
// At the start of every frame: the last frame's values raise the maxima, then reset.
void render_stats_begin_frame();
// The "renderstats" command forgets the maxima.
void render_stats_reset_maxima();

}  // namespace br
