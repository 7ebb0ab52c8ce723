#include "bike/suspension.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bike/physics_world.h"
#include "bike/tyre_model.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "support/data_dirs.h"

namespace br {
namespace {

TEST(SoftContact, SpringAndDamperBecomeErrorReductionAndMixing) {
  SoftContact s = soft_contact(25000, 2500);
  double hk = 25000.0 / 128;
  EXPECT_DOUBLE_EQ(s.erp, hk / (hk + 2500));
  EXPECT_DOUBLE_EQ(s.cfm, 1 / (hk + 2500));
  SoftContact none = soft_contact(0, 0);
  EXPECT_EQ(none.erp, 0);
  EXPECT_EQ(none.cfm, 0);
  MotorForce push = motor_force(120);
  EXPECT_EQ(push.velocity, 100);
  EXPECT_EQ(push.max_force, 120);
  MotorForce hold = motor_force(-30);
  EXPECT_EQ(hold.velocity, 0);
  EXPECT_EQ(hold.max_force, 30);
}

TEST(TyreModel, StiffensWithTheCubeOfPenetration) {
  TyreSpring full = tyre_spring(0.3333, 0.3333);
  EXPECT_DOUBLE_EQ(full.k, 25000);
  EXPECT_DOUBLE_EQ(full.c, 2500);
  TyreSpring quarter = tyre_spring(0.3333 / 4, 0.3333);
  EXPECT_NEAR(quarter.k, 1375, 1e-9);
  EXPECT_NEAR(quarter.c, 235.9375, 1e-9);
  EXPECT_DOUBLE_EQ(tyre_spring(2.0, 0.3333).k, 25000);  // a rim strike is no stiffer
}

TEST(TyreModel, TheGroundNeverPullsATyreDown) {
  auto cliff = upward_normal({0.6, -0.8, 0});
  EXPECT_DOUBLE_EQ(cliff[0], 1);
  EXPECT_DOUBLE_EQ(cliff[1], 0);
  auto overhang = upward_normal({0.01, -1, 0.01});
  EXPECT_EQ(overhang, (std::array<double, 3>{0, 1, 0}));
  auto slope = upward_normal({0, 3, 4});
  EXPECT_DOUBLE_EQ(slope[1], 0.6);
  EXPECT_DOUBLE_EQ(slope[2], 0.8);
  EXPECT_EQ(upward_normal({0, 0, 0}), (std::array<double, 3>{0, 1, 0}));
  EXPECT_EQ(upward_normal({NAN, 1, 0}), (std::array<double, 3>{0, 1, 0}));
}

class SuspensionTest : public ::testing::Test {
 protected:
  const BikeEntry& crf = find_bike_model("crf450(2013)");
  SetupBlock setup = default_setup(crf);
};

TEST_F(SuspensionTest, ForkPushesNothingFullyExtendedAndHalfAt1_64OfTravel) {
  EXPECT_EQ(fork_force(crf, setup, 0, 0), 0);
  double s = 1.0 / 64;
  double gap = 1 + setup.fork_oil_level;
  double spring = (setup.fork_preload + s) * setup.fork_spring;
  double air = 82.46169 * (std::pow(gap / (gap - s), 1.4) - 1);
  EXPECT_NEAR(fork_force(crf, setup, -s, 0), 0.5 * (spring + air), 1e-6);
  // Damping resists motion both ways, compression harder than rebound.
  double x = -0.3;
  double still = fork_force(crf, setup, x, 0);
  EXPECT_GT(fork_force(crf, setup, x, -2), still);
  EXPECT_LT(fork_force(crf, setup, x, 2), still);
  EXPECT_GT(fork_force(crf, setup, x, -2) - still, still - fork_force(crf, setup, x, 2));
  // The air spring rises steeply toward the bottom of the travel.
  double near_bottom = fork_force(crf, setup, -0.95, 0) - fork_force(crf, setup, -0.9, 0);
  double mid = fork_force(crf, setup, -0.55, 0) - fork_force(crf, setup, -0.5, 0);
  EXPECT_GT(near_bottom, mid);
}

TEST_F(SuspensionTest, ShockRampsInAndResistsCompression) {
  EXPECT_EQ(shock_torque(crf, setup, 0, 0), 0);
  double u = 1.0 / 64;
  double lambda = 0.615385;
  double expected = 0.5 * lambda * (lambda * u + setup.shock_preload) * setup.shock_spring;
  EXPECT_NEAR(shock_torque(crf, setup, -0.55 * u, 0), expected, 1e-3);
  double angle = -0.25;
  EXPECT_GT(shock_torque(crf, setup, angle, -1), shock_torque(crf, setup, angle, 0));
  EXPECT_LT(shock_torque(crf, setup, angle, 1), shock_torque(crf, setup, angle, 0));
}

// A bike hung by its frame, its rear wheel pushed up with a steady force: the shock settles
// where its torque holds the push.
TEST(SuspensionMotors, TheShockSettlesWhereItHoldsTheLoad) {
  br_test::use_data_directory(BR_DATA_DIR);
  world_reset();
  physics_world_open(g_world);
  dWorldSetGravity(g_world.physics.world, 0, 0, 0);
  BikePtr bike = build_bike(g_world, "crf450(2013)", 0, "1", "", "", "", "");
  dJointID stand = dJointCreateFixed(g_world.physics.world, nullptr);
  dJointAttach(stand, bike->bodies[kBodyFrame], nullptr);
  dJointSetFixed(stand);

  constexpr double kPush = 200;  // lb
  for (int i = 0; i < 512; ++i) {
    dBodyAddForce(bike->bodies[kBodyRearWheel], 0, kPush, 0);
    dBodyAddForce(bike->bodies[kBodyFrontWheel], 0, kPush, 0);
    drive_suspension(*bike);
    step_physics(g_world);
  }
  dJointID pivot = bike->joints[kJointSwingarmPivot];
  double angle = dJointGetHingeAngle(pivot);
  EXPECT_LT(angle, -0.01);
  EXPECT_GT(angle, -0.55);
  EXPECT_NEAR(dJointGetHingeAngleRate(pivot), 0, 1e-3);
  const dReal* axle = dBodyGetPosition(bike->bodies[kBodyRearWheel]);
  dVector3 anchor;
  dJointGetHingeAnchor(pivot, anchor);
  double lever = axle[2] - anchor[2];
  EXPECT_NEAR(shock_torque(bike->entry, bike->setup, angle, 0), kPush * lever,
              0.02 * kPush * lever);

  dJointID fork = bike->joints[kJointForkSlider];
  double x = dJointGetSliderPosition(fork);
  EXPECT_LT(x, -0.01);
  // The fork leans back, so only the push along its axis compresses it.
  dVector3 axis;
  dJointGetSliderAxis(fork, axis);
  EXPECT_NEAR(fork_force(bike->entry, bike->setup, x, 0), kPush * axis[1], 0.02 * kPush);

  bike.reset();
  physics_world_close(g_world);
  texture_delete_all();
  model_delete_all();
  br_test::restore_data_directories();
}

}  // namespace
}  // namespace br
