#include "render/view_frustum.h"

#include <cmath>

namespace br {

ViewFrustum view_frustum(const Matrix4& p, const Matrix4& v) {
  // Clip = P V world; row r of P V is sum over k of P[r][k] V[k][..].
  float m[16];
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      float s = 0;
      for (int k = 0; k < 4; ++k)
        s += p[static_cast<size_t>(k * 4 + r)] * v[static_cast<size_t>(c * 4 + k)];
      m[c * 4 + r] = s;
    }
  }
  auto row = [&](int r, int k) { return m[k * 4 + r]; };
  ViewFrustum f;
  // Left, right, bottom, top, near, far: w + x, w - x, w + y, w - y, w + z, w - z.
  for (int i = 0; i < 6; ++i) {
    int axis = i / 2;
    float sign = (i % 2 == 0) ? 1.0f : -1.0f;
    float len = 0;
    for (int k = 0; k < 4; ++k) {
      f.planes[static_cast<size_t>(i)][static_cast<size_t>(k)] = row(3, k) + sign * row(axis, k);
    }
    auto& pl = f.planes[static_cast<size_t>(i)];
    len = std::sqrt(pl[0] * pl[0] + pl[1] * pl[1] + pl[2] * pl[2]);
    if (len > 0) {
      for (float& x : pl) x /= len;
    }
  }
  return f;
}

bool frustum_sees_sphere(const ViewFrustum& f, float x, float y, float z, float radius) {
  for (const auto& p : f.planes) {
    if (p[0] * x + p[1] * y + p[2] * z + p[3] < -radius) return false;
  }
  return true;
}

bool frustum_sees_box(const ViewFrustum& f, const float low[3], const float high[3]) {
  for (const auto& p : f.planes) {
    // The corner furthest along the plane's normal.
    float x = p[0] >= 0 ? high[0] : low[0];
    float y = p[1] >= 0 ? high[1] : low[1];
    float z = p[2] >= 0 ? high[2] : low[2];
    if (p[0] * x + p[1] * y + p[2] * z + p[3] < 0) return false;
  }
  return true;
}

}  // namespace br
