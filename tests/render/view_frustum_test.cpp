// What the culling relies on: the planes sit where the camera's picture ends, with unit normals,
// so a sphere's radius is measured in feet; and nothing that shows is ever left out.
#include "render/view_frustum.h"

#include <gtest/gtest.h>

#include <cmath>

namespace br {
namespace {

constexpr float kFovY = 60, kAspect = 16.0f / 9.0f, kNear = 1, kFar = 1000;

ViewFrustum looking(const Vec3& eye, const Vec3& target) {
  return view_frustum(perspective_matrix(kFovY, kAspect, kNear, kFar),
                      view_matrix(look_at(eye, target)));
}

bool sees(const ViewFrustum& f, const Vec3& p, float radius = 0) {
  return frustum_sees_sphere(f, p[0], p[1], p[2], radius);
}

TEST(ViewFrustum, PlanesLieOnTheEdgesOfThePicture) {
  const ViewFrustum f = looking({0, 0, 0}, {0, 0, -1});
  for (const auto& p : f.planes) {
    EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1.0f, 1e-5f);
  }
  // Near and far.
  EXPECT_TRUE(sees(f, {0, 0, -1.01f}));
  EXPECT_FALSE(sees(f, {0, 0, -0.99f}));
  EXPECT_TRUE(sees(f, {0, 0, -999}));
  EXPECT_FALSE(sees(f, {0, 0, -1001}));
  EXPECT_FALSE(sees(f, {0, 0, 5}));  // behind the eye
  // At 10 ft the picture is 10 tan 30 deg = 5.77 ft high each way, 16/9 of that wide.
  const float half_high = 10 * std::tan(static_cast<float>(M_PI) / 6);
  const float half_wide = half_high * kAspect;
  for (float sign : {-1.0f, 1.0f}) {
    EXPECT_TRUE(sees(f, {0, sign * (half_high - 0.05f), -10}));
    EXPECT_FALSE(sees(f, {0, sign * (half_high + 0.05f), -10}));
    EXPECT_TRUE(sees(f, {sign * (half_wide - 0.05f), 0, -10}));
    EXPECT_FALSE(sees(f, {sign * (half_wide + 0.05f), 0, -10}));
  }
  // Half a foot above the top edge is 0.5 cos 30 deg = 0.43 ft from its slanted plane.
  const Vec3 above = {0, half_high + 0.5f, -10};
  EXPECT_TRUE(sees(f, above, 0.45f));
  EXPECT_FALSE(sees(f, above, 0.41f));
}

// A camera away from the origin and turned: the view's translation and rotation both count.
TEST(ViewFrustum, FollowsAMovedAndTurnedCamera) {
  const Vec3 eye = {500, 40, -300};
  const ViewFrustum f = looking(eye, {600, 40, -300});  // looking along +x
  EXPECT_TRUE(sees(f, {550, 40, -300}));
  EXPECT_TRUE(sees(f, {550, 40, -280}));
  EXPECT_FALSE(sees(f, {450, 40, -300}));  // behind
  EXPECT_FALSE(sees(f, {500, 40, -250}));  // beside the eye
  EXPECT_FALSE(sees(f, {0, 0, 0}));        // the origin lies behind it
  // A sphere round the eye itself is always drawn.
  EXPECT_TRUE(sees(f, eye, 2));
}

TEST(ViewFrustum, BoxesAreLeftOutOnlyWhenWhollyOutside) {
  const ViewFrustum f = looking({0, 0, 0}, {0, 0, -1});
  const float ahead_low[3] = {-1, -1, -20}, ahead_high[3] = {1, 1, -10};
  EXPECT_TRUE(frustum_sees_box(f, ahead_low, ahead_high));
  // Across the left edge, no corner inside: still seen.
  const float across_low[3] = {-100, -1, -20}, across_high[3] = {100, 1, -19};
  EXPECT_TRUE(frustum_sees_box(f, across_low, across_high));
  // Round the eye.
  const float round_low[3] = {-5, -5, -5}, round_high[3] = {5, 5, 5};
  EXPECT_TRUE(frustum_sees_box(f, round_low, round_high));
  const float behind_low[3] = {-1, -1, 2}, behind_high[3] = {1, 1, 4};
  EXPECT_FALSE(frustum_sees_box(f, behind_low, behind_high));
  const float left_low[3] = {-60, -1, -20}, left_high[3] = {-40, 1, -10};
  EXPECT_FALSE(frustum_sees_box(f, left_low, left_high));
  const float below_low[3] = {-1, -50, -20}, below_high[3] = {1, -30, -10};
  EXPECT_FALSE(frustum_sees_box(f, below_low, below_high));
}

}  // namespace
}  // namespace br
