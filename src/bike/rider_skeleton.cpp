#include "bike/rider_skeleton.h"

#include <cmath>

namespace br {

namespace {

// Rider and bike points of the catalogue, shared by every model.
constexpr RiderPoint kRiderBody{0.0f, 4.5f, 4.12f};
constexpr RiderPoint kForkUpperBody{0.0f, 2.9f, 2.16f};
constexpr RiderPoint kFrameBody{0.0f, 1.98f, 3.6f};
constexpr RiderPoint kHand{0.556f, 0.580375f, -0.654514f};
constexpr RiderPoint kFoot{0.269f, -0.570887f, 0.670607f};
constexpr RiderPoint kGrip{1.097f, 1.145f, 0.753f};
constexpr RiderPoint kPeg{0.6f, -0.557f, 0.584f};
constexpr float kUpperArm = 0.9f, kForearm = 1.15f, kThigh = 1.328f, kShin = 1.701f;

RiderPoint add(RiderPoint a, RiderPoint b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
RiderPoint sub(RiderPoint a, RiderPoint b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
RiderPoint scale(RiderPoint a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
float dot(RiderPoint a, RiderPoint b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
RiderPoint mirror(RiderPoint p, int side) {
  return {side == 0 ? -p.x : p.x, p.y, p.z};
}

// The middle joint of a two-bone limb from root to end, bent toward `pole`.
RiderPoint bend(RiderPoint root, RiderPoint end, float first, float second, RiderPoint pole) {
  RiderPoint d = sub(end, root);
  float len = std::sqrt(dot(d, d));
  float reach = std::fmin(len, (first + second) * 0.999f);
  RiderPoint dir = scale(d, 1.0f / len);
  float along = (first * first - second * second + reach * reach) / (2.0f * reach);
  float across = std::sqrt(std::fmax(0.0f, first * first - along * along));
  RiderPoint side = sub(pole, scale(dir, dot(pole, dir)));
  side = scale(side, 1.0f / std::sqrt(dot(side, side)));
  return add(add(root, scale(dir, along)), scale(side, across));
}

}  // namespace

RiderRestPose rider_rest_pose() {
  RiderRestPose pose;
  for (int side = 0; side < 2; ++side) {
    RiderPoint shoulder = mirror(kHand, side);
    RiderPoint hand = sub(add(kForkUpperBody, mirror(kGrip, side)), kRiderBody);
    RiderPoint hip = mirror(kFoot, side);
    RiderPoint foot = sub(add(kFrameBody, mirror(kPeg, side)), kRiderBody);
    pose.shoulder[size_t(side)] = shoulder;
    pose.hand[size_t(side)] = hand;
    pose.hip[size_t(side)] = hip;
    pose.foot[size_t(side)] = foot;
    // Elbows out and up in the attack position; knees forward and a little out.
    pose.elbow[size_t(side)] =
        bend(shoulder, hand, kUpperArm, kForearm, mirror({1.0f, 0.5f, 0.3f}, side));
    pose.knee[size_t(side)] = bend(hip, foot, kThigh, kShin, mirror({0.35f, 0.0f, -1.0f}, side));
  }
  return pose;
}

}  // namespace br
