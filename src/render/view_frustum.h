// The part of the world a camera sees, as six planes, for leaving out what lies wholly outside
// it before anything is sent to the driver. No graphics here.
#pragma once

#include <array>

#include "render/view_camera.h"

namespace br {

struct ViewFrustum {
  // a x + b y + c z + d >= 0 inside; world coordinates, feet.
  std::array<std::array<float, 4>, 6> planes{};
};

// From the projection and the full view matrix (column-major, as OpenGL takes them).
ViewFrustum view_frustum(const Matrix4& projection, const Matrix4& view);

// False only when the sphere lies wholly outside.
bool frustum_sees_sphere(const ViewFrustum& f, float x, float y, float z, float radius);
// False only when the box lies wholly outside.
bool frustum_sees_box(const ViewFrustum& f, const float low[3], const float high[3]);

}  // namespace br
