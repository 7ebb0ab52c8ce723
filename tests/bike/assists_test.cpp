// The steering and stability assists: their pure rules, and bikes ridden on flat ground.
#include "bike/assists.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>
#include <numbers>

#include "bike/apply_setup.h"
#include "bike/bike.h"
#include "bike/controls.h"
#include "bike/crash.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "shell/stability.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(SteeringServo, DeadBandsAndLimits) {
  // An error of exactly the dead band with no rate asks for nothing.
  EXPECT_EQ(steering_servo(1.0 / 32, 0, 0, 75), 0);
  // Past the band the command grows with the error, and is capped at 2/3 of the strength.
  EXPECT_NEAR(steering_servo(0.1, 0, 0, 75), (8 * (0.1 - 1.0 / 32) - 1.0 / 2400) / 2 * 75, 1e-9);
  EXPECT_NEAR(steering_servo(0.2, 0, 0, 75), 50, 1e-9);
  // A large error the other way swings back hard; a rate alone is damped.
  EXPECT_NEAR(steering_servo(-1, 0, 0, 75), -50, 1e-9);
  EXPECT_LT(steering_servo(0, 0, 0.5, 75), 0);
}

TEST(LockLimit, NarrowsWithSpeedAndWidensOnSlipperyGround) {
  SetupBlock s;  // full lock to 10 ft/s, 5 degrees from 50 ft/s
  EXPECT_NEAR(lock_limit(s, 0, 1), kPi / 4, 1e-6);
  EXPECT_NEAR(lock_limit(s, 10, 1), kPi / 4, 1e-6);
  EXPECT_NEAR(lock_limit(s, 50, 1), s.restricted_lock, 1e-6);
  EXPECT_NEAR(lock_limit(s, 80, 1), s.restricted_lock, 1e-6);
  EXPECT_NEAR(lock_limit(s, 20, 1), 0.349, 1e-3);
  EXPECT_NEAR(lock_limit(s, 60, 0.5), 2 * s.restricted_lock, 1e-6);
  // Ice is no worse than friction 1/8, and the lock never beyond full.
  EXPECT_NEAR(lock_limit(s, 60, 0.01), std::min(8.0 * s.restricted_lock, kPi / 4), 1e-6);
}

TEST(CooldownTerm, ReversesThenCapsThenLetsGo) {
  EXPECT_DOUBLE_EQ(cooldown_term(300, 96), 100);
  EXPECT_DOUBLE_EQ(cooldown_term(-300, 96), -100);
  EXPECT_DOUBLE_EQ(cooldown_term(300, 224), -150);
  EXPECT_DOUBLE_EQ(cooldown_term(300, 400), -300);
  EXPECT_DOUBLE_EQ(cooldown_term(300, 0), 300);
  EXPECT_DOUBLE_EQ(cooldown_term(300, -50), 300);
}

TEST(LeanGain, GrowsFromZeroToAFullTurn) {
  EXPECT_EQ(lean_gain(0, 30, 0.6), 0);
  EXPECT_NEAR(lean_gain(15, 30, 0.6), (1 - std::pow(0.75, 4)) * 0.6, 1e-9);
  EXPECT_NEAR(lean_gain(30, 30, 0.6), 2 * kPi, 1e-9);
  double mid = lean_gain(20, 30, 0.6);
  EXPECT_GT(mid, 0.6);
  EXPECT_LT(mid, 2 * kPi);
}

class Assists : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    br_test::lay_flat_ground(9, 2.0f);  // 1024 ft square
  }
  void TearDown() override { br_test::close_bike_world(); }
  Bike& build(double stability, bool arcade = false) {
    g_world.slots[0].bike = build_bike(g_world, "crf450(2013)", 0, "3", "", "", "", "");
    g_world.slots[0].control = kControlLocal;
    Bike& bike = *g_world.slots[0].bike;
    BikeSetup setup;
    apply_stability(setup, stability);
    setup.arcade.select(arcade ? "Yes" : "No");
    EXPECT_TRUE(apply_bike_setup(bike, setup, 0));
    return bike;
  }
  // Placed facing -z, rolled by `roll` radians about its forward axis.
  void place(Bike& bike, const std::array<double, 3>& at, double speed, double roll = 0) {
    dMatrix3 r;
    dRFromAxisAndAngle(r, 0, 0, 1, roll);
    place_bike(bike, at, r, {0, 0, -speed});
  }
};

TEST_F(Assists, TheStabilityPresetReachesTheBikeInRadians) {
  Bike& bike = build(0);
  EXPECT_FLOAT_EQ(bike.setup.roll_damping, 40);
  EXPECT_NEAR(bike.setup.roll_limit_angle, kPi / 2, 1e-6);
  EXPECT_NEAR(bike.setup.restricted_lock, kPi / 4, 1e-6);
  EXPECT_FLOAT_EQ(bike.setup.slow_damping_speed, 40);
  EXPECT_FALSE(bike.setup.out_of_range);
  BikeSetup setup;
  setup.max_steering_force.value = 2000;  // far beyond 1000
  ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
  EXPECT_FLOAT_EQ(bike.setup.max_steering_force, 1000);
  EXPECT_TRUE(bike.setup.out_of_range);
}

