// Bikes packed into snapshots and posed from them again: the joints must come back as the
// record says, within the steps its fields are quantised to.
#include "replay/snapshot_pose.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>

#include "bike/bike.h"
#include "bike/controls.h"
#include "bike/crash.h"
#include "bike/physics_world.h"
#include "replay/history_pose.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"

namespace br {
namespace {

constexpr double kPi = 3.14159265358979323846;

class SnapshotPose : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    br_test::lay_flat_ground(7, 4.0f);  // 512 ft
    box = snapshot_box(g_world.track.terrain);
  }
  void TearDown() override {
    for (RiderSlot& s : g_world.slots) s.bike.reset();
    br_test::close_bike_world();
  }
  Bike& build(int slot, const char* model = "yz250f(2013)") {
    g_world.slots[static_cast<size_t>(slot)].bike =
        build_bike(g_world, model, slot, "7", "", "", "", "");
    return *g_world.slots[static_cast<size_t>(slot)].bike;
  }
  // Standing still at (100, 100), facing -z.
  Bike& build_upright(int slot) {
    Bike& bike = build(slot);
    dMatrix3 r;
    dRSetIdentity(r);
    place_bike(bike, {100, 3, 100}, r, {0, 0, 0});
    return bike;
  }
  SnapshotBox box;
};

std::array<double, 3> position(const Bike& b, int body) {
  const dReal* p = dBodyGetPosition(b.bodies[body]);
  return {p[0], p[1], p[2]};
}

double distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                   (a[2] - b[2]) * (a[2] - b[2]));
}

// The angle between two bodies' orientations.
double turn_between(const Bike& a, const Bike& b, int body) {
  const dReal* p = dBodyGetQuaternion(a.bodies[body]);
  const dReal* q = dBodyGetQuaternion(b.bodies[body]);
  double dot = std::fabs(p[0] * q[0] + p[1] * q[1] + p[2] * q[2] + p[3] * q[3]);
  return 2 * std::acos(std::min(dot, 1.0));
}

TEST_F(SnapshotPose, ASnapshotPosesTheJointsItRecords) {
  // Every field set away from its rest value, so a joint read or placed the wrong way round
  // shows up as a changed byte.
  Snapshot s{};
  put_fraction(&s[kSnapFrameX], 3, 0.31);
  put_fraction(&s[kSnapFrameY], 3, 0.01);
  put_fraction(&s[kSnapFrameZ], 3, 0.62);
  double yaw = 0.7, lean = 0.4;
  put_quat(&s[kSnapFrameQuat],
           {std::cos(yaw / 2) * std::cos(lean / 2), std::sin(yaw / 2) * std::sin(lean / 2),
            std::sin(yaw / 2) * std::cos(lean / 2), std::cos(yaw / 2) * std::sin(lean / 2)});
  s[kSnapSteering] = 170;
  s[kSnapSwingarm] = 61;
  s[kSnapFork] = 90;
  put_fraction(&s[kSnapRiderOffset], 2, 0.52);
  put_fraction(&s[kSnapRiderOffset + 2], 2, 0.56);
  put_fraction(&s[kSnapRiderOffset + 4], 2, 0.49);
  put_quat(&s[kSnapRiderQuat], {std::cos(0.35), 0, std::sin(0.35), 0});
  s[kSnapFrontWheel] = 40;
  s[kSnapRearWheel] = 210;
  s[kSnapStatus] = encode_riding_status(2, false, 0.6);
  put_fraction(&s[kSnapEngineSpeed], 2, 0.3);

  Bike& bike = build(0);
  unpack_snapshot(bike, s.data(), 5, box);
  Snapshot back;
  pack_snapshot(bike, box, back);
  for (int i = 0; i < kSnapshotBytes; ++i) {
    EXPECT_LE(std::abs(back[i] - s[i]), 1) << "byte " << i;
  }
  EXPECT_EQ(back[kSnapStatus], s[kSnapStatus]);
  EXPECT_EQ(bike.controls.gear, 2);
}

