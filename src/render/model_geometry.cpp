// Tangents for normal mapping and the level-of-detail choice.
#include <cmath>

#include "render/model.h"

namespace br {
namespace {

// Below this the texture mapping of a triangle is degenerate; its tangent then only nudges
// the vertex sums.
constexpr float kTiny = 1.0f / 1048576.0f;  // 2^-20

struct V3 {
  float x, y, z;
};
V3 operator-(V3 a, V3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
float dot(V3 a, V3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float length(V3 a) {
  return std::sqrt(dot(a, a));
}

V3 position(const Model& m, int i) {
  return {m.positions[i * 3], m.positions[i * 3 + 1], m.positions[i * 3 + 2]};
}

V3 triangle_tangent(const Model& m, int a, int b, int c) {
  V3 pa = position(m, a), pb = position(m, b), pc = position(m, c);
  float ua = m.texcoords[a * 2], va = m.texcoords[a * 2 + 1];
  float du1 = m.texcoords[b * 2] - ua, dv1 = m.texcoords[b * 2 + 1] - va;
  float du2 = m.texcoords[c * 2] - ua, dv2 = m.texcoords[c * 2 + 1] - va;
  V3 e1 = pb - pa, e2 = pc - pa;
  float d = du1 * dv2 - du2 * dv1;
  if (std::fabs(d) >= kTiny) {
    V3 u_gradient = (e1 * dv2 - e2 * dv1) * (1.0f / d);
    V3 v_gradient = (e2 * du1 - e1 * du2) * (1.0f / d);
    V3 face_normal = cross(e2, e1);
    if (dot(u_gradient, cross(v_gradient, face_normal)) >= 0.0f) u_gradient = u_gradient * -1.0f;
    return u_gradient;
  }
  float l1 = length(e1), l2 = length(e2);
  if (l1 == 0.0f && l2 == 0.0f) return {kTiny, 0, 0};
  return l1 >= l2 ? e1 * (kTiny / l1) : e2 * (kTiny / l2);
}

}  // namespace

void compute_tangents(Model& m) {
  m.tangents.assign(static_cast<size_t>(m.vertex_count) * 3, 0.0f);
  for (int t = 0; t < m.triangle_count; ++t) {
    const int* corner = &m.indices[t * 3];
    V3 tangent = triangle_tangent(m, corner[0], corner[1], corner[2]);
    for (int k = 0; k < 3; ++k) {
      float* out = &m.tangents[corner[k] * 3];
      out[0] += tangent.x;
      out[1] += tangent.y;
      out[2] += tangent.z;
    }
  }
  for (int i = 0; i < m.vertex_count; ++i) {
    float* t = &m.tangents[i * 3];
    float l = std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
    // A vertex no triangle uses, or whose contributions cancel, still needs a unit tangent.
    if (!(l > 0.0f) || !std::isfinite(l)) {
      t[0] = 1.0f;
      t[1] = t[2] = 0.0f;
      continue;
    }
    for (int k = 0; k < 3; ++k) t[k] /= l;
  }
  if (m.bones > 0) {
    m.rest_positions = m.positions;
    m.rest_normals = m.normals;
    m.rest_tangents = m.tangents;
  }
}

const Model* choose_detail_variant(const Model& base, float distance, float scale, float bias) {
  const Model* current = &base;
  for (const Model* v = base.coarser.get(); v; v = v->coarser.get()) {
    float threshold = v->detail_factor - bias;
    if (threshold > 0.0f && scale * distance < threshold) break;
    current = v;
  }
  return current;
}

int mesh_count(const Model& model) {
  int n = 0;
  for (const Model* m = &model; m; m = m->next.get()) ++n;
  return n;
}

int chain_vertex_count(const Model& model) {
  int n = 0;
  for (const Model* m = &model; m; m = m->next.get()) n += m->vertex_count;
  return n;
}

int chain_triangle_count(const Model& model) {
  int n = 0;
  for (const Model* m = &model; m; m = m->next.get()) n += m->triangle_count;
  return n;
}

}  // namespace br
