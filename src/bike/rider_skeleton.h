// The rider body's skeleton: the nine bones of the skinned rider model and the joints of its
// rest pose, in the rider body's own frame (origin at the catalogue's rider body position).
// The rest pose holds the grips and stands on the pegs of the catalogue's bike, so a renderer
// that poses the bones from the catalogue's points starts from the model as built.
#pragma once

#include <array>

namespace br {

enum RiderBone {
  kRiderTorso = 0,  // pelvis, torso, neck and the helmet
  kRiderLeftUpperArm,
  kRiderLeftForearm,  // with the hand
  kRiderRightUpperArm,
  kRiderRightForearm,
  kRiderLeftThigh,
  kRiderLeftShin,  // with the boot
  kRiderRightThigh,
  kRiderRightShin,
  kRiderBoneCount
};

constexpr const char* kRiderSkeletonName = "rider";

struct RiderPoint {
  float x, y, z;  // feet
};

// Joints for the left (index 0) and right (index 1) sides.
struct RiderRestPose {
  std::array<RiderPoint, 2> shoulder, elbow, hand, hip, knee, foot;
};

RiderRestPose rider_rest_pose();

}  // namespace br
