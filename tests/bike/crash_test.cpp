#include "bike/crash.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bike/physics_world.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "support/bike_world.h"

namespace br {
namespace {

class Crash : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    bike = build_bike(g_world, "yz250f(2013)", 0, "9", "", "", "", "");
  }
  void TearDown() override {
    bike.reset();
    br_test::close_bike_world();
  }
  void set_velocity(double vx, double vy, double vz) {
    for (dBodyID b : bike->bodies) dBodySetLinearVel(b, vx, vy, vz);
  }
  // Four ticks of tracking at a steady velocity, as the ring would hold them.
  void track_four_ticks() {
    for (int i = 0; i < 4; ++i) {
      track_velocities(g_world, *bike);
      g_world.frame += 1;
    }
  }
  double rider_to_grip(int side) {
    dVector3 hand, grip;
    const BikeEntry& e = bike->entry;
    dBodyGetRelPointPos(bike->bodies[kBodyRider], e.hands[side].x, e.hands[side].y, e.hands[side].z,
                        hand);
    dBodyGetRelPointPos(bike->bodies[kBodyForkUpper], e.grips[side].x, e.grips[side].y,
                        e.grips[side].z, grip);
    return std::sqrt((hand[0] - grip[0]) * (hand[0] - grip[0]) +
                     (hand[1] - grip[1]) * (hand[1] - grip[1]) +
                     (hand[2] - grip[2]) * (hand[2] - grip[2]));
  }
  BikePtr bike;
};

TEST_F(Crash, AHardLandingThrowsTheRiderAndASoftOneDoesNot) {
  set_velocity(0, -50, 0);
  track_four_ticks();
  set_velocity(0, 0, 0);  // stopped dead within four steps: 50 ft/s in 1/32 s
  EXPECT_TRUE(rider_thrown(g_world, *bike));

  set_velocity(0, -10, 0);
  track_four_ticks();
  set_velocity(0, 0, 0);  // 320 ft/s^2 (10 g) is ridden out
  EXPECT_FALSE(rider_thrown(g_world, *bike));

  // Falling freely is no shock at all.
  for (int i = 0; i < 12; ++i) {
    step_physics(g_world);
    track_velocities(g_world, *bike);
    g_world.frame += 1;
  }
  step_physics(g_world);
  EXPECT_FALSE(rider_thrown(g_world, *bike));
}

TEST_F(Crash, ABikePlacedAtSpeedKeepsItsRider) {
  dMatrix3 level;
  dRSetIdentity(level);
  place_bike(*bike, {0, 10, 0}, level, {0, -5, -60});
  EXPECT_FALSE(rider_thrown(g_world, *bike));
  g_world.frame += 3;
  EXPECT_FALSE(rider_thrown(g_world, *bike));
}

TEST_F(Crash, ARiderTornFromTheFrameIsThrownUnlessProtected) {
  track_four_ticks();
  dBodySetLinearVel(bike->bodies[kBodyRider], 0, 0, 32);
  EXPECT_TRUE(rider_thrown(g_world, *bike));
  bike->state.collision_cooldown = -1;
  EXPECT_FALSE(rider_thrown(g_world, *bike));
  bike->state.collision_cooldown = 0;
  bike->state.crash_timer = 100;  // already down
  EXPECT_FALSE(rider_thrown(g_world, *bike));
}

TEST_F(Crash, CrashTimerCountsOnlyOnceTheRiderRestsAndThenHeRemounts) {
  g_world.knockout_ticks[1] = 100;
  crash_rider(g_world, *bike);
  EXPECT_EQ(bike->state.crash_timer, 512);
  EXPECT_EQ(bike->crash_count, 1);
  EXPECT_EQ(dJointGetBody(bike->joints[kJointRiderMount], 0), nullptr);
  bike->state.crash_timer = 0;
  crash_rider(g_world, *bike);
  EXPECT_EQ(bike->state.crash_timer, 612);  // the second crash takes the second entry
  bike->state.crash_timer = 3;

  dWorldSetGravity(g_world.physics.world, 0, 0, 0);
  dBodySetLinearVel(bike->bodies[kBodyRider], 5, 0, 0);
  step_crashed_rider(g_world, *bike);
  EXPECT_EQ(bike->state.crash_timer, 3);  // still tumbling

  dBodySetLinearVel(bike->bodies[kBodyRider], 0, 0, 0);
  dBodySetPosition(bike->bodies[kBodyRider], 10, 1, 4);
  for (int i = 0; i < 3; ++i) step_crashed_rider(g_world, *bike);
  EXPECT_EQ(bike->state.crash_timer, 0);
  EXPECT_EQ(dJointGetBody(bike->joints[kJointRiderMount], 1), bike->bodies[kBodyFrame]);
  const dReal* at = dBodyGetPosition(bike->bodies[kBodyRider]);
  EXPECT_NEAR(at[0], 0, 1e-9);
  EXPECT_NEAR(at[1], bike->entry.rider_position.y, 1e-5);
}

