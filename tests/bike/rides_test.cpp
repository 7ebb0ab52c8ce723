// Scripted rides on the default track, driven through the same controls a player uses.
#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "bike/apply_setup.h"
#include "bike/assists.h"
#include "bike/bike.h"
#include "bike/controls.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "shell/stability.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"
#include "track/terrain_queries.h"
#include "track/track_loader.h"
#include "track/track_steps.h"

namespace br {
namespace {

constexpr double kPi = std::numbers::pi;

class Rides : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    install_scenery_steps();
    ASSERT_TRUE(load_track("rabbithill"));
    g_world.track.scenery.statues.clear();
  }
  void TearDown() override { br_test::close_bike_world(); }
  Bike& build() { return br_test::build_ridden_bike(0, "crf450(2013)", "3"); }
  // Standing on the ground at (x, z), facing `yaw` (radians about +y; 0 faces -z).
  void put(Bike& bike, double x, double z, double yaw) {
    dMatrix3 r;
    dRFromAxisAndAngle(r, 0, 1, 0, yaw);
    float ground =
        terrain_height(g_world.track.terrain, static_cast<float>(x), static_cast<float>(z));
    place_bike(bike, {x, ground + 0.3, z}, r, {0, 0, 0});
  }
};

double heading(const Bike& bike) {
  dVector3 f;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 0, -1, f);
  return std::atan2(-f[0], -f[2]);
}

// Rabbit Hill's first tabletop, on the bottom straight: 6 ft high with a 22 ft face, a 32 ft
// top and a 30 ft landing, the straight running from about (909, 1356) toward (1155, 1352).
// The rider holds his line with the bars and his speed with the throttle, the way a player
// rides it, and must fly it and ride away.
TEST_F(Rides, TheFirstTabletopIsJumpedAndLandedAtSpeed) {
  constexpr double kFrom[2] = {909, 1356}, kToward[2] = {1155, 1352};
  // The ride is only meaningful where the jump is: a plateau some 6 ft above the approach.
  const Terrain& ground = g_world.track.terrain;
  double approach = terrain_height(ground, 1000, 1353);
  double top = terrain_height(ground, 1080, 1351.5);
  ASSERT_GT(top - approach, 5) << "the first tabletop is no longer where this ride expects it";
  for (double speed : {40.0, 50.0}) {  // ft/s: about 27 and 34 mph
    SCOPED_TRACE(testing::Message() << speed << " ft/s");
    Bike& bike = build();
    double line = std::atan2(-(kToward[0] - kFrom[0]), -(kToward[1] - kFrom[1]));
    put(bike, kFrom[0], kFrom[1], line);
    int airborne = 0, longest_flight = 0;
    double highest = 0;
    double passed = 0;
    for (int i = 0; i < 128 * 9; ++i) {
      double off = std::remainder(line - heading(bike), 2 * kPi);
      set_steering(bike, static_cast<float>(std::clamp(-2 * off, -0.3, 0.3)));
      const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
      set_throttle(bike, std::hypot(v[0], v[2]) < speed ? 1.0f : 0.0f);
      world_tick(g_world);
      ASSERT_EQ(bike.state.crash_timer, 0) << "thrown at tick " << i;
      const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
      bool flying = bike.wheels[kFrontWheel].depth <= 0 && bike.wheels[kRearWheel].depth <= 0;
      airborne = flying ? airborne + 1 : 0;
      longest_flight = std::max(longest_flight, airborne);
      float ground =
          terrain_height(g_world.track.terrain, static_cast<float>(p[0]), static_cast<float>(p[2]));
      highest = std::max(highest, p[1] - ground);
      passed = p[0];
    }
    EXPECT_GT(longest_flight * kSimStep, 0.75);  // a real jump, not a hop
    EXPECT_GT(highest, 5);
    EXPECT_GT(passed, 1160);  // past the landing and riding on
    EXPECT_LT(std::fabs(frame_roll(bike)), 0.3);
    g_world.slots[0].bike.reset();
  }
}

// Full throttle to 40 mph down the start straight, then both brakes hard: a dirt bike on
// hardpack stops in some 60 to 80 ft without throwing its rider, whether the brakes lock or
// the antilock lets them go.
TEST_F(Rides, FullBrakingFrom40MphOnTheStartStraightStopsShort) {
  constexpr double k40Mph = 40 * 5280.0 / 3600;  // ft/s
  ASSERT_FALSE(g_world.track.timing.starts.empty());
  const StartPosition& start = g_world.track.timing.starts[0].position;
  for (bool antilock : {false, true}) {
    SCOPED_TRACE(antilock ? "antilock" : "plain brakes");
    Bike& bike = build();
    BikeSetup setup;
    apply_stability(setup, 100);
    setup.front_brake.select(antilock ? "Antilock" : "Normal");
    setup.rear_brake.select(antilock ? "Antilock" : "Normal");
    ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
    put(bike, start.x, start.z, start.yaw);
    double line = heading(bike);
    auto speed = [&] {
      const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
      return std::hypot(v[0], v[2]);
    };
    auto hold_line = [&] {
      double off = std::remainder(line - heading(bike), 2 * kPi);
      set_steering(bike, static_cast<float>(std::clamp(-2 * off, -0.3, 0.3)));
    };
    for (int i = 0; i < 128 * 8 && speed() < k40Mph; ++i) {
      hold_line();
      set_throttle(bike, 1);
      world_tick(g_world);
    }
    ASSERT_GE(speed(), k40Mph);
    const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
    double from[2] = {p[0], p[2]};
    int ticks = 0;
    for (; ticks < 128 * 6 && speed() > 0.5; ++ticks) {
      hold_line();
      set_throttle(bike, 0);
      set_front_brake(bike, 1);
      set_rear_brake(bike, 1);
      world_tick(g_world);
      ASSERT_EQ(bike.state.crash_timer, 0) << "thrown after " << ticks << " ticks";
    }
    p = dBodyGetPosition(bike.bodies[kBodyFrame]);
    double distance = std::hypot(p[0] - from[0], p[2] - from[1]);
    EXPECT_LT(ticks * kSimStep, 4.0);
    EXPECT_GT(distance, 45);
    EXPECT_LT(distance, 110);
    // Locked tyres cannot steer, and the bike slews as it slides; rolling ones hold the line.
    if (antilock) {
      EXPECT_LT(std::fabs(std::remainder(line - heading(bike), 2 * kPi)), 0.2);
    }
    EXPECT_LT(std::fabs(frame_roll(bike)), 0.4);
    g_world.slots[0].bike.reset();
  }
}

}  // namespace
}  // namespace br
