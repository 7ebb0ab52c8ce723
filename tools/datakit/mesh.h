// Triangle meshes built from simple solids, with texture coordinates into a region of the
// model's texture and, for skinned models, one bone per solid.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "kit.h"

namespace kit {

// Texture region in picture terms: u to the right, v downward from the top row, 0..1.
struct UvRect {
  float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
};

struct Vertex {
  V3 p, n;
  float u = 0, v = 0;  // picture terms as UvRect
  int bone = 0;
};

struct Mesh {
  float shininess = 16.0f;
  float alpha = 1.0f;
  float r = 1, g = 1, b = 1;  // specular colour
  std::vector<Vertex> vertices;
  std::vector<std::array<int, 3>> triangles;
};

// Rotation and offset applied to the solids added after it is set.
struct Placement {
  std::array<V3, 3> axes{V3{1, 0, 0}, V3{0, 1, 0}, V3{0, 0, 1}};  // local x, y, z in model
  V3 origin;
  V3 apply(V3 p) const { return origin + axes[0] * p.x + axes[1] * p.y + axes[2] * p.z; }
  V3 turn(V3 n) const { return axes[0] * n.x + axes[1] * n.y + axes[2] * n.z; }
};
Placement rotate_x(float angle, V3 origin = {});
Placement rotate_y(float angle, V3 origin = {});
Placement rotate_z(float angle, V3 origin = {});
// Local y along `direction`, local x kept as close to `side` as possible.
Placement along(V3 origin, V3 direction, V3 side = {1, 0, 0});

class MeshBuilder {
 public:
  explicit MeshBuilder(Mesh& mesh) : mesh_(mesh) {}
  void place(const Placement& p) { placement_ = p; }
  void bone(int b) { bone_ = b; }

  void box(V3 centre, V3 half, UvRect uv);
  // A cylinder (or cone when the radii differ) from a to b in local terms.
  void tube(V3 a, V3 b, float radius_a, float radius_b, int segments, UvRect uv, bool caps);
  void ellipsoid(V3 centre, V3 radii, int segments, int rings, UvRect uv);
  // A ring around the local x axis: a tyre.
  void torus(V3 centre, float ring, float tube_radius, int segments, int sides, UvRect uv);
  // A flat convex outline in the local z-y plane, given as (z, y) pairs, extruded from x0 to
  // x1; the sides take `uv` over the outline's bounding box, the rim `rim_uv`.
  void slab(const std::vector<std::pair<float, float>>& outline, float x0, float x1, UvRect uv,
            UvRect rim_uv);
  // A single two-sided quad from four corners in order.
  void quad(V3 a, V3 b, V3 c, V3 d, UvRect uv, bool two_sided);

 private:
  int add(V3 p, V3 n, float u, float v);
  void tri(int a, int b, int c);

  Mesh& mesh_;
  Placement placement_;
  int bone_ = 0;
};

struct Model {
  std::vector<Mesh> meshes;
  int bones = 0;  // 0 for a plain model
  std::string skeleton;
};

// A plain model of one mesh, with a grey specular colour of `specular` in each channel.
Model single_mesh(float shininess, float specular = 1.0f);
// Appends a reflective coat: a mesh that shows the sky's reflection in white at `opacity`,
// drawn over the chrome beneath it.
Mesh& add_chrome_coat(Model& model, float opacity);

}  // namespace kit
