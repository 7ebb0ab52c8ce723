// The renderer's detail values, derived from the settings and the command line at start-up,
// and the few driver facts the loaders need. One record for the process.
#pragma once

#include <array>

namespace br {

enum TextureCompress { kCompressNever = 0, kCompressMarked = 1, kCompressEveryPng = 2 };

// The terrain rendering methods, as the setting lists them.
enum GroundMethod {
  kGroundMethodSoftware = 0,
  kGroundMethodHardwareCopy = 1,
  kGroundMethodHardwareDirect = 2,
  kGroundMethodShadersCopy = 3,
  kGroundMethodShadersDirect = 4,
};

struct RenderSettings {
  int debug_level = 0;              // 0, 1 (--debug), 2 (--super-debug)
  int model_texture_reduction = 1;  // largest mipmap levels skipped, 0..10
  int texture_compress = kCompressNever;
  float lod_scale = 1.0f;  // model level-of-detail scale
  float lod_bias = 0.0f;   // model level-of-detail bias
  bool shaders_in_use = false;
  bool terrain_shaders = false;  // the ground drawn with its normal and specular textures
  bool ground_mipmaps = true;    // ground textures get mipmaps made by the driver
  int ground_method = kGroundMethodSoftware;
  int ground_texture_size = 64;       // texels per side of one ground texture
  int ground_texture_first_level = 1;  // the finest ring covers 2^this tile cells per texture
  bool vertex_arrays = true;  // off with --novertexarrays
  // The track's lighting, restored after meshes drawn in their own colour.
  std::array<float, 4> global_ambient = {0.2f, 0.2f, 0.2f, 1.0f};
  std::array<float, 4> sun_ambient = {0.0f, 0.0f, 0.0f, 1.0f};
  std::array<float, 3> sun_direction = {0.0f, 1.0f, 0.0f};  // unit, toward the sun
};

RenderSettings& render_settings();

}  // namespace br
