#include "render/rider_pose.h"

#include <algorithm>
#include <cmath>

namespace br {
namespace {

using P = std::array<float, 3>;

P sub(P a, P b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
P add(P a, P b) {
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
P scale(P a, float s) {
  return {a[0] * s, a[1] * s, a[2] * s};
}
float dot(P a, P b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
P cross(P a, P b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
P unit(P a, P fallback) {
  float l = std::sqrt(dot(a, a));
  return l > 1e-6f ? scale(a, 1.0f / l) : fallback;
}
P from(RiderPoint p) {
  return {p.x, p.y, p.z};
}
RiderPoint to(P p) {
  return {p[0], p[1], p[2]};
}

// World point to a body's own frame and back.
P to_local(const BodyPose& b, P world) {
  P d = sub(world, b.position);
  const auto& r = b.rotation;
  return {r[0] * d[0] + r[3] * d[1] + r[6] * d[2], r[1] * d[0] + r[4] * d[1] + r[7] * d[2],
          r[2] * d[0] + r[5] * d[1] + r[8] * d[2]};
}
P to_world(const BodyPose& b, P local) {
  const auto& r = b.rotation;
  return add(b.position, {r[0] * local[0] + r[1] * local[1] + r[2] * local[2],
                          r[3] * local[0] + r[4] * local[1] + r[5] * local[2],
                          r[6] * local[0] + r[7] * local[1] + r[8] * local[2]});
}

// The middle joint of a chain from `root` toward `target`, bent to the side of `pole`.
P bend(P root, P target, float first, float second, P pole) {
  P d = sub(target, root);
  float len = std::sqrt(dot(d, d));
  P dir = unit(d, {0, -1, 0});
  float reach =
      std::clamp(len, std::fabs(first - second) * 1.001f + 1e-4f, (first + second) * 0.999f);
  float along = (first * first - second * second + reach * reach) / (2.0f * reach);
  float across = std::sqrt(std::max(0.0f, first * first - along * along));
  P side = unit(sub(pole, scale(dir, dot(pole, dir))), unit(cross(dir, {1, 0, 0}), {0, 0, 1}));
  return add(add(root, scale(dir, along)), scale(side, across));
}

// Orthonormal frame of a bone: its direction, the limb's bend normal and their cross product,
// as the columns of a row-major matrix.
std::array<float, 9> bone_frame(P direction, P normal) {
  P a = unit(direction, {0, -1, 0});
  P n = unit(sub(normal, scale(a, dot(normal, a))), unit(cross(a, {1, 0, 0}), {0, 0, 1}));
  P c = cross(a, n);
  return {a[0], n[0], c[0], a[1], n[1], c[1], a[2], n[2], c[2]};
}

// The bone that turns the rest frame into the posed one about `rest_joint` and moves that
// joint to `posed_joint`.
BoneMatrix bone_between(const std::array<float, 9>& rest, const std::array<float, 9>& posed,
                        P rest_joint, P posed_joint) {
  BoneMatrix m{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      float s = 0;
      for (int k = 0; k < 3; ++k) s += posed[i * 3 + k] * rest[j * 3 + k];  // posed * rest^T
      m[i * 4 + j] = s;
    }
  }
  for (int i = 0; i < 3; ++i) {
    m[i * 4 + 3] = posed_joint[i] - (m[i * 4] * rest_joint[0] + m[i * 4 + 1] * rest_joint[1] +
                                     m[i * 4 + 2] * rest_joint[2]);
  }
  return m;
}

constexpr BoneMatrix kIdentityBone = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

struct Limb {
  int upper, lower;
};
constexpr Limb kArms[2] = {{kRiderLeftUpperArm, kRiderLeftForearm},
                           {kRiderRightUpperArm, kRiderRightForearm}};
constexpr Limb kLegs[2] = {{kRiderLeftThigh, kRiderLeftShin}, {kRiderRightThigh, kRiderRightShin}};

// Solves one limb; returns the posed middle and end joints.
void pose_limb(RiderBones& bones, Limb limb, P root, P rest_mid, P rest_end, P target, float first,
               float second, P* mid_out, P* end_out) {
  P mid = bend(root, target, first, second, sub(rest_mid, root));
  P end = add(mid, scale(unit(sub(target, mid), sub(rest_end, rest_mid)), second));
  P rest_normal = cross(sub(rest_end, root), sub(rest_mid, root));
  P posed_normal = cross(sub(end, root), sub(mid, root));
  if (dot(posed_normal, posed_normal) < 1e-10f) posed_normal = rest_normal;
  bones[limb.upper] = bone_between(bone_frame(sub(rest_mid, root), rest_normal),
                                   bone_frame(sub(mid, root), posed_normal), root, root);
  bones[limb.lower] = bone_between(bone_frame(sub(rest_end, rest_mid), rest_normal),
                                   bone_frame(sub(end, mid), posed_normal), rest_mid, mid);
  *mid_out = mid;
  *end_out = end;
}

}  // namespace

std::array<float, 3> bone_apply(const BoneMatrix& m, const std::array<float, 3>& p) {
  return {m[0] * p[0] + m[1] * p[1] + m[2] * p[2] + m[3],
          m[4] * p[0] + m[5] * p[1] + m[6] * p[2] + m[7],
          m[8] * p[0] + m[9] * p[1] + m[10] * p[2] + m[11]};
}

RiderPose solve_rider_pose(const BikeEntry& entry, const BodyPose& rider,
                           const BodyPose& fork_upper, const BodyPose& frame) {
  RiderPose out;
  out.bones.fill(kIdentityBone);
  RiderRestPose rest = rider_rest_pose();
  out.joints = rest;
  for (size_t side = 0; side < 2; ++side) {
    const Vec3f& g = entry.grips[side];
    const Vec3f& q = entry.pegs[side];
    P grip = to_local(rider, to_world(fork_upper, {g.x, g.y, g.z}));
    P peg = to_local(rider, to_world(frame, {q.x, q.y, q.z}));
    P elbow, hand, knee, foot;
    pose_limb(out.bones, kArms[side], from(rest.shoulder[side]), from(rest.elbow[side]),
              from(rest.hand[side]), grip, entry.upper_arm, entry.forearm, &elbow, &hand);
    pose_limb(out.bones, kLegs[side], from(rest.hip[side]), from(rest.knee[side]),
              from(rest.foot[side]), peg, entry.thigh, entry.shin, &knee, &foot);
    out.joints.elbow[side] = to(elbow);
    out.joints.hand[side] = to(hand);
    out.joints.knee[side] = to(knee);
    out.joints.foot[side] = to(foot);
  }
  return out;
}

void skin_mesh(Model& mesh, const RiderBones& bones) {
  if (mesh.rest_positions.size() < static_cast<size_t>(mesh.vertex_count) * 3 ||
      mesh.bone_indices.size() < static_cast<size_t>(mesh.vertex_count) * kMaxBoneInfluences ||
      mesh.bone_weights.size() < mesh.bone_indices.size()) {
    return;
  }
  bool normals = mesh.rest_normals.size() == mesh.rest_positions.size() &&
                 mesh.normals.size() == mesh.rest_positions.size();
  mesh.positions.resize(mesh.rest_positions.size());
  for (int v = 0; v < mesh.vertex_count; ++v) {
    const float* p = &mesh.rest_positions[static_cast<size_t>(v) * 3];
    const float* n = normals ? &mesh.rest_normals[static_cast<size_t>(v) * 3] : nullptr;
    float out_p[3] = {0, 0, 0}, out_n[3] = {0, 0, 0};
    float total = 0;
    for (int k = 0; k < kMaxBoneInfluences; ++k) {
      size_t slot = static_cast<size_t>(v) * kMaxBoneInfluences + k;
      float w = mesh.bone_weights[slot];
      if (w == 0) continue;
      int b = mesh.bone_indices[slot];
      const BoneMatrix& m = b < kRiderBoneCount ? bones[b] : kIdentityBone;
      for (int i = 0; i < 3; ++i) {
        out_p[i] +=
            w * (m[i * 4] * p[0] + m[i * 4 + 1] * p[1] + m[i * 4 + 2] * p[2] + m[i * 4 + 3]);
        if (n) out_n[i] += w * (m[i * 4] * n[0] + m[i * 4 + 1] * n[1] + m[i * 4 + 2] * n[2]);
      }
      total += w;
    }
    // A vertex without weights rests where it was built.
    if (total <= 0) {
      std::copy_n(p, 3, out_p);
      if (n) std::copy_n(n, 3, out_n);
    }
    std::copy_n(out_p, 3, &mesh.positions[static_cast<size_t>(v) * 3]);
    if (n) std::copy_n(out_n, 3, &mesh.normals[static_cast<size_t>(v) * 3]);
  }
}

}  // namespace br
