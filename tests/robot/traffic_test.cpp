// The riders in a robot's way: who gives way when two converge, following a moving rider,
// going round a stopped one on the free side, and stopping short when both sides are taken.
#include "robot/traffic.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>

#include "support/bike_world.h"

namespace br {
namespace {

class Traffic : public ::testing::Test {
 protected:
  void SetUp() override { br_test::open_bike_world(BR_DATA_DIR); }
  void TearDown() override { br_test::close_bike_world(); }

  // A bike in `slot` at (x, z) facing -z (heading 0) moving at `vz` ft/s along z.
  static void put(int slot, double x, double z, double vz) {
    Bike& bike = br_test::build_ridden_bike(slot);
    dMatrix3 r;
    dRSetIdentity(r);
    place_bike(bike, {x, 0, z}, r, {0, 0, vz});
  }
};

TEST(TrafficOrder, OfTwoRidersConvergingExactlyOneGivesWay) {
  // b comes in from the right at every angle from alongside to across a's path.
  for (double angle = 0.1; angle < 3.0; angle += 0.2) {
    double bux = -std::sin(angle), buz = -std::cos(angle);
    for (double side : {-3.0, 3.0}) {
      double bx = side, bz = -2;
      bool a_gives_way = is_ahead(0, 0, 0, -1, bx, bz, bux, buz);
      bool b_gives_way = is_ahead(bx, bz, bux, buz, 0, 0, 0, -1);
      EXPECT_NE(a_gives_way, b_gives_way) << "angle " << angle << " side " << side;
    }
  }
  // Head on, each has the other in front of it: both give way.
  EXPECT_TRUE(is_ahead(0, 0, 0, -1, 0, -20, 0, 1));
  EXPECT_TRUE(is_ahead(0, -20, 0, 1, 0, 0, 0, -1));
}

TEST_F(Traffic, ARiderAheadAtPaceIsFollowedNotGoneRound) {
  put(0, 0, 0, -25);
  put(1, 0, -15, -15);
  TrafficCall call = traffic(g_world, 0, 30);
  EXPECT_FALSE(call.obstacle);
  EXPECT_NEAR(call.speed, 15 * 0.9, 0.5);
  // The one ahead is not held back by the one behind.
  EXPECT_EQ(traffic(g_world, 1, 15).speed, 15);
}

TEST_F(Traffic, AStoppedRiderInThePathIsGoneRoundOnTheSideAwayFromIt) {
  put(0, 0, 0, -20);
  put(1, 1, -25, 0);  // a foot to the robot's right
  TrafficCall call = traffic(g_world, 0, 30);
  EXPECT_TRUE(call.obstacle);
  EXPECT_GT(call.shift, 0);  // to its left
  EXPECT_NEAR(call.shift, 4.5 - 1, 0.2);
  EXPECT_LE(call.speed, 12);
  EXPECT_GT(call.speed, 10);  // far enough off to go round at a walk, not stop
  // Beside it and clear, the robot holds its place: no shift back into it.
  put(0, -4.5, -25, -10);
  call = traffic(g_world, 0, 30);
  EXPECT_TRUE(call.obstacle);
  EXPECT_NEAR(call.shift, 0, 1e-9);
}

TEST_F(Traffic, WithBothSidesTakenItStopsShortOfTheStoppedRider) {
  put(0, 0, 0, -20);
  put(1, 0, -20, 0);
  put(2, -4, -21, 0);
  put(3, 4, -21, 0);
  TrafficCall call = traffic(g_world, 0, 30);
  EXPECT_TRUE(call.obstacle);
  EXPECT_EQ(call.shift, 0);
  EXPECT_LT(call.speed, std::sqrt(2 * 8 * 12.0) + 0.1);
  // At the distance it keeps, it is held to a stop.
  put(0, 0, -12, 0);
  EXPECT_LT(traffic(g_world, 0, 30).speed, 1e-6);
}

}  // namespace
}  // namespace br