TEST_F(Crash, ATumblingRiderMeetsHisOwnFrameAndFork) {
  dWorldSetGravity(g_world.physics.world, 0, 0, 0);
  crash_rider(g_world, *bike);
  dBodyID rider = bike->bodies[kBodyRider];
  auto contacts_with = [&](dBodyID part) {
    int n = 0;
    for (int i = 0; i < dBodyGetNumJoints(rider); ++i) {
      dJointID j = dBodyGetJoint(rider, i);
      if (dJointGetType(j) != dJointTypeContact) continue;
      n += dJointGetBody(j, 0) == part || dJointGetBody(j, 1) == part;
    }
    return n;
  };
  // Fallen into his own frame and fork while still moving: pushed out, not passed through.
  for (int part : {kBodyFrame, kBodyForkUpper}) {
    const dReal* at = dBodyGetPosition(bike->bodies[part]);
    dBodySetPosition(rider, at[0], at[1], at[2]);
    dBodySetLinearVel(rider, 0, -6, 0);
    step_crashed_rider(g_world, *bike);
    EXPECT_GT(contacts_with(bike->bodies[part]), 0) << part;
    dJointGroupEmpty(g_world.physics.contacts);
  }
}

// A rider flung sideways off a bike floating free: the hand ropes catch him, and the bike,
// pulled along, shares his momentum.
TEST_F(Crash, RopesHoldATumblingRiderToTheBike) {
  dWorldSetGravity(g_world.physics.world, 0, 0, 0);
  crash_rider(g_world, *bike);
  dBodySetLinearVel(bike->bodies[kBodyRider], 6, 0, 0);
  for (int i = 0; i < 256; ++i) {
    step_crashed_rider(g_world, *bike);
    step_physics(g_world);
  }
  double arm = 0.875 * (bike->entry.upper_arm + bike->entry.forearm);
  EXPECT_LT(rider_to_grip(1), arm + 0.3);
  EXPECT_LT(rider_to_grip(0), arm + 0.5);
  EXPECT_GT(dBodyGetLinearVel(bike->bodies[kBodyFrame])[0], 0.3);
  const dReal* v = dBodyGetLinearVel(bike->bodies[kBodyRider]);
  EXPECT_LT(v[0], 3);
}

TEST_F(Crash, DriftCancellationTakesBackWhatTheJointsDidNotBalance) {
  dBodyID frame = bike->bodies[kBodyFrame];
  dBodySetForce(frame, 0, 0, 0);
  bike->feedback[kJointRearAxle].f1[0] = 10;  // on the swingarm, unmatched
  bike->feedback[kJointRearAxle].f2[0] = 0;
  cancel_drift(*bike);
  const dReal* f = dBodyGetForce(frame);
  EXPECT_NEAR(f[0], -10, 1e-12);
  EXPECT_NEAR(f[1], 0, 1e-12);
  // Its moment about the frame: the swingarm sits below and behind it.
  const dReal* t = dBodyGetTorque(frame);
  const BikeEntry& e = bike->entry;
  double dy = e.swingarm_position.y - e.frame_position.y;
  double dz = e.swingarm_position.z - e.frame_position.z;
  EXPECT_NEAR(t[1], -(dz * 10), 1e-5);
  EXPECT_NEAR(t[2], -(-dy * 10), 1e-5);
}

TEST_F(Crash, TrackingFollowsTheGrips) {
  dBodySetLinearVel(bike->bodies[kBodyRider], 1, 2, 3);
  track_velocities(g_world, *bike);
  EXPECT_EQ(bike->state.rider_velocities[0][2], 3);
  EXPECT_NEAR(bike->state.grip_velocities[1][1], 2, 1e-12);
  EXPECT_NEAR(bike->state.grip_positions[0][0], -1.097, 1e-6);
}

}  // namespace
}  // namespace br