double yaw(const Bike& bike) {
  dVector3 f;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 0, -1, f);
  return std::atan2(f[0], -f[2]);
}

TEST_F(Assists, AFootHoldsTheStoppedBikeUpright) {
  Bike& bike = build(100);
  place(bike, {512, 0.1, 512}, 0, 0.15);
  for (int i = 0; i < 128 * 4; ++i) world_tick(g_world);
  EXPECT_EQ(bike.state.crash_timer, 0);
  EXPECT_LT(std::fabs(frame_roll(bike)), 0.2);
}

// Through the lean servo, full steering away from the lean asks for the bike upright: the
// foot must not give way under a rider who is pulling it up.
TEST_F(Assists, AFootStaysDownWhileTheSteeringAsksForUpright) {
  Bike& bike = build(100);
  place(bike, {512, 0.1, 512}, 0, 0.35);
  float away = frame_roll(bike) > 0 ? 1.0f : -1.0f;
  for (int i = 0; i < 128 * 4; ++i) {
    set_steering(bike, away);
    world_tick(g_world);
  }
  EXPECT_EQ(bike.state.crash_timer, 0);
  EXPECT_LT(std::fabs(frame_roll(bike)), 0.3);
}

// Holds `steering` and a throttle that keeps the speed near `speed`; returns the yaw turned
// over the last two seconds.
double ride_circle(Bike& bike, double speed, float steering) {
  double start = 0;
  for (int i = 0; i < 128 * 5; ++i) {
    if (i == 128 * 3) start = yaw(bike);
    const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
    double now = std::sqrt(v[0] * v[0] + v[2] * v[2]);
    set_throttle(bike, now < speed ? 0.6f : 0.0f);
    set_steering(bike, steering);
    world_tick(g_world);
    if (bike.state.crash_timer > 0) break;
  }
  return std::remainder(yaw(bike) - start, 2 * kPi);
}

// The assist's own handling, leaning the bike through the steering torque: a steady input
// settles into a steady turn, the same rate of turn in each of the last two seconds-pairs.
TEST_F(Assists, SteadySteeringHoldsACircle) {
  for (double stability : {100.0, 0.0}) {
    for (double speed : {20.0, 35.0}) {
      SCOPED_TRACE(testing::Message() << "stability " << stability << ", " << speed << " ft/s");
      Bike& bike = build(stability);
      place(bike, {512, 0.1, 900}, speed);
      double yaw_at[3] = {};
      for (int i = 0; i < 128 * 10; ++i) {
        if (i % 256 == 0 && i >= 128 * 6) yaw_at[(i - 128 * 6) / 256] = yaw(bike);
        const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
        set_throttle(bike, std::hypot(v[0], v[2]) < speed ? 0.6f : 0.0f);
        set_steering(bike, i > 128 ? 0.1f : 0.0f);
        world_tick(g_world);
      }
      double first = std::remainder(yaw_at[1] - yaw_at[0], 2 * kPi);
      double second = std::remainder(yaw(bike) - yaw_at[1], 2 * kPi);
      EXPECT_EQ(bike.state.crash_timer, 0);
      EXPECT_GT(first, 0.3);  // turning, toward the side steered
      EXPECT_NEAR(second / first, 1, 0.25);
      EXPECT_LT(std::fabs(frame_roll(bike)), kPi / 3);
      g_world.slots[0].bike.reset();
    }
  }
}

// Full throttle to 40 mph, then both brakes hard: a dirt bike stops in some 60 to 80 ft,
// straight and upright, whether the brakes lock or the antilock lets them go.
TEST_F(Assists, FullBrakingFrom40MphStopsStraight) {
  constexpr double k40Mph = 40 * 5280.0 / 3600;  // ft/s
  for (bool antilock : {false, true}) {
    SCOPED_TRACE(antilock ? "antilock" : "plain brakes");
    Bike& bike = build(100);
    BikeSetup setup;
    apply_stability(setup, 100);
    setup.front_brake.select(antilock ? "Antilock" : "Normal");
    setup.rear_brake.select(antilock ? "Antilock" : "Normal");
    ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
    place(bike, {512, 0.1, 1000}, 0);
    auto forward = [&] { return -dBodyGetLinearVel(bike.bodies[kBodyFrame])[2]; };
    for (int i = 0; i < 128 * 10 && forward() < k40Mph; ++i) {
      set_throttle(bike, 1);
      world_tick(g_world);
    }
    ASSERT_GE(forward(), k40Mph);
    double from = dBodyGetPosition(bike.bodies[kBodyFrame])[2];
    int ticks = 0;
    for (; ticks < 128 * 6 && forward() > 0.5; ++ticks) {
      set_throttle(bike, 0);
      set_front_brake(bike, 1);
      set_rear_brake(bike, 1);
      world_tick(g_world);
      ASSERT_EQ(bike.state.crash_timer, 0) << "after " << ticks << " ticks";
    }
    double distance = from - dBodyGetPosition(bike.bodies[kBodyFrame])[2];
    EXPECT_LT(ticks * kSimStep, 4.0);
    EXPECT_GT(distance, 45);
    EXPECT_LT(distance, 110);
    EXPECT_NEAR(dBodyGetPosition(bike.bodies[kBodyFrame])[0], 512, 3);
    EXPECT_LT(std::fabs(frame_roll(bike)), 0.3);
    g_world.slots[0].bike.reset();
  }
}

