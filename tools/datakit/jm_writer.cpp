#include "jm_writer.h"

#include <cstdio>

#include "render/jm_format.h"

namespace kit {

// The lines below spell out every number of a mesh header and of a vertex.
static_assert(br::kJmMeshHeaderFloats == 5 && br::kJmVertexFloats == 8);

std::string encode_jm(const Model& model) {
  std::string out;
  char line[512];
  auto put = [&](int n) { out.append(line, static_cast<size_t>(n)); };
  if (model.bones > 0) {
    put(std::snprintf(line, sizeof line, "%s%d %d %s\n", br::kJmMagicPrefix, br::kJmSkinnedVersion,
                      model.bones, model.skeleton.c_str()));
  } else {
    put(std::snprintf(line, sizeof line, "%s%d\n", br::kJmMagicPrefix, br::kJmPlainVersion));
  }
  for (const Mesh& m : model.meshes) {
    put(std::snprintf(line, sizeof line, "%g %g %g %g %g %zu %zu\n", m.shininess, m.alpha, m.r, m.g,
                      m.b, m.vertices.size(), m.triangles.size()));
    for (const Vertex& v : m.vertices) {
      put(std::snprintf(line, sizeof line, "%.4f %.4f %.4f %.3f %.3f %.3f %.4f %.4f", v.p.x, v.p.y,
                        v.p.z, v.n.x, v.n.y, v.n.z, v.u, br::jm_flip_v(v.v)));
      for (int b = 0; b < model.bones; ++b) {
        out += b == v.bone ? " 1" : " 0";
      }
      out += "\n";
    }
    for (const auto& t : m.triangles) {
      put(std::snprintf(line, sizeof line, "%d %d %d\n", t[0], t[1], t[2]));
    }
  }
  return out;
}

}  // namespace kit
