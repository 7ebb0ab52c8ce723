// Posing the skinned rider each frame: the hands reach the grips on the upper fork and the
// feet the pegs on the frame, each limb bent as a two-bone chain in the plane its rest pose
// bends in. Everything is in the rider body's own frame, where the rider model is built.
#pragma once

#include <array>

#include "bike/catalogue.h"
#include "bike/rider_skeleton.h"
#include "render/model.h"

namespace br {

// Row-major 3 x 4: rotation then translation, p' = R p + t.
using BoneMatrix = std::array<float, 12>;
using RiderBones = std::array<BoneMatrix, kRiderBoneCount>;

// A body's pose in the world: position (feet) and a row-major rotation (own axes to world).
struct BodyPose {
  std::array<float, 3> position{};
  std::array<float, 9> rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
};

struct RiderPose {
  RiderBones bones;
  RiderRestPose joints;  // the posed joints, rider body frame
};

// The bones that carry the rest pose's hands to `entry`'s grips and its feet to the pegs,
// given where the rider body, the upper fork and the frame are. A grip out of reach gets the
// hand as near as the straightened arm allows.
RiderPose solve_rider_pose(const BikeEntry& entry, const BodyPose& rider,
                           const BodyPose& fork_upper, const BodyPose& frame);

// A point carried by a bone.
std::array<float, 3> bone_apply(const BoneMatrix& m, const std::array<float, 3>& p);

// Writes the posed positions and normals of a skinned mesh over its arrays, from its rest
// copies. Bones beyond the given ones stay where they rest.
void skin_mesh(Model& mesh, const RiderBones& bones);

}  // namespace br
