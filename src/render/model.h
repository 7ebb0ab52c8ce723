// Triangle meshes from ".jm" model files. A file holds a chain of meshes; a loaded model may
// also carry coarser level-of-detail variants. Positions in feet.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace br {

constexpr int kMaxBoneInfluences = 4;
// No skeleton of the game comes near this; a larger count is a broken file.
constexpr int kMaxBones = 256;

struct Model {
  int vertex_count = 0;
  int triangle_count = 0;
  std::vector<float> positions;  // 3 per vertex
  std::vector<float> normals;    // 3 per vertex
  std::vector<float> texcoords;  // 2 per vertex, v already replaced by 1 - v
  std::vector<float> tangents;   // 3 per vertex, unit length
  // Skinned meshes: the rest pose, and four (bone, weight) pairs per vertex summing to 1.
  std::vector<float> rest_positions, rest_normals, rest_tangents;
  std::vector<uint8_t> bone_indices;  // kMaxBoneInfluences per vertex
  std::vector<float> bone_weights;    // kMaxBoneInfluences per vertex
  std::vector<int> indices;           // 3 per triangle, each below vertex_count
  float shininess = 32.0f;
  std::array<float, 4> colour = {1, 1, 1, 1};  // red, green, blue, alpha
  bool environment_mapped = false;   // shininess exactly -1; for a chain, OR of all, on the first
  int bones = 0;                     // skeleton size, 0 when unskinned
  bool always_display_list = false;  // the oldest form
  unsigned display_list = 0;
  std::unique_ptr<Model> next;  // next mesh of the chain
  std::string name;
  std::unique_ptr<Model> coarser;  // next level-of-detail variant
  float detail_factor = 0.0f;      // this variant's distance factor 2^N; 0 for the base
  int last_request = 0;            // load counter value at the last request
};

struct ModelDecodeResult {
  std::unique_ptr<Model> model;
  std::string error;                  // why nothing was loaded
  std::vector<std::string> warnings;  // worded as the player sees them
  int version = 0;                    // 0 oldest form, 1 or 2
  std::string skeleton;               // JM2 only
};

// Parses a whole ".jm" file. `name` only words the messages.
ModelDecodeResult decode_model(const std::string& name, std::span<const uint8_t> bytes);

// Tangents for every mesh of the chain, copied into the rest arrays of skinned meshes.
void compute_tangents(Model& mesh);

// Keeps the four strongest bone influences of one vertex and normalises them.
// Returns true when the vertex had more than four non-zero weights.
bool keep_bone_weights(std::span<const float> weights, uint8_t bone_out[kMaxBoneInfluences],
                       float weight_out[kMaxBoneInfluences]);

// The variant to draw at `distance` feet from the eye, with the level-of-detail scale and bias.
const Model* choose_detail_variant(const Model& base, float distance, float scale, float bias);

int mesh_count(const Model& model);
int chain_vertex_count(const Model& model);
int chain_triangle_count(const Model& model);

}  // namespace br
