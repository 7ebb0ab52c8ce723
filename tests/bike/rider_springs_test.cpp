#include "bike/rider_springs.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bike/physics_world.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "support/bike_world.h"

namespace br {
namespace {

class RiderSprings : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    bike = build_bike(g_world, "crf450(2013)", 0, "5", "", "", "", "");
  }
  void TearDown() override {
    bike.reset();
    br_test::close_bike_world();
  }
  BikePtr bike;
};

TEST_F(RiderSprings, SpringsFollowTheSetupAndTheRidersWeight) {
  double m = 5.46875 / 4.6875;
  RiderSpring up = vertical_spring(*bike, 0, 0);
  EXPECT_TRUE(up.active);
  EXPECT_DOUBLE_EQ(up.depth, 0.125);
  EXPECT_EQ(up.direction, -1);
  EXPECT_NEAR(up.k, 200 * m, 1e-9);
  EXPECT_NEAR(up.c, 50 * m, 1e-9);
  // Standing on the pegs lifts the target; past the reach the stops take over.
  EXPECT_EQ(vertical_spring(*bike, 0, 1).direction, 1);
  EXPECT_NEAR(vertical_spring(*bike, 0.6, 0).k, 2500 * m, 1e-9);
  EXPECT_NEAR(vertical_spring(*bike, -0.8, 0).c, 2500 * m, 1e-9);

  RiderSpring centred = fore_aft_spring(*bike, 0, 0, 0);
  EXPECT_DOUBLE_EQ(centred.depth, 0);
  EXPECT_NEAR(centred.k, 300 * m, 1e-9);
  EXPECT_EQ(centred.c, 0);
  // Leaning back puts the target behind the rider, who is pushed back toward it.
  RiderSpring back = fore_aft_spring(*bike, 0, 0, 1);
  EXPECT_DOUBLE_EQ(back.depth, 0.75);
  EXPECT_EQ(back.direction, -1);
  EXPECT_NEAR(back.k, 375 * m, 1e-9);
  bike->setup.rider_z_spring = 0;
  EXPECT_FALSE(fore_aft_spring(*bike, 0, 0, 0).active);
}

// The bike on a stand: the rider sinks into his springs until they carry him, and stays.
TEST_F(RiderSprings, TheRiderSettlesWhereTheVerticalSpringCarriesHim) {
  dJointID stand = dJointCreateFixed(g_world.physics.world, nullptr);
  dJointAttach(stand, bike->bodies[kBodyFrame], nullptr);
  dJointSetFixed(stand);
  RiderOffset offset;
  for (int i = 0; i < 768; ++i) {
    drive_rider_springs(g_world, *bike, 0, 0);
    step_physics(g_world);
    offset = rider_offset(*bike);
    ASSERT_TRUE(std::isfinite(offset.up) && std::isfinite(offset.forward)) << i;
  }
  double m = 5.46875 / 4.6875;
  double weight = 5.46875 / 3 * 32;
  EXPECT_NEAR(offset.up, -0.125 - weight / (200 * m), 0.02);
  EXPECT_NEAR(offset.forward, 0, 0.02);
  EXPECT_NEAR(dBodyGetLinearVel(bike->bodies[kBodyRider])[1], 0, 1e-3);
  // The rider's rotation stays the frame's, but for the slight swing about the far mount.
  const dReal* r = dBodyGetRotation(bike->bodies[kBodyRider]);
  EXPECT_NEAR(r[0], 1, 1e-6);
  EXPECT_NEAR(r[5], 1, 1e-4);
}

}  // namespace
}  // namespace br
