// The renderer's detail values, derived from the graphics settings at start-up and then
// overridden by the command line. They stay fixed for the run.
#pragma once

#include "world/command_line_options.h"
#include "world/settings.h"

namespace br {

struct RenderDetail {
  double terrain_error_scale = 0.125 / 70;  // larger keeps less terrain detail
  int ground_texture_reduction = 1;         // largest mipmap levels skipped
  int ground_texture_size = 64;             // texels per side
  double model_lod_scale = 1.0;
  double model_lod_bias = 0.0;
  int model_texture_reduction = 1;   // largest mipmap levels skipped
  int roost_frequency = 1000;        // particles per 100 steps
  double max_detail_distance = 70;   // feet
  double max_detail_distance2 = 75;  // feet, always 5 more
};

RenderDetail derive_render_detail(const Settings& s);

// The options --detail, --lod-scale, --lod-bias, --texture-detail, --ground-texture-detail,
// --roostfrequency and --max-detail-distance replace the derived values.
void apply_detail_options(RenderDetail& d, const CommandLine& cl);

}  // namespace br
