#include "render/key_camera.h"

#include <algorithm>
#include <cmath>

#include "render/view_cameras.h"

namespace br {
namespace {

Quaternion normalised(Quaternion q) {
  float n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (!(n > 0) || !std::isfinite(n)) return {1, 0, 0, 0};
  for (float& c : q) c /= n;
  return q;
}

Quaternion slerp(Quaternion a, Quaternion b, float t) {
  float dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
  // q and -q are the same turn: go the short way round.
  if (dot < 0) {
    for (float& c : b) c = -c;
    dot = -dot;
  }
  Quaternion q;
  if (dot > 0.9995f) {
    for (size_t i = 0; i < 4; ++i) q[i] = a[i] + (b[i] - a[i]) * t;
    return normalised(q);
  }
  float angle = std::acos(std::min(dot, 1.0f));
  float s = std::sin(angle);
  float wa = std::sin((1 - t) * angle) / s, wb = std::sin(t * angle) / s;
  for (size_t i = 0; i < 4; ++i) q[i] = wa * a[i] + wb * b[i];
  return normalised(q);
}

}  // namespace

Quaternion camera_quaternion(const ViewCamera& camera) {
  // The camera's axes are the columns of its turn: m(row, col) = axis col's component row.
  const std::array<float, 9>& r = camera.rotation;
  auto m = [&](int row, int col) { return r[static_cast<size_t>(col * 3 + row)]; };
  float trace = m(0, 0) + m(1, 1) + m(2, 2);
  Quaternion q;
  if (trace > 0) {
    float s = std::sqrt(trace + 1.0f) * 2;
    q = {0.25f * s, (m(2, 1) - m(1, 2)) / s, (m(0, 2) - m(2, 0)) / s, (m(1, 0) - m(0, 1)) / s};
  } else if (m(0, 0) > m(1, 1) && m(0, 0) > m(2, 2)) {
    float s = std::sqrt(1.0f + m(0, 0) - m(1, 1) - m(2, 2)) * 2;
    q = {(m(2, 1) - m(1, 2)) / s, 0.25f * s, (m(0, 1) + m(1, 0)) / s, (m(0, 2) + m(2, 0)) / s};
  } else if (m(1, 1) > m(2, 2)) {
    float s = std::sqrt(1.0f + m(1, 1) - m(0, 0) - m(2, 2)) * 2;
    q = {(m(0, 2) - m(2, 0)) / s, (m(0, 1) + m(1, 0)) / s, 0.25f * s, (m(1, 2) + m(2, 1)) / s};
  } else {
    float s = std::sqrt(1.0f + m(2, 2) - m(0, 0) - m(1, 1)) * 2;
    q = {(m(1, 0) - m(0, 1)) / s, (m(0, 2) + m(2, 0)) / s, (m(1, 2) + m(2, 1)) / s, 0.25f * s};
  }
  return normalised(q);
}

ViewCamera camera_from_quaternion(const Vec3& eye, const Quaternion& in) {
  Quaternion q = normalised(in);
  float w = q[0], x = q[1], y = q[2], z = q[3];
  float m[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                   {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                   {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
  ViewCamera c;
  c.eye = eye;
  for (int axis = 0; axis < 3; ++axis) {
    for (int k = 0; k < 3; ++k) c.rotation[static_cast<size_t>(axis * 3 + k)] = m[k][axis];
  }
  return c;
}

ViewCamera aimed_camera(const Vec3& eye, float yaw, float pitch) {
  Vec3 ahead{-std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
  return look_at(eye, {eye[0] + ahead[0], eye[1] + ahead[1], eye[2] + ahead[2]});
}

CameraKeyFrame free_camera_key_frame(const World& w) {
  const std::array<double, 3>& p = w.free_camera_position;
  Vec3 eye{static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
  const ConsoleState& c = w.console;
  ViewCamera camera = aimed_camera(eye, c.free_camera_yaw, c.free_camera_pitch);
  const RiderSlot& viewed = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (!c.free_camera_aimed && viewed.bike) camera = look_at(eye, chase_target(w, *viewed.bike));
  CameraKeyFrame key;
  key.position = eye;
  key.rotation = camera_quaternion(camera);
  key.frame = w.frame;
  return key;
}

void add_key_frame(std::vector<CameraKeyFrame>& keys, const CameraKeyFrame& key) {
  auto later = std::upper_bound(keys.begin(), keys.end(), key.frame,
                                [](int32_t f, const CameraKeyFrame& k) { return f < k.frame; });
  keys.insert(later, key);
}

void delete_key_frame(std::vector<CameraKeyFrame>& keys, int32_t frame, bool after) {
  if (keys.size() < 2) {
    keys.clear();
    return;
  }
  auto first_after = std::upper_bound(
      keys.begin(), keys.end(), frame, [](int32_t f, const CameraKeyFrame& k) { return f < k.frame; });
  if (after) {
    auto at_or_after = std::lower_bound(
        keys.begin(), keys.end(), frame,
        [](const CameraKeyFrame& k, int32_t f) { return k.frame < f; });
    keys.erase(at_or_after == keys.end() ? keys.end() - 1 : at_or_after);
  } else {
    keys.erase(first_after == keys.begin() ? keys.begin() : first_after - 1);
  }
}

std::optional<ViewCamera> key_frame_camera(const std::vector<CameraKeyFrame>& keys,
                                           double frame) {
  if (keys.empty()) return std::nullopt;
  auto next = std::upper_bound(keys.begin(), keys.end(), frame,
                               [](double f, const CameraKeyFrame& k) { return f < k.frame; });
  if (next == keys.begin()) return camera_from_quaternion(keys.front().position, keys.front().rotation);
  if (next == keys.end()) return camera_from_quaternion(keys.back().position, keys.back().rotation);
  const CameraKeyFrame& a = *(next - 1);
  const CameraKeyFrame& b = *next;
  float t = static_cast<float>((frame - a.frame) / (b.frame - a.frame));
  Vec3 eye;
  for (size_t i = 0; i < 3; ++i) eye[i] = a.position[i] + (b.position[i] - a.position[i]) * t;
  return camera_from_quaternion(eye, slerp(a.rotation, b.rotation, t));
}

}  // namespace br
