// The ".jm" model reader (layout in jm_format.h): JM1 (unskinned meshes with material), JM2
// (skinned, one weight per bone per vertex) and the oldest form (one bare mesh).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "render/jm_format.h"
#include "render/model.h"
#include "render/text_reader.h"

namespace br {
namespace {

enum class MeshRead { kOk, kNoHeader, kBroken };

std::string message(const char* format, const std::string& name) {
  char text[1200];
  std::snprintf(text, sizeof text, format, name.c_str());
  return text;
}

bool read_floats(TextReader& r, float* out, int count) {
  for (int i = 0; i < count; ++i) {
    auto v = r.number();
    // Values beyond float range are no coordinate a model needs; they mark a broken file.
    if (!v || !(std::fabs(*v) <= std::numeric_limits<float>::max())) return false;
    out[i] = static_cast<float>(*v);
  }
  return true;
}

// Counts read from the file are checked against the bytes left before anything is allocated:
// every number takes at least two bytes (a digit and a separator).
bool counts_fit(const TextReader& r, int64_t vertices, int64_t triangles, int per_vertex) {
  if (vertices < 0 || triangles < 0) return false;
  if (vertices > 0x7fffffff / 8 || triangles > 0x7fffffff / 8) return false;
  uint64_t needed = static_cast<uint64_t>(vertices) * per_vertex * 2 +
                    static_cast<uint64_t>(triangles) * kJmTriangleCorners * 2;
  return needed <= r.remaining() + 1;
}

// Vertices and triangles after the counts. `bones` weights follow each vertex for JM2.
MeshRead read_body(TextReader& r, Model& mesh, int64_t vertices, int64_t triangles, int bones,
                   const std::string& name, ModelDecodeResult& result, std::string* error) {
  const int per_vertex = kJmVertexFloats + bones;
  if (!counts_fit(r, vertices, triangles, per_vertex)) {
    *error = message("Bad vertex or triangle count in '%.900s'", name);
    return MeshRead::kBroken;
  }
  const int nv = static_cast<int>(vertices), nt = static_cast<int>(triangles);
  mesh.vertex_count = nv;
  mesh.triangle_count = nt;
  mesh.positions.resize(nv * 3);
  mesh.normals.resize(nv * 3);
  mesh.texcoords.resize(nv * 2);
  if (bones > 0) {
    mesh.bone_indices.resize(nv * kMaxBoneInfluences);
    mesh.bone_weights.resize(nv * kMaxBoneInfluences);
  }
  std::vector<float> weights(bones);
  bool warned = false;
  for (int i = 0; i < nv; ++i) {
    float v[kJmVertexFloats];
    if (!read_floats(r, v, kJmVertexFloats) || !read_floats(r, weights.data(), bones)) {
      *error = message("Truncated vertices in '%.900s'", name);
      return MeshRead::kBroken;
    }
    std::memcpy(&mesh.positions[i * 3], v, 3 * sizeof(float));
    std::memcpy(&mesh.normals[i * 3], v + 3, 3 * sizeof(float));
    mesh.texcoords[i * 2] = v[6];
    mesh.texcoords[i * 2 + 1] = jm_flip_v(v[7]);
    if (bones > 0 &&
        keep_bone_weights(weights, &mesh.bone_indices[i * kMaxBoneInfluences],
                          &mesh.bone_weights[i * kMaxBoneInfluences]) &&
        !warned) {
      result.warnings.push_back(
          message("Warning: vertex with more than 4 bone influences in '%.900s'", name));
      warned = true;
    }
  }
  mesh.indices.resize(nt * kJmTriangleCorners);
  for (int i = 0; i < nt * kJmTriangleCorners; ++i) {
    auto index = r.integer();
    if (!index) {
      *error = message("Truncated triangles in '%.900s'", name);
      return MeshRead::kBroken;
    }
    // A corner outside the vertex list would make every later reader step out of bounds.
    if (*index < 0 || *index >= nv) {
      *error = message("Triangle corner out of range in '%.900s'", name);
      return MeshRead::kBroken;
    }
    mesh.indices[i] = static_cast<int>(*index);
  }
  return MeshRead::kOk;
}

MeshRead read_mesh(TextReader& r, Model& mesh, int bones, const std::string& name,
                   ModelDecodeResult& result, std::string* error) {
  float header[kJmMeshHeaderFloats];
  if (!read_floats(r, header, kJmMeshHeaderFloats)) return MeshRead::kNoHeader;
  auto vertices = r.integer();
  auto triangles = r.integer();
  if (!vertices || !triangles) return MeshRead::kNoHeader;
  mesh.shininess = header[0];
  // Only meshes with negative shininess (environment-mapped or self-lit) are see-through.
  float alpha = header[0] >= 0 ? 1.0f : header[1];
  mesh.colour = {header[2], header[3], header[4], alpha};
  mesh.environment_mapped = header[0] == kJmEnvironmentShininess;
  mesh.bones = bones;
  return read_body(r, mesh, *vertices, *triangles, bones, name, result, error);
}

}  // namespace

bool keep_bone_weights(std::span<const float> weights, uint8_t bone_out[kMaxBoneInfluences],
                       float weight_out[kMaxBoneInfluences]) {
  for (int k = 0; k < kMaxBoneInfluences; ++k) {
    bone_out[k] = 0;
    weight_out[k] = 0.0f;
  }
  bool overflow = false;
  for (size_t bone = 0; bone < weights.size(); ++bone) {
    float w = weights[bone];
    if (!(w > 0.0f)) continue;
    int smallest = 0;
    for (int k = 1; k < kMaxBoneInfluences; ++k) {
      if (weight_out[k] < weight_out[smallest]) smallest = k;
    }
    if (weight_out[smallest] != 0.0f) {
      overflow = true;
      // A fifth influence only displaces a weaker one: the four strongest are kept.
      if (w <= weight_out[smallest]) continue;
    }
    bone_out[smallest] = static_cast<uint8_t>(bone);
    weight_out[smallest] = w;
  }
  float sum = 0.0f;
  for (int k = 0; k < kMaxBoneInfluences; ++k) sum += weight_out[k];
  for (int k = 0; k < kMaxBoneInfluences; ++k) {
    weight_out[k] = sum > 0.0f ? weight_out[k] / sum : 0.25f;
  }
  return overflow;
}

ModelDecodeResult decode_model(const std::string& name, std::span<const uint8_t> bytes) {
  ModelDecodeResult result;
  TextReader r(bytes);
  std::string first = r.token(kJmMaxWordLength);
  int bones = 0;
  const std::string_view magic = kJmMagicPrefix;
  if (first.compare(0, magic.size(), magic) == 0) {
    int version = 0;
    if (std::sscanf(first.c_str() + magic.size(), "%d", &version) != 1 ||
        (version != kJmPlainVersion && version != kJmSkinnedVersion)) {
      result.error = message("Not a model file: '%.900s'", name);
      return result;
    }
    result.version = version;
    if (version == kJmSkinnedVersion) {
      auto count = r.integer();
      result.skeleton = r.token(kJmMaxWordLength);
      if (!count || *count < 1 || *count > kMaxBones || result.skeleton.empty()) {
        result.error = message("Bad skeleton in '%.900s'", name);
        return result;
      }
      bones = static_cast<int>(*count);
    }
    std::unique_ptr<Model>* tail = &result.model;
    for (;;) {
      auto mesh = std::make_unique<Model>();
      std::string error;
      MeshRead outcome = read_mesh(r, *mesh, bones, name, result, &error);
      if (outcome == MeshRead::kNoHeader) break;
      if (outcome == MeshRead::kBroken) {
        if (!result.model) {
          result.error = error;
          return result;
        }
        // The meshes before the broken one are whole; keep them and say what was dropped.
        result.warnings.push_back(error);
        break;
      }
      mesh->name = name;
      *tail = std::move(mesh);
      tail = &(*tail)->next;
    }
    if (!result.model) {
      result.error = message("No meshes in '%.900s'", name);
      return result;
    }
  } else {
    // The oldest form: no magic, one mesh without material.
    TextReader bare(bytes);
    auto vertices = bare.integer();
    auto triangles = bare.integer();
    auto mesh = std::make_unique<Model>();
    std::string error;
    if (!vertices || !triangles) {
      result.error = message("Not a model file: '%.900s'", name);
      return result;
    }
    if (read_body(bare, *mesh, *vertices, *triangles, 0, name, result, &error) != MeshRead::kOk) {
      result.error = error;
      return result;
    }
    mesh->always_display_list = true;
    mesh->name = name;
    result.model = std::move(mesh);
  }
  for (Model* m = result.model.get(); m; m = m->next.get()) {
    compute_tangents(*m);
    if (m->environment_mapped) result.model->environment_mapped = true;
  }
  return result;
}

}  // namespace br
