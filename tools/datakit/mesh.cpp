#include "mesh.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "render/jm_format.h"

namespace kit {

Placement rotate_x(float a, V3 origin) {
  Placement p;
  p.axes = {V3{1, 0, 0}, V3{0, std::cos(a), std::sin(a)}, V3{0, -std::sin(a), std::cos(a)}};
  p.origin = origin;
  return p;
}

Placement rotate_y(float a, V3 origin) {
  Placement p;
  p.axes = {V3{std::cos(a), 0, -std::sin(a)}, V3{0, 1, 0}, V3{std::sin(a), 0, std::cos(a)}};
  p.origin = origin;
  return p;
}

Placement rotate_z(float a, V3 origin) {
  Placement p;
  p.axes = {V3{std::cos(a), std::sin(a), 0}, V3{-std::sin(a), std::cos(a), 0}, V3{0, 0, 1}};
  p.origin = origin;
  return p;
}

Model single_mesh(float shininess, float specular) {
  Model model;
  // Room for coats added later, so builders holding the first mesh stay valid.
  model.meshes.reserve(4);
  Mesh& m = model.meshes.emplace_back();
  m.shininess = shininess;
  m.r = m.g = m.b = specular;
  return model;
}

Mesh& add_chrome_coat(Model& model, float opacity) {
  if (model.meshes.size() == model.meshes.capacity()) std::abort();  // see single_mesh
  Mesh& m = model.meshes.emplace_back();
  m.shininess = br::kJmEnvironmentShininess;
  m.alpha = opacity;
  m.r = m.g = m.b = 1.0f;
  return m;
}

Placement along(V3 origin, V3 direction, V3 side) {
  Placement p;
  V3 y = normalise(direction);
  V3 x = side - y * dot(side, y);
  if (length(x) < 1e-4f) x = std::fabs(y.x) < 0.9f ? V3{1, 0, 0} : V3{0, 0, 1};
  x = normalise(x);
  p.axes = {x, y, cross(x, y)};
  p.origin = origin;
  return p;
}

int MeshBuilder::add(V3 p, V3 n, float u, float v) {
  Vertex vert;
  vert.p = placement_.apply(p);
  vert.n = normalise(placement_.turn(n));
  vert.u = u, vert.v = v;
  vert.bone = bone_;
  mesh_.vertices.push_back(vert);
  return static_cast<int>(mesh_.vertices.size()) - 1;
}

// Faces are wound counter-clockwise seen from the side their normals point to.
void MeshBuilder::tri(int a, int b, int c) {
  const Vertex& A = mesh_.vertices[size_t(a)];
  const Vertex& B = mesh_.vertices[size_t(b)];
  const Vertex& C = mesh_.vertices[size_t(c)];
  V3 face = cross(B.p - A.p, C.p - A.p);
  if (dot(face, A.n + B.n + C.n) < 0) std::swap(b, c);
  mesh_.triangles.push_back({a, b, c});
}

void MeshBuilder::box(V3 c, V3 h, UvRect uv) {
  const V3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (const V3& n : normals) {
    // Two axes across the face.
    V3 a = std::fabs(n.x) > 0 ? V3{0, 1, 0} : V3{1, 0, 0};
    V3 b = cross(n, a);
    auto corner = [&](float sa, float sb) {
      V3 d = n + a * sa + b * sb;
      return V3{c.x + d.x * h.x, c.y + d.y * h.y, c.z + d.z * h.z};
    };
    int i0 = add(corner(-1, -1), n, uv.u0, uv.v1);
    int i1 = add(corner(1, -1), n, uv.u1, uv.v1);
    int i2 = add(corner(1, 1), n, uv.u1, uv.v0);
    int i3 = add(corner(-1, 1), n, uv.u0, uv.v0);
    tri(i0, i1, i2);
    tri(i0, i2, i3);
  }
}

void MeshBuilder::tube(V3 a, V3 b, float ra, float rb, int segs, UvRect uv, bool caps) {
  V3 axis = normalise(b - a);
  V3 side = std::fabs(axis.x) < 0.9f ? V3{1, 0, 0} : V3{0, 0, 1};
  V3 e1 = normalise(cross(axis, side));
  V3 e2 = cross(axis, e1);
  float slope = (ra - rb) / std::max(1e-4f, length(b - a));
  std::vector<int> ring_a, ring_b;
  for (int i = 0; i <= segs; ++i) {
    float t = 2 * kPi * i / segs;
    V3 dir = e1 * std::cos(t) + e2 * std::sin(t);
    V3 n = normalise(dir + axis * slope);
    float u = lerp(uv.u0, uv.u1, float(i) / segs);
    ring_a.push_back(add(a + dir * ra, n, u, uv.v1));
    ring_b.push_back(add(b + dir * rb, n, u, uv.v0));
  }
  for (int i = 0; i < segs; ++i) {
    tri(ring_a[size_t(i)], ring_a[size_t(i) + 1], ring_b[size_t(i) + 1]);
    tri(ring_a[size_t(i)], ring_b[size_t(i) + 1], ring_b[size_t(i)]);
  }
  if (!caps) return;
  for (int end = 0; end < 2; ++end) {
    V3 centre = end ? b : a;
    float r = end ? rb : ra;
    V3 n = end ? axis : axis * -1.0f;
    int mid = add(centre, n, (uv.u0 + uv.u1) / 2, (uv.v0 + uv.v1) / 2);
    int first = -1, prev = -1;
    for (int i = 0; i <= segs; ++i) {
      float t = 2 * kPi * i / segs;
      V3 dir = e1 * std::cos(t) + e2 * std::sin(t);
      int k = add(centre + dir * r, n, lerp(uv.u0, uv.u1, 0.5f + 0.5f * std::cos(t)),
                  lerp(uv.v0, uv.v1, 0.5f + 0.5f * std::sin(t)));
      if (prev >= 0) tri(mid, prev, k);
      if (first < 0) first = k;
      prev = k;
    }
  }
}

void MeshBuilder::ellipsoid(V3 c, V3 r, int segs, int rings, UvRect uv) {
  std::vector<std::vector<int>> idx(size_t(rings) + 1);
  for (int j = 0; j <= rings; ++j) {
    float phi = kPi * j / rings;  // from the top
    for (int i = 0; i <= segs; ++i) {
      float th = 2 * kPi * i / segs;
      V3 unit{std::sin(phi) * std::cos(th), std::cos(phi), std::sin(phi) * std::sin(th)};
      V3 p{c.x + unit.x * r.x, c.y + unit.y * r.y, c.z + unit.z * r.z};
      V3 n = normalise({unit.x / r.x, unit.y / r.y, unit.z / r.z});
      idx[size_t(j)].push_back(
          add(p, n, lerp(uv.u0, uv.u1, float(i) / segs), lerp(uv.v0, uv.v1, float(j) / rings)));
    }
  }
  for (int j = 0; j < rings; ++j) {
    for (int i = 0; i < segs; ++i) {
      int a = idx[size_t(j)][size_t(i)], b = idx[size_t(j)][size_t(i) + 1];
      int c2 = idx[size_t(j) + 1][size_t(i)], d = idx[size_t(j) + 1][size_t(i) + 1];
      if (j > 0) tri(a, b, d);
      if (j < rings - 1) tri(a, d, c2);
    }
  }
}

void MeshBuilder::torus(V3 c, float ring, float tr, int segs, int sides, UvRect uv) {
  std::vector<std::vector<int>> idx(size_t(segs) + 1);
  for (int i = 0; i <= segs; ++i) {
    float a = 2 * kPi * i / segs;
    V3 radial{0, std::cos(a), std::sin(a)};
    for (int j = 0; j <= sides; ++j) {
      float b = 2 * kPi * j / sides;
      V3 n = radial * std::cos(b) + V3{1, 0, 0} * std::sin(b);
      V3 p = c + radial * ring + n * tr;
      idx[size_t(i)].push_back(
          add(p, n, lerp(uv.u0, uv.u1, float(j) / sides), lerp(uv.v0, uv.v1, float(i % 8) / 8.0f)));
    }
  }
  for (int i = 0; i < segs; ++i) {
    for (int j = 0; j < sides; ++j) {
      int a = idx[size_t(i)][size_t(j)], b = idx[size_t(i) + 1][size_t(j)];
      int c2 = idx[size_t(i) + 1][size_t(j) + 1], d = idx[size_t(i)][size_t(j) + 1];
      tri(a, b, c2);
      tri(a, c2, d);
    }
  }
}

namespace {

using Outline2 = std::vector<std::pair<float, float>>;

// Twice the signed area of the outline in (z, y) terms: positive when it runs
// counter-clockwise with z to the right and y up.
float twice_area(const Outline2& o) {
  float sum = 0;
  for (size_t i = 0; i < o.size(); ++i) {
    auto [za, ya] = o[i];
    auto [zb, yb] = o[(i + 1) % o.size()];
    sum += za * yb - zb * ya;
  }
  return sum;
}

float turn(std::pair<float, float> a, std::pair<float, float> b, std::pair<float, float> c) {
  return (b.first - a.first) * (c.second - a.second) - (b.second - a.second) * (c.first - a.first);
}

// Triangles covering a simple outline that runs counter-clockwise, by clipping ears: a fan
// from one corner would spill over the outline where it bends inward (a fender's curve).
std::vector<std::array<size_t, 3>> ear_triangles(const Outline2& o) {
  std::vector<size_t> left(o.size());
  for (size_t i = 0; i < o.size(); ++i) left[i] = i;
  std::vector<std::array<size_t, 3>> out;
  while (left.size() > 3) {
    size_t n = left.size(), ear = n;
    for (size_t i = 0; i < n && ear == n; ++i) {
      size_t a = left[(i + n - 1) % n], b = left[i], c = left[(i + 1) % n];
      if (turn(o[a], o[b], o[c]) <= 0) continue;  // a bend inward is no ear
      bool empty = true;
      for (size_t k : left) {
        if (k == a || k == b || k == c) continue;
        if (turn(o[a], o[b], o[k]) >= 0 && turn(o[b], o[c], o[k]) >= 0 &&
            turn(o[c], o[a], o[k]) >= 0) {
          empty = false;
          break;
        }
      }
      if (empty) ear = i;
    }
    if (ear == n) ear = 0;  // a degenerate outline: any corner will do
    out.push_back({left[(ear + n - 1) % n], left[ear], left[(ear + 1) % n]});
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(ear));
  }
  if (left.size() == 3) out.push_back({left[0], left[1], left[2]});
  return out;
}

}  // namespace

