#include "render/view_camera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace br {
namespace {

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

float length(const Vec3& a) {
  return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
}

Vec3 normalised(const Vec3& a, const Vec3& fallback) {
  float l = length(a);
  if (!(l > 1e-6f)) return fallback;
  return {a[0] / l, a[1] / l, a[2] / l};
}

ViewCamera from_axes(const Vec3& eye, const Vec3& right, const Vec3& up, const Vec3& back) {
  ViewCamera c;
  c.eye = eye;
  c.rotation = {right[0], right[1], right[2], up[0], up[1], up[2], back[0], back[1], back[2]};
  return c;
}

}  // namespace

ViewCamera look_at(const Vec3& eye, const Vec3& target) {
  Vec3 back = normalised({eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]}, {0, 0, 1});
  Vec3 right = normalised(cross({0, 1, 0}, back), {1, 0, 0});
  Vec3 up = cross(back, right);
  return from_axes(eye, right, up, back);
}

ViewCamera body_camera(const Vec3& eye, const std::array<float, 9>& r, float pitch_down) {
  // The body's axes in the world are the columns of its rotation.
  Vec3 right{r[0], r[3], r[6]}, up{r[1], r[4], r[7]}, back{r[2], r[5], r[8]};
  float c = std::cos(pitch_down), s = std::sin(pitch_down);
  Vec3 pitched_back{back[0] * c + up[0] * s, back[1] * c + up[1] * s, back[2] * c + up[2] * s};
  Vec3 pitched_up{up[0] * c - back[0] * s, up[1] * c - back[1] * s, up[2] * c - back[2] * s};
  return from_axes(eye, right, pitched_up, pitched_back);
}

Matrix4 view_rotation_matrix(const ViewCamera& camera) {
  const std::array<float, 9>& r = camera.rotation;
  return {r[0], r[3], r[6], 0, r[1], r[4], r[7], 0, r[2], r[5], r[8], 0, 0, 0, 0, 1};
}

Matrix4 view_matrix(const ViewCamera& camera) {
  Matrix4 m = view_rotation_matrix(camera);
  const Vec3& e = camera.eye;
  for (int row = 0; row < 3; ++row) {
    m[12 + row] = -(m[row] * e[0] + m[4 + row] * e[1] + m[8 + row] * e[2]);
  }
  return m;
}

Matrix4 perspective_matrix(float fov_y, float aspect, float near_plane, float far_plane) {
  float f = 1.0f / std::tan(fov_y * 3.14159265f / 360.0f);
  Matrix4 m{};
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (far_plane + near_plane) / (near_plane - far_plane);
  m[11] = -1;
  m[14] = 2 * far_plane * near_plane / (near_plane - far_plane);
  return m;
}

std::array<float, 2> chase_direction(const ChaseInput& in) {
  auto flat = [](float x, float z, std::array<float, 2> fallback) -> std::array<float, 2> {
    float l = std::sqrt(x * x + z * z);
    if (!(l > 1e-6f)) return fallback;
    return {x / l, z / l};
  };
  // A bike standing on its nose has no flat backward axis: the camera stays south of it.
  std::array<float, 2> back = flat(in.backward[0], in.backward[2], {0, 1});
  if (in.rigid) return back;
  float speed = std::sqrt(in.velocity[0] * in.velocity[0] + in.velocity[2] * in.velocity[2]);
  if (!(speed > 1e-6f)) return back;
  std::array<float, 2> trailing{-in.velocity[0] / speed, -in.velocity[2] / speed};
  if (speed >= 30) return trailing;
  float k = std::clamp((speed - 10) * 0.05f, 0.0f, 1.0f);
  return flat(back[0] + (trailing[0] - back[0]) * k, back[1] + (trailing[1] - back[1]) * k, back);
}

Vec3 orbit_eye(const Vec3& target, float angle, float distance, float height) {
  return {target[0] + std::sin(angle) * distance, target[1] + height,
          target[2] + std::cos(angle) * distance};
}

std::string orientation_line(double t, const ViewCamera& c) {
  char line[256];
  const std::array<float, 9>& r = c.rotation;
  std::snprintf(line, sizeof line, "t=%f p0=%f p1=%f p2=%f x0=%f x1=%f x2=%f z0=%f z1=%f z2=%f\n",
                t, c.eye[0], c.eye[1], c.eye[2], r[0], r[1], r[2], r[6], r[7], r[8]);
  return line;
}

}  // namespace br
