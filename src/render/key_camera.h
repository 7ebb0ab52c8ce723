// The scripted camera: key frames taken from the free camera, and the view between them, so
// a fly-by can be laid down once and watched again with a demo.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "render/view_camera.h"
#include "world/world.h"

namespace br {

using Quaternion = std::array<float, 4>;  // w, x, y, z

// A camera's turn as a unit quaternion, and back.
Quaternion camera_quaternion(const ViewCamera& camera);
ViewCamera camera_from_quaternion(const Vec3& eye, const Quaternion& q);

// The free camera at yaw and pitch (radians): yaw 0 looks along -z, positive pitch looks up.
ViewCamera aimed_camera(const Vec3& eye, float yaw, float pitch);

// The free camera as it stands now: aimed when "camangle" aimed it, else looking at the
// viewed rider (straight ahead with no rider); stamped with the current frame.
CameraKeyFrame free_camera_key_frame(const World& w);

// Adds a key frame, keeping the list in frame order (after any others at the same frame).
void add_key_frame(std::vector<CameraKeyFrame>& keys, const CameraKeyFrame& key);

// Removes the key frame nearest `frame` at or before it (`after` false) or at or after it
// (`after` true), the first or last one when none lies on that side; fewer than two key
// frames leave the list empty.
void delete_key_frame(std::vector<CameraKeyFrame>& keys, int32_t frame, bool after);

// The view at `frame`: positions blended linearly and turns spherically between the two
// key frames around it; held at the first and last. Nothing for an empty list.
std::optional<ViewCamera> key_frame_camera(const std::vector<CameraKeyFrame>& keys, double frame);

}  // namespace br
