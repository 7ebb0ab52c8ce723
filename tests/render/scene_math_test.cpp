// The scene's arithmetic: camera placement and matrices, billboard order, and the rider's
// limbs reaching the grips and pegs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "render/billboard_sort.h"
#include "render/rider_pose.h"
#include "render/view_camera.h"

namespace br {
namespace {

float dot(const Vec3& a, const Vec3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
float dist(const Vec3& a, const Vec3& b) {
  Vec3 d{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
  return std::sqrt(dot(d, d));
}
Vec3 transform(const Matrix4& m, const Vec3& p) {
  return {m[0] * p[0] + m[4] * p[1] + m[8] * p[2] + m[12],
          m[1] * p[0] + m[5] * p[1] + m[9] * p[2] + m[13],
          m[2] * p[0] + m[6] * p[1] + m[10] * p[2] + m[14]};
}

void expect_orthonormal(const ViewCamera& c) {
  Vec3 r = c.right(), u = c.up(), b = c.backward();
  EXPECT_NEAR(dot(r, r), 1, 1e-5);
  EXPECT_NEAR(dot(u, u), 1, 1e-5);
  EXPECT_NEAR(dot(b, b), 1, 1e-5);
  EXPECT_NEAR(dot(r, u), 0, 1e-5);
  EXPECT_NEAR(dot(r, b), 0, 1e-5);
  EXPECT_NEAR(dot(u, b), 0, 1e-5);
}

TEST(ViewCamera, LookAtPutsTheTargetStraightAheadAndStaysUpright) {
  Vec3 eye{10, 20, 30}, target{40, 5, -10};
  ViewCamera c = look_at(eye, target);
  expect_orthonormal(c);
  EXPECT_NEAR(c.right()[1], 0, 1e-6);  // no roll
  EXPECT_GT(c.up()[1], 0);
  Matrix4 v = view_matrix(c);
  Vec3 at_eye = transform(v, eye), at_target = transform(v, target);
  for (float x : at_eye) EXPECT_NEAR(x, 0, 1e-4);
  EXPECT_NEAR(at_target[0], 0, 1e-3);
  EXPECT_NEAR(at_target[1], 0, 1e-3);
  EXPECT_NEAR(at_target[2], -dist(eye, target), 1e-3);
  // Straight down still gives a usable camera.
  ViewCamera down = look_at({0, 10, 0}, {0, 0, 0});
  expect_orthonormal(down);
  EXPECT_NEAR(down.backward()[1], 1, 1e-6);
}

TEST(ViewCamera, BodyCameraTakesTheBodysAxesAndPitchesDown) {
  // A body turned a quarter left about y: its forward (-z) now points to -x.
  std::array<float, 9> turned{0, 0, 1, 0, 1, 0, -1, 0, 0};
  ViewCamera c = body_camera({1, 2, 3}, turned, 0);
  expect_orthonormal(c);
  EXPECT_NEAR(c.backward()[0], 1, 1e-6);
  EXPECT_NEAR(c.right()[2], -1, 1e-6);
  ViewCamera pitched = body_camera({1, 2, 3}, turned, 20 * 3.14159265f / 180);
  expect_orthonormal(pitched);
  Vec3 forward{-pitched.backward()[0], -pitched.backward()[1], -pitched.backward()[2]};
  EXPECT_NEAR(forward[1], -std::sin(20 * 3.14159265f / 180), 1e-5);
  EXPECT_EQ(orientation_line(1.5, c),
            "t=1.500000 p0=1.000000 p1=2.000000 p2=3.000000 x0=0.000000 x1=0.000000 "
            "x2=-1.000000 z0=1.000000 z1=0.000000 z2=0.000000\n");
}

TEST(ViewCamera, PerspectiveMapsTheNearAndFarPlanesToTheDepthRange) {
  Matrix4 p = perspective_matrix(90, 2, 1, 100);
  auto ndc_z = [&](float z) { return (p[10] * z + p[14]) / (p[11] * z); };
  EXPECT_NEAR(ndc_z(-1), -1, 1e-5);
  EXPECT_NEAR(ndc_z(-100), 1, 1e-4);
  EXPECT_NEAR(p[5], 1, 1e-5);  // 90 degrees: tan 45 = 1
  EXPECT_NEAR(p[0], 0.5, 1e-5);
}

float flat_ground(float, float) {
  return 0;
}

TEST(ChaseCamera, SitsBehindAndAboveTheBikeOrTrailsItsVelocity) {
  ChaseInput in;
  in.target = {100, 3, 200};
  in.backward = {0, 0.3f, 0.95f};  // nose up a little; only the flat direction counts
  in.distance = 10;
  in.height = 5;
  Vec3 still = chase_eye(in, flat_ground);
  EXPECT_NEAR(still[0], 100, 1e-4);
  EXPECT_NEAR(still[1], 8, 1e-4);
  EXPECT_NEAR(still[2], 210, 1e-4);

  // Sliding sideways (+x) at speed: the camera trails the motion, behind it on -x.
  in.velocity = {40, 0, 0};
  Vec3 fast = chase_eye(in, flat_ground);
  EXPECT_NEAR(fast[0], 90, 1e-4);
  EXPECT_NEAR(fast[2], 200, 1e-4);
  // At 20 ft/s halfway between the bike's back and the trailing direction.
  in.velocity = {20, 0, 0};
  std::array<float, 2> half = chase_direction(in);
  EXPECT_NEAR(half[0], -std::sqrt(0.5f), 1e-4);
  EXPECT_NEAR(half[1], std::sqrt(0.5f), 1e-4);
  // Slow: the bike's own back.
  in.velocity = {9, 0, 0};
  EXPECT_NEAR(chase_direction(in)[1], 1, 1e-6);
  // Rigid: always the bike's back.
  in.velocity = {40, 0, 0};
  in.rigid = true;
  EXPECT_NEAR(chase_direction(in)[1], 1, 1e-6);
}

TEST(ChaseCamera, KeepsFiveFeetAboveTheGroundUnderIt) {
  ChaseInput in;
  in.target = {0, 3, 0};
  in.backward = {0, 0, 1};
  in.height = 2;
  // A bank rising behind the bike.
  auto bank = [](float, float z) { return z > 5 ? 20.0f : 0.0f; };
  Vec3 eye = chase_eye(in, bank);
  EXPECT_NEAR(eye[1], 25, 1e-5);
  EXPECT_NEAR(chase_eye(in, flat_ground)[1], 5, 1e-5);
  // A bike on its nose has no flat back; the camera still finds a place.
  in.backward = {0, 1, 0};
  std::array<float, 2> d = chase_direction(in);
  EXPECT_NEAR(d[0] * d[0] + d[1] * d[1], 1, 1e-5);
}

TEST(BillboardOrder, KeysFollowTheDistanceAlongTheBackwardAxis) {
  Vec3 back{0, 0, 1};
  EXPECT_EQ(billboard_key(back, {0, 0, 0}), 1u << 24);
  EXPECT_EQ(billboard_key(back, {7, 9, 1.5f}), (1u << 24) + 1536);
  EXPECT_EQ(billboard_key(back, {0, 0, -0.0005f}), (1u << 24) - 1);  // floor, not truncation
  // Beyond the key's range either way it saturates instead of wrapping.
  EXPECT_EQ(billboard_key(back, {0, 0, -1e6f}), 0u);
  EXPECT_EQ(billboard_key(back, {0, 0, 1e7f}), 0xFFFFFFFFu);
  EXPECT_EQ(billboard_key(back, {0, 0, std::nanf("")}), 0u);
}

TEST(BillboardOrder, RadixSortIsAStableAscendingSort) {
  std::mt19937 rng(7);
  std::vector<KeyedIndex> items, scratch;
  for (int i = 0; i < 5000; ++i) {
    // Few distinct low bytes, so stability and every digit are exercised.
    uint32_t key = (rng() & 0xFF0F0F00u) | (rng() % 3);
    items.push_back({key, i});
  }
  std::vector<KeyedIndex> expected = items;
  std::stable_sort(expected.begin(), expected.end(),
                   [](const KeyedIndex& a, const KeyedIndex& b) { return a.key < b.key; });
  radix_sort(items, scratch);
  ASSERT_EQ(items.size(), expected.size());
  for (size_t i = 0; i < items.size(); ++i) {
    ASSERT_EQ(items[i].key, expected[i].key);
    ASSERT_EQ(items[i].index, expected[i].index);
  }
}

TEST(BillboardOrder, FarToNearAndNothingBehindTheCamera) {
  // Looking along -z from the origin.
  ViewCamera c = look_at({0, 0, 0}, {0, 0, -1});
  std::vector<BillboardPlace> places = {
      {0, 0, -10}, {3, 0, 5}, {0, 2, -100}, {1, 0, -0.5f}, {0, 0, 0}};
  std::vector<KeyedIndex> order = billboard_draw_order(c, places);
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0].index, 2);
  EXPECT_EQ(order[1].index, 0);
  EXPECT_EQ(order[2].index, 3);
}

TEST(BillboardOrder, EqualPicturesNearbyAreDrawnTogether) {
  auto run = [](int lookahead) {
    // Billboard i has picture pictures[i]; the sorted order visits 0..5.
    std::vector<unsigned> pictures = {7, 8, 7, 8, 9, 7};
    std::vector<KeyedIndex> order;
    for (int i = 0; i < 6; ++i) order.push_back({static_cast<uint32_t>(i), i});
    group_equal_pictures(order, pictures, lookahead);
    std::vector<int> indices;
    for (const KeyedIndex& k : order) indices.push_back(k.index);
    return indices;
  };
  EXPECT_EQ(run(0), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(run(1), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(run(2), (std::vector<int>{0, 2, 1, 3, 4, 5}));
  // The last 7 is five places after the first: only a long look-ahead takes it along.
  EXPECT_EQ(run(5), (std::vector<int>{0, 2, 5, 1, 3, 4}));
}

// The rider as built: every body at its catalogue position, unturned.
struct BuiltBike {
  BikeEntry entry;
  BodyPose rider, fork, frame;
  BuiltBike() {
    auto at = [](Vec3f p) {
      BodyPose b;
      b.position = {p.x, p.y, p.z};
      return b;
    };
    rider = at(entry.rider_position);
    fork = at(entry.steering_head);
    frame = at(entry.frame_position);
  }
};

std::array<float, 3> point(RiderPoint p) {
  return {p.x, p.y, p.z};
}

// Where a catalogue point on a body ends up in the rider body's frame.
std::array<float, 3> in_rider_frame(const BodyPose& body, Vec3f local, const BodyPose& rider) {
  const auto& r = body.rotation;
  std::array<float, 3> world{body.position[0] + r[0] * local.x + r[1] * local.y + r[2] * local.z,
                             body.position[1] + r[3] * local.x + r[4] * local.y + r[5] * local.z,
                             body.position[2] + r[6] * local.x + r[7] * local.y + r[8] * local.z};
  std::array<float, 3> d{world[0] - rider.position[0], world[1] - rider.position[1],
                         world[2] - rider.position[2]};
  const auto& q = rider.rotation;
  return {q[0] * d[0] + q[3] * d[1] + q[6] * d[2], q[1] * d[0] + q[4] * d[1] + q[7] * d[2],
          q[2] * d[0] + q[5] * d[1] + q[8] * d[2]};
}

TEST(RiderPose, AsBuiltTheBonesLeaveTheModelAlone) {
  BuiltBike b;
  RiderPose pose = solve_rider_pose(b.entry, b.rider, b.fork, b.frame);
  RiderRestPose rest = rider_rest_pose();
  for (size_t side = 0; side < 2; ++side) {
    for (const std::array<float, 3>& p :
         {point(rest.shoulder[side]), point(rest.elbow[side]), point(rest.hand[side]),
          point(rest.knee[side]), point(rest.foot[side])}) {
      for (const BoneMatrix& m : pose.bones) {
        std::array<float, 3> q = bone_apply(m, p);
        EXPECT_NEAR(dist(q, p), 0, 2e-3);
      }
    }
  }
}

TEST(RiderPose, HandsFollowTheSteeredGripsAndFeetThePegsWithLimbsKeptWhole) {
  BuiltBike b;
  // Steer 0.4 rad about the vertical through the head, and let the rider sit back a little.
  float a = 0.4f;
  b.fork.rotation = {std::cos(a), 0, std::sin(a), 0, 1, 0, -std::sin(a), 0, std::cos(a)};
  b.rider.position[1] -= 0.15f;
  b.rider.position[2] += 0.1f;
  RiderPose pose = solve_rider_pose(b.entry, b.rider, b.fork, b.frame);
  RiderRestPose rest = rider_rest_pose();
  const int forearm[2] = {kRiderLeftForearm, kRiderRightForearm};
  const int upper[2] = {kRiderLeftUpperArm, kRiderRightUpperArm};
  const int shin[2] = {kRiderLeftShin, kRiderRightShin};
  for (size_t side = 0; side < 2; ++side) {
    std::array<float, 3> grip = in_rider_frame(b.fork, b.entry.grips[side], b.rider);
    std::array<float, 3> peg = in_rider_frame(b.frame, b.entry.pegs[side], b.rider);
    // The model's own hand and foot, carried by their bones.
    EXPECT_NEAR(dist(bone_apply(pose.bones[forearm[side]], point(rest.hand[side])), grip), 0, 2e-3);
    EXPECT_NEAR(dist(bone_apply(pose.bones[shin[side]], point(rest.foot[side])), peg), 0, 2e-3);
    // The elbow is where both arm bones take it: the limb does not tear at the joint.
    std::array<float, 3> by_upper = bone_apply(pose.bones[upper[side]], point(rest.elbow[side]));
    std::array<float, 3> by_fore = bone_apply(pose.bones[forearm[side]], point(rest.elbow[side]));
    EXPECT_NEAR(dist(by_upper, by_fore), 0, 2e-3);
    EXPECT_NEAR(dist(point(pose.joints.shoulder[side]), point(pose.joints.elbow[side])),
                b.entry.upper_arm, 2e-3);
  }
}

TEST(RiderPose, AGripOutOfReachGetsAStraightArmPointingAtIt) {
  BuiltBike b;
  b.fork.position[2] -= 3;  // the bars three feet further ahead
  RiderPose pose = solve_rider_pose(b.entry, b.rider, b.fork, b.frame);
  std::array<float, 3> shoulder = point(pose.joints.shoulder[1]);
  std::array<float, 3> hand = point(pose.joints.hand[1]);
  float reach = b.entry.upper_arm + b.entry.forearm;
  EXPECT_NEAR(dist(shoulder, hand), reach, 0.01f * reach);
  std::array<float, 3> grip = in_rider_frame(b.fork, b.entry.grips[1], b.rider);
  Vec3 to_hand{hand[0] - shoulder[0], hand[1] - shoulder[1], hand[2] - shoulder[2]};
  Vec3 to_grip{grip[0] - shoulder[0], grip[1] - shoulder[1], grip[2] - shoulder[2]};
  EXPECT_GT(dot(to_hand, to_grip) / (dist(hand, shoulder) * dist(grip, shoulder)), 0.999f);
  for (const BoneMatrix& m : pose.bones) {
    for (float x : m) EXPECT_TRUE(std::isfinite(x));
  }
}

TEST(RiderPose, SkinningBlendsTheBonesByWeightAndRestoresEachFrame) {
  Model mesh;
  mesh.vertex_count = 2;
  mesh.rest_positions = {1, 0, 0, 0, 2, 0};
  mesh.rest_normals = {1, 0, 0, 0, 1, 0};
  mesh.positions = mesh.rest_positions;
  mesh.normals = mesh.rest_normals;
  mesh.bone_indices = {0, 1, 0, 0, 1, 0, 0, 0};
  mesh.bone_weights = {0.5f, 0.5f, 0, 0, 1, 0, 0, 0};
  RiderBones bones;
  bones.fill({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0});
  bones[1] = {1, 0, 0, 4, 0, 1, 0, 0, 0, 0, 1, 0};  // moved 4 ft along x
  skin_mesh(mesh, bones);
  EXPECT_FLOAT_EQ(mesh.positions[0], 3);
  EXPECT_FLOAT_EQ(mesh.positions[3], 4);
  EXPECT_FLOAT_EQ(mesh.positions[4], 2);
  EXPECT_FLOAT_EQ(mesh.normals[0], 1);
  // Posing again starts from the rest copy, not from last frame's pose.
  skin_mesh(mesh, bones);
  EXPECT_FLOAT_EQ(mesh.positions[3], 4);
}

}  // namespace
}  // namespace br