// A bike ridden, leaning and crashing on flat ground, packed at several moments and posed
// again on a second bike. Bounds: the frame within one 24-bit step of the 512 ft box per
// axis; orientations within 3/65535 per quaternion component (one 2/65535 step lost to the
// floor, and a little more to making the quaternion whole again: about 1e-4 rad); the rider
// within one 16-bit step of 32 ft; the other bodies follow from byte-sized joint steps (at
// most 2 pi / 255 about a wheel axle, a 255th of the travels) and so stay within 0.03 ft.
TEST_F(SnapshotPose, ARiddenLeaningAndCrashedBikeComesBackWithinItsQuantisation) {
  World& w = g_world;
  Bike& ridden = build(0);
  Bike& copy = build(1);
  dMatrix3 r;
  dRFromAxisAndAngle(r, 0, 0, 1, 0.3);  // leaning over at the start
  place_bike(ridden, {250, 2.2, 250}, r, {6, 0, -30});
  w.slots[0].control = kControlLocal;
  hold(copy);  // posed only

  double frame_step = box.size / 16777215;
  bool saw_crash = false;
  for (int tick = 0; tick < 640; ++tick) {
    set_throttle(ridden, 0.8f);
    set_steering(ridden, tick < 200 ? 0.3f : -0.2f);
    if (tick == 300) crash_rider(w, ridden);
    world_tick(w);
    if (tick % 80 != 79) continue;
    Snapshot s;
    pack_snapshot(ridden, box, s);
    unpack_snapshot(copy, s.data(), 5, box);
    SCOPED_TRACE(testing::Message() << "tick " << tick);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(position(copy, kBodyFrame)[i], position(ridden, kBodyFrame)[i], frame_step);
    }
    const dReal* q = dBodyGetQuaternion(ridden.bodies[kBodyFrame]);
    const dReal* p = dBodyGetQuaternion(copy.bodies[kBodyFrame]);
    double sign = q[0] * p[0] + q[1] * p[1] + q[2] * p[2] + q[3] * p[3] < 0 ? -1 : 1;
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(sign * p[i], q[i], 3.0 / 65535);
    EXPECT_LT(distance(position(copy, kBodyRider), position(ridden, kBodyRider)),
              2 * 32.0 / 65535 + 2 * frame_step);
    for (int body :
         {kBodyForkUpper, kBodyForkLower, kBodySwingarm, kBodyFrontWheel, kBodyRearWheel}) {
      EXPECT_LT(distance(position(copy, body), position(ridden, body)), 0.03) << "body " << body;
    }
    EXPECT_LT(turn_between(copy, ridden, kBodyRearWheel), 2 * kPi / 255 + 0.01);
    EXPECT_LT(turn_between(copy, ridden, kBodyForkUpper), kPi / 2 / 255 + 0.005);
    EXPECT_EQ(copy.state.crash_timer > 0, ridden.state.crash_timer > 0);
    saw_crash = saw_crash || copy.state.crash_timer > 0;
    if (ridden.state.crash_timer == 0) {
      EXPECT_EQ(copy.controls.gear, ridden.controls.gear);
      EXPECT_NEAR(engine_rpm(copy), engine_rpm(ridden), 32768.0 / 65535 + 1);
    }
  }
  EXPECT_TRUE(saw_crash);
}

TEST_F(SnapshotPose, AFallenRiderIsLetGoAndTakenBackWhereTheSnapshotPutsHim) {
  Bike& bike = build_upright(0);
  Snapshot riding;
  pack_snapshot(bike, box, riding);
  Snapshot fallen = riding;
  fallen[kSnapStatus] = encode_crashed_status(300);
  put_fraction(&fallen[kSnapRiderOffset], 2, (5 + 16) / 32.0);  // 5 ft to the right

  unpack_snapshot(bike, fallen.data(), 5, box);
  EXPECT_GT(bike.state.crash_timer, 0);
  EXPECT_EQ(dJointGetBody(bike.joints[kJointRiderMount], 0), nullptr);

  // Back on: the mount holds again, and the rider stays where the record puts him.
  Snapshot back = riding;
  unpack_snapshot(bike, back.data(), 5, box);
  EXPECT_EQ(bike.state.crash_timer, 0);
  EXPECT_EQ(dJointGetBody(bike.joints[kJointRiderMount], 0), bike.bodies[kBodyRider]);
  double offset_x = get_fraction(&riding[kSnapRiderOffset], 2) * 32 - 16;
  EXPECT_NEAR(position(bike, kBodyRider)[0] - position(bike, kBodyFrame)[0], offset_x, 1e-6);
}

TEST_F(SnapshotPose, AMissingTopGearIsReadAsTheHighestTheBikeHas) {
  Snapshot s;
  Bike& six = build(0, "kx125");
  Bike& five = build(1, "yz250f(2013)");
  pack_snapshot(six, box, s);
  s[kSnapStatus] = encode_riding_status(6, false, 0);
  unpack_snapshot(six, s.data(), 5, box);
  EXPECT_EQ(six.controls.gear, 5);
  unpack_snapshot(five, s.data(), 5, box);
  EXPECT_EQ(five.controls.gear, 4);
}

TEST_F(SnapshotPose, TheOldestDemosPoseTheRiderFromHisLean) {
  Bike& bike = build_upright(0);
  Snapshot full;
  pack_snapshot(bike, box, full);
  Snapshot old{};
  std::copy(full.begin(), full.begin() + 20, old.begin());
  old[kOldSnapFrontWheel] = full[kSnapFrontWheel];
  old[kOldSnapRearWheel] = full[kSnapRearWheel];
  old[kOldSnapStatus] = encode_riding_status(1, false, 1);
  old[kOldSnapEngineSpeed] = full[kSnapEngineSpeed];
  old[kOldSnapEngineSpeed + 1] = full[kSnapEngineSpeed + 1];
  const BikeEntry& e = bike.entry;
  for (uint8_t lean : {0, 255}) {
    old[kOldSnapLean] = lean;
    unpack_snapshot(bike, old.data(), 4, box);
    // Along the mount's travel from its rest seat, by one of the model's lean limits.
    double along = lean == 0 ? e.rider_factors[0] : e.rider_factors[1];
    double length = std::hypot(e.rider_lengths[0], e.rider_lengths[1]);
    double seat_z = position(bike, kBodyFrame)[2] + e.rider_position.z - e.frame_position.z;
    EXPECT_NEAR(position(bike, kBodyRider)[2] - seat_z, along * e.rider_lengths[1] / length, 1e-3);
  }
  EXPECT_EQ(bike.controls.gear, 1);
  EXPECT_FLOAT_EQ(bike.controls.throttle, 1);
}

}  // namespace
}  // namespace br