void MeshBuilder::slab(const std::vector<std::pair<float, float>>& given, float x0, float x1,
                       UvRect uv, UvRect rim) {
  // Worked on counter-clockwise, whichever way the outline was given.
  Outline2 outline = given;
  if (twice_area(outline) < 0) std::reverse(outline.begin(), outline.end());
  float zmin = 1e9f, zmax = -1e9f, ymin = 1e9f, ymax = -1e9f;
  for (auto [z, y] : outline) {
    zmin = std::min(zmin, z), zmax = std::max(zmax, z);
    ymin = std::min(ymin, y), ymax = std::max(ymax, y);
  }
  size_t n = outline.size();
  std::vector<std::array<size_t, 3>> cover = ear_triangles(outline);
  for (float x : {x0, x1}) {
    bool right_face = x == x1;  // the +x face; the other looks toward -x
    V3 normal{right_face ? 1.0f : -1.0f, 0, 0};
    // Seen from outside, +z runs to the left on the +x face and to the right on the other:
    // u follows the viewer's right on both, so pictures (numbers) read the right way round.
    float u_from = right_face ? uv.u1 : uv.u0, u_to = right_face ? uv.u0 : uv.u1;
    std::vector<int> ids;
    for (auto [z, y] : outline) {
      float u = lerp(u_from, u_to, (z - zmin) / std::max(1e-4f, zmax - zmin));
      float v = lerp(uv.v1, uv.v0, (y - ymin) / std::max(1e-4f, ymax - ymin));
      ids.push_back(add({x, y, z}, normal, u, v));
    }
    // A counter-clockwise outline is counter-clockwise seen from -x.
    for (const auto& t : cover) {
      if (right_face) {
        tri(ids[t[0]], ids[t[2]], ids[t[1]]);
      } else {
        tri(ids[t[0]], ids[t[1]], ids[t[2]]);
      }
    }
  }
  for (size_t i = 0; i < n; ++i) {
    auto [za, ya] = outline[i];
    auto [zb, yb] = outline[(i + 1) % n];
    // Outward of a counter-clockwise outline is to the right of each edge.
    V3 normal = normalise({0, -(zb - za), yb - ya});
    int a = add({x0, ya, za}, normal, rim.u0, rim.v0);
    int b = add({x1, ya, za}, normal, rim.u1, rim.v0);
    int c = add({x1, yb, zb}, normal, rim.u1, rim.v1);
    int d = add({x0, yb, zb}, normal, rim.u0, rim.v1);
    tri(a, b, c);
    tri(a, c, d);
  }
}

void MeshBuilder::quad(V3 a, V3 b, V3 c, V3 d, UvRect uv, bool two_sided) {
  V3 n = normalise(cross(b - a, c - a));
  for (int side = 0; side < (two_sided ? 2 : 1); ++side) {
    V3 nn = side ? n * -1.0f : n;
    int i0 = add(a, nn, uv.u0, uv.v1), i1 = add(b, nn, uv.u1, uv.v1);
    int i2 = add(c, nn, uv.u1, uv.v0), i3 = add(d, nn, uv.u0, uv.v0);
    tri(i0, i1, i2);
    tri(i0, i2, i3);
  }
}

}  // namespace kit
