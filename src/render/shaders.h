// The shader programs: per-pixel lighting with normal and specular maps, skinning on the
// graphics card, environment mapping and the terrain's lighting. Either all eight build or
// none is used and the fixed-function pipeline draws everything. Game only.
#pragma once

#include <string>
#include <vector>

namespace br {

// Slot 0 is the fixed-function pipeline.
enum ShaderSlot {
  kShaderFixed = 0,
  kShaderLit = 1,             // textured models lit per pixel
  kShaderEnv = 2,             // environment-mapped models
  kShaderNormLit = 3,         // with a normal map
  kShaderNormEnv = 4,         // environment-mapped with a normal map
  kShaderNormSpecLit = 5,     // with normal and specular maps
  kShaderTerrainNormals = 6,  // composing the ground's normal textures
  kShaderTerrain = 7,         // drawing the ground with its normal and specular textures
  kShaderTerrainPlain = 8,    // the same for ground without highlights: no specular texture
  kShaderSlots = 9,
};

// Skinned vertices carry four bone weights in texture-coordinate set 2 and the four bone
// indices in set 3; tangents travel in set 1.
constexpr int kTangentCoordSet = 1, kBoneWeightCoordSet = 2, kBoneIndexCoordSet = 3;
constexpr int kShaderMaxBones = 10;

struct ShaderSource {
  std::string name;
  std::string vertex;
  std::string fragment;
};

// The eight programs in build order (slots 1 to 8).
std::vector<ShaderSource> shader_sources();

// Builds and binds every program; false, with every object deleted, when any step fails.
bool shaders_build();
bool shaders_build_from(const std::vector<ShaderSource>& sources);
// Deletes every program (before the context goes).
void shaders_release();
bool shaders_built();

// Makes a program current (kShaderFixed: none); switching to the current one costs nothing.
void shader_use(int slot);
int shader_current();
// The bones of the next skinned mesh for the current program: `centres` and `translations`
// 3 floats each, `rotations` 3 x 3 column-major each. Count 0 draws unskinned.
void shader_set_bones(int count, const float* centres, const float* translations,
                      const float* rotations);
// The rotation (3 x 3, column-major) from eye space to the world, for both environment
// programs.
void shader_set_envmat(const float matrix[9]);

}  // namespace br
