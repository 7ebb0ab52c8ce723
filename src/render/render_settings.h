// The renderer's detail values, derived from the settings and the command line at start-up,
// and the few driver facts the loaders need. One record for the process.
#pragma once

#include <array>

namespace br {

enum TextureCompress { kCompressNever = 0, kCompressMarked = 1, kCompressEveryPng = 2 };

struct RenderSettings {
  int debug_level = 0;              // 0, 1 (--debug), 2 (--super-debug)
  int model_texture_reduction = 1;  // largest mipmap levels skipped, 0..10
  int texture_compress = kCompressNever;
  float lod_scale = 1.0f;  // model level-of-detail scale
  float lod_bias = 0.0f;   // model level-of-detail bias
  bool shaders_in_use = false;
  bool vertex_arrays = true;  // off with --novertexarrays
  // The track's lighting, restored after meshes drawn in their own colour.
  std::array<float, 4> global_ambient = {0.2f, 0.2f, 0.2f, 1.0f};
  std::array<float, 4> sun_ambient = {0.0f, 0.0f, 0.0f, 1.0f};
  std::array<float, 3> sun_direction = {0.0f, 1.0f, 0.0f};  // unit, toward the sun
};

RenderSettings& render_settings();

}  // namespace br
