// Cameras as the scene renderer takes them: an eye and a rotation whose rows are the camera's
// right, up and backward axes, and the matrices and placements built from them. No graphics
// context needed, so every placement is tested headless.
#pragma once

#include <array>
#include <string>

namespace br {

using Vec3 = std::array<float, 3>;

struct ViewCamera {
  Vec3 eye{0, 0, 0};                                         // feet, world
  std::array<float, 9> rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};  // rows: right, up, backward
  Vec3 right() const { return {rotation[0], rotation[1], rotation[2]}; }
  Vec3 up() const { return {rotation[3], rotation[4], rotation[5]}; }
  Vec3 backward() const { return {rotation[6], rotation[7], rotation[8]}; }
};

// A camera at `eye` looking at `target`, kept upright (the world's y is up). An eye straight
// above or below the target looks along -z's plane instead of failing.
ViewCamera look_at(const Vec3& eye, const Vec3& target);

// A camera whose axes are a body's axes: `body` is a row-major 3 x 3 rotation taking the
// body's own axes to the world (x right, y up, z backward), pitched down by `pitch_down`
// radians about its right axis.
ViewCamera body_camera(const Vec3& eye, const std::array<float, 9>& body, float pitch_down);

// Column-major matrices for the fixed-function pipeline.
using Matrix4 = std::array<float, 16>;
// The view rotation and translation: world to camera.
Matrix4 view_matrix(const ViewCamera& camera);
// The view rotation alone (the sky cube is drawn around the eye).
Matrix4 view_rotation_matrix(const ViewCamera& camera);
// A perspective projection; `fov_y` in degrees, planes in feet.
Matrix4 perspective_matrix(float fov_y, float aspect, float near_plane, float far_plane);

// The chase camera's eye: `distance` horizontally behind `target` and `height` above it,
// never less than 5 ft above the ground under the camera. The direction from the target is
// the bike's backward axis laid flat; unless `rigid`, it turns toward the reversed horizontal
// velocity (fully at 30 ft/s and more, blended in from 10 ft/s).
struct ChaseInput {
  Vec3 target{};    // the look-at point, world
  Vec3 backward{};  // the bike's backward axis, world
  Vec3 velocity{};  // ft/s
  float distance = 10, height = 5;
  bool rigid = false;
};
constexpr float kChaseClearance = 5.0f;  // feet above the ground
template <typename Ground>
Vec3 chase_eye(const ChaseInput& in, Ground ground_height);

// The horizontal unit direction from the target to the chase camera.
std::array<float, 2> chase_direction(const ChaseInput& in);

// The orbit camera's eye around `target` at a free-camera angle (radians), distance and height.
Vec3 orbit_eye(const Vec3& target, float angle, float distance, float height);

// The line --print-orientation writes for one camera at time `t` seconds.
std::string orientation_line(double t, const ViewCamera& camera);

template <typename Ground>
Vec3 chase_eye(const ChaseInput& in, Ground ground_height) {
  std::array<float, 2> d = chase_direction(in);
  Vec3 eye{in.target[0] + d[0] * in.distance, in.target[1] + in.height,
           in.target[2] + d[1] * in.distance};
  float floor = ground_height(eye[0], eye[2]) + kChaseClearance;
  if (eye[1] < floor) eye[1] = floor;
  return eye;
}

}  // namespace br