// A bike lying on either side, turned off the line its rider was riding, after the crash
// clock has run: it comes up without being flung about, turns back toward the line on the
// way, and stands on the rider's foot once he is back on.
TEST_F(Assists, AFallenBikeIsStoodUpAgain) {
  for (double side : {-1.0, 1.0}) {
    SCOPED_TRACE(side < 0 ? "lying on its right" : "lying on its left");
    Bike& bike = build(100);
    dMatrix3 lying, turned, pose;
    dRFromAxisAndAngle(lying, 0, 0, 1, 1.4 * side);
    dRFromAxisAndAngle(turned, 0, 1, 0, 0.6);
    dMultiply0(pose, turned, lying, 3, 3, 3);
    place_bike(bike, {512, 1.0, 512}, pose, {0, 0, 0});
    bike.state.line_heading = {0, -1};
    crash_rider(g_world, bike);
    double fastest_roll = 0, highest = 0;
    int ticks = 0;
    for (; ticks < 128 * 12 && bike.state.crash_timer > 0; ++ticks) {
      world_tick(g_world);
      dVector3 spin;
      dBodyVectorFromWorld(bike.bodies[kBodyFrame], dBodyGetAngularVel(bike.bodies[kBodyFrame])[0],
                           dBodyGetAngularVel(bike.bodies[kBodyFrame])[1],
                           dBodyGetAngularVel(bike.bodies[kBodyFrame])[2], spin);
      fastest_roll = std::max(fastest_roll, std::fabs(spin[2]));
      highest = std::max(highest, dBodyGetPosition(bike.bodies[kBodyFrame])[1]);
    }
    ASSERT_EQ(bike.state.crash_timer, 0) << "still down after " << ticks << " ticks";
    for (int i = 0; i < 128 * 2; ++i) world_tick(g_world);
    EXPECT_EQ(bike.state.crash_timer, 0);
    EXPECT_LT(std::fabs(frame_roll(bike)), 0.1);
    EXPECT_LT(fastest_roll, 3);
    EXPECT_LT(highest, 2.5);     // the frame stands some 1.75 ft up
    EXPECT_GT(yaw(bike), -0.5);  // from -0.6 toward 0
    g_world.slots[0].bike.reset();
  }
}

// Dropped flat onto level ground: a 12 ft drop is a hard landing the rider rides out; from
// 32 ft his body is slammed harder than 43 g and he is thrown, by that alone.
TEST_F(Assists, ALandingHarderThan43GThrowsTheRider) {
  constexpr double k43G = 1376;  // ft/s^2
  for (double height : {12.0, 32.0}) {
    SCOPED_TRACE(testing::Message() << "dropped from " << height << " ft");
    Bike& bike = build(100);
    place(bike, {512, height, 512}, 0);
    std::array<std::array<double, 3>, 4> ring{};
    double hardest = 0;
    for (int i = 0; i < 128 * 4 && bike.state.crash_timer == 0; ++i) {
      world_tick(g_world);
      const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyRider]);
      std::array<double, 3>& before = ring[i % 4];
      if (i >= 4) {
        double span = 4 * kSimStep;
        hardest =
            std::max(hardest, std::hypot((v[0] - before[0]) / span, (v[1] - before[1]) / span + 32,
                                         (v[2] - before[2]) / span));
      }
      before = {v[0], v[1], v[2]};
    }
    if (height < 20) {
      EXPECT_EQ(bike.state.crash_timer, 0);
      EXPECT_GT(hardest, 10 * 32);  // a real jolt all the same
      EXPECT_LT(hardest, k43G);
    } else {
      EXPECT_GT(bike.state.crash_timer, 0);
      EXPECT_GT(hardest, k43G);
    }
    g_world.slots[0].bike.reset();
  }
}

TEST_F(Assists, SteadySteeringHoldsACircleInArcadeHandling) {
  for (double stability : {100.0, 0.0}) {
    for (double speed : {20.0, 35.0}) {
      SCOPED_TRACE(testing::Message() << "stability " << stability << ", " << speed << " ft/s");
      Bike& bike = build(stability, true);
      place(bike, {512, 0.1, 900}, speed);
      double turned = ride_circle(bike, speed, 0.3f);
      EXPECT_EQ(bike.state.crash_timer, 0);
      EXPECT_GT(std::fabs(turned), 0.2);
      EXPECT_LT(std::fabs(frame_roll(bike)), kPi / 3);
      g_world.slots[0].bike.reset();
    }
  }
}

}  // namespace
}  // namespace br
