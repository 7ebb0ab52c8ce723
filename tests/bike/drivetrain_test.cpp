// The rider's controls, the engine and drivetrain, the brakes and the bike setup on a bike
// standing on flat ground.
#include "bike/drivetrain.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>

#include "bike/apply_setup.h"
#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/controls.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "bike/slow_speed.h"
#include "render/log_capture.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "shell/frame_loop.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"
#include "track/terrain_queries.h"
#include "track/track_loader.h"
#include "track/track_steps.h"

namespace br {
namespace {

const char kRefusal[] = "Settings not applied.  Mechanic can't keep up error.";

class Drivetrain : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    br_test::lay_flat_ground(9, 2.0f);  // 1024 ft square
  }
  void TearDown() override { br_test::close_bike_world(); }
  Bike& build(const char* model) {
    g_world.slots[0].bike = build_bike(g_world, model, 0, "3", "", "", "", "");
    g_world.slots[0].control = kControlLocal;
    return *g_world.slots[0].bike;
  }
  void place(Bike& bike, const std::array<double, 3>& at, double speed) {
    dMatrix3 r;
    dRSetIdentity(r);
    place_bike(bike, at, r, {0, 0, -speed});
  }
};

TEST(EngineTorque, ReadsBetweenSamplesAndHoldsTheEnds) {
  const BikeEntry& e = find_bike_model("crf450(2013)");
  // 2750 rpm lies halfway between the 2500 rpm (8 open, -1 closed) and 3000 rpm samples
  // (11 open, -2 closed).
  EXPECT_NEAR(engine_torque(e, 2750, 1), 9.5, 1e-5);
  EXPECT_NEAR(engine_torque(e, 2750, 0), -1.5, 1e-5);
  EXPECT_NEAR(engine_torque(e, 2750, 0.5), 4.0, 1e-5);
  EXPECT_NEAR(engine_torque(e, 250, 1), 5, 1e-5);
  // A stalled or over-revved engine reads the table's first or last sample.
  EXPECT_FLOAT_EQ(engine_torque(e, -3000, 1), e.open_throttle[0]);
  EXPECT_FLOAT_EQ(engine_torque(e, 49 * 500, 1), e.open_throttle[49]);
  EXPECT_FLOAT_EQ(engine_torque(e, 90000, 0), e.closed_throttle[49]);
}

TEST(ClutchFactor, AutomaticClutchOpensWithin2000RpmOfItsSpeed) {
  EXPECT_DOUBLE_EQ(clutch_factor(6000, 5000, 1), 0.5);
  EXPECT_DOUBLE_EQ(clutch_factor(6000, 5000, 0.25), 0.25);  // the lever is pulled further
  EXPECT_DOUBLE_EQ(clutch_factor(4000, 5000, 1), 0);
  EXPECT_DOUBLE_EQ(clutch_factor(7000, 5000, 1), 1);
  EXPECT_DOUBLE_EQ(clutch_factor(7001, 5000, 0.75), 0.75);  // the lever alone decides
  // With the automatic clutch set to 0 a running engine always drives.
  EXPECT_DOUBLE_EQ(clutch_factor(1500, 0, 1), 0.75);
}

TEST(Shifting, ShiftedGearSkipsMissingGears) {
  const BikeEntry& five = find_bike_model("crf450(2013)");
  const BikeEntry& six = find_bike_model("250sxf(2013)");
  EXPECT_EQ(shifted_gear(five, 4, +1), 4);
  EXPECT_EQ(shifted_gear(six, 4, +1), 5);
  EXPECT_EQ(shifted_gear(six, 5, +1), 5);
  EXPECT_EQ(shifted_gear(five, 0, -1), 0);
}

TEST_F(Drivetrain, HeldShiftRequestShiftsOnceAndFifthIsTopOnFiveSpeeds) {
  Bike& bike = build("crf450(2013)");
  request_shift(bike, 1);
  request_shift(bike, 1);
  request_shift(bike, 1);
  EXPECT_EQ(gear(bike), 1);
  request_shift(bike, 0);
  request_shift(bike, 1);
  EXPECT_EQ(gear(bike), 2);
  for (int i = 0; i < 4; ++i) {
    request_shift(bike, 0);
    request_shift(bike, 1);
  }
  EXPECT_EQ(gear(bike), 4);  // fifth: the sixth is missing
  request_shift(bike, -1);
  EXPECT_EQ(gear(bike), 3);
  request_shift(bike, 7);  // not a request
  EXPECT_EQ(gear(bike), 3);
  bike.state.crash_timer = 512;
  request_shift(bike, 1);
  EXPECT_EQ(gear(bike), 3);
}

TEST_F(Drivetrain, SixSpeedReachesSixth) {
  Bike& bike = build("250sxf(2013)");
  for (int i = 0; i < 8; ++i) {
    request_shift(bike, 1);
    request_shift(bike, 0);
  }
  EXPECT_EQ(gear(bike), 5);
}

TEST_F(Drivetrain, SettersClampAndAThrownRiderCannotUseThrottleDabBackUpOrLean) {
  Bike& bike = build("crf450(2013)");
  set_throttle(bike, 3);
  set_steering(bike, -2);
  set_lean(bike, NAN);
  set_dab(bike, 0.5f);
  set_back_up(bike, 1);
  EXPECT_EQ(bike.controls.throttle, 1);
  EXPECT_EQ(bike.controls.steering, -1);
  EXPECT_EQ(bike.controls.lean, 0);
  set_lean(bike, 0.5f);
  bike.state.crash_timer = 600;
  EXPECT_EQ(throttle(bike), 0);
  EXPECT_EQ(dab(bike), 0);
  EXPECT_EQ(back_up(bike), 0);
  EXPECT_EQ(lean(bike), 0);
  bike.state.crash_timer = 0;
  EXPECT_EQ(throttle(bike), 1);
  EXPECT_EQ(lean(bike), 0.5f);
}

TEST_F(Drivetrain, SetupIsRefusedWhileRollingAndTheMessageComesOnTheSecondTry) {
  Bike& bike = build("crf450(2013)");
  place(bike, {200, 5, 200}, 1.0);
  BikeSetup setup;
  setup.brake_torque.value = 100;
  br_test::LogCapture log;
  EXPECT_FALSE(apply_bike_setup(bike, setup, 100.0));
  EXPECT_EQ(log.count(kRefusal), 0);
  EXPECT_FALSE(apply_bike_setup(bike, setup, 109.0));
  EXPECT_EQ(log.count(kRefusal), 1);
  EXPECT_FALSE(apply_bike_setup(bike, setup, 125.0));  // more than 10 s after the last
  EXPECT_EQ(log.count(kRefusal), 1);
  EXPECT_EQ(bike.setup.brake_torque, 250);
  place(bike, {200, 5, 200}, 0.1);
  EXPECT_TRUE(apply_bike_setup(bike, setup, 126.0));
  EXPECT_EQ(bike.setup.brake_torque, 100);
}

TEST_F(Drivetrain, SetupConvertsClampsAndMarksFarOutValues) {
  Bike& bike = build("crf450(2013)");
  BikeSetup setup;
  setup.rear_sprocket_adjustment.value = 2;
  setup.fork_compression_adjustment.value = 100;
  setup.rider_mass_distribution.value = 0.5;
  setup.rear_brake.select("Antilock");
  setup.stop_wheelies.select("Yes");
  ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
  EXPECT_NEAR(bike.setup.max_dab_speed, 29.3333, 1e-3);  // 20 mph
  EXPECT_FLOAT_EQ(bike.setup.final_drive, 50.0f / 13);
  EXPECT_FLOAT_EQ(bike.setup.fork_compression, 120);
  EXPECT_TRUE(bike.setup.rear_antilock && wheelie_cut(bike.setup));
  EXPECT_TRUE(bike.setup.auto_shift && bike.setup.auto_dab && bike.setup.arcade_physics);
  EXPECT_FALSE(bike.setup.out_of_range);
  dMass frame, rider;
  dBodyGetMass(bike.bodies[kBodyFrame], &frame);
  dBodyGetMass(bike.bodies[kBodyRider], &rider);
  EXPECT_NEAR(rider.mass, 0.5 * bike.entry.rider_mass, 1e-6);
  EXPECT_NEAR(frame.mass + rider.mass, bike.entry.frame_mass + bike.entry.rider_mass, 1e-5);

  // A little beyond the range is clamped quietly; far beyond is marked.
  setup.brake_torque.value = 550;
  ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
  EXPECT_EQ(bike.setup.brake_torque, 500);
  EXPECT_FALSE(bike.setup.out_of_range);
  setup.brake_torque.value = 563;
  ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
  EXPECT_TRUE(bike.setup.out_of_range);
  setup.brake_torque.value = 250;
  ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
  EXPECT_FALSE(bike.setup.out_of_range);
}

TEST_F(Drivetrain, AntilockAndStoppieReleaseDropTheBrake) {
  Bike& bike = build("crf450(2013)");
  set_front_brake(bike, 1);
  set_rear_brake(bike, 0.5f);
  WheelContact& front = bike.wheels[kFrontWheel];
  WheelContact& rear = bike.wheels[kRearWheel];
  front.depth = rear.depth = 0.1;
  front.velocity = {0, 0, -1.9};  // rolling, not skidding
  BrakeTorques t = brake_torques(bike);
  EXPECT_EQ(t.front, 250);
  EXPECT_EQ(t.rear, 125);
  front.velocity = {0, 0, -2.1};
  rear.velocity = {0, 0, -5};
  t = brake_torques(bike);
  EXPECT_EQ(t.front, 0);   // antilock at the front by default
  EXPECT_EQ(t.rear, 125);  // not at the rear
  front.velocity = {0, 0, 0};
  rear.depth = 0;  // rear wheel in the air: the stoppie release lets go
  EXPECT_EQ(brake_torques(bike).front, 0);
}

TEST(SlowSpeed, FootGoesDownWhenStoppingOrLeaningDeep) {
  EXPECT_TRUE(foot_goes_down(3, 0, 29.3, 1, 1));      // walking pace
  EXPECT_TRUE(foot_goes_down(10, 0, 29.3, 0, 1));     // rolling with the throttle shut
  EXPECT_FALSE(foot_goes_down(10, 0.1, 29.3, 1, 1));  // riding on
  EXPECT_TRUE(foot_goes_down(10, 0.3, 29.3, 1, 1));
  EXPECT_FALSE(foot_goes_down(22.5, 0.3, 29.3, 0, 1));  // needs pi/8 at 22.5 ft/s
  EXPECT_TRUE(foot_goes_down(22.5, 0.4, 29.3, 0, 1));
  EXPECT_FALSE(foot_goes_down(30, 1.5, 29.3, 0, 0));
  auto f = servo_force({0.2, 5, 0}, {0, 0, 0}, 1000);
  EXPECT_EQ(f[0], 0);  // within 1/4 ft/s on the ground plane
  f = servo_force({0, 0, 3}, {0, 0, 0}, 1000);
  EXPECT_DOUBLE_EQ(f[1], -1000);
}

TEST_F(Drivetrain, ViewedRidersChannelsReachTheBike) {
  Bike& bike = build("crf450(2013)");
  World& w = g_world;
  w.channels.fill(0);
  w.channels[kChanSteering] = 0.5f;
  w.channels[kChanThrottle] = 0.75f;
  w.channels[kChanClutch] = 1;
  w.channels[kChanShift] = 0.9f;
  apply_controls(w, bike);
  EXPECT_EQ(bike.controls.steering, -0.5f);  // reversed steering is the default
  EXPECT_EQ(bike.controls.throttle, 0.75f);
  EXPECT_EQ(bike.controls.clutch, 0);
  EXPECT_EQ(gear(bike), 1);
  w.channels[kChanClutch] = 0;
  apply_controls(w, bike);  // the shift is still held
  EXPECT_EQ(gear(bike), 1);
  EXPECT_FLOAT_EQ(bike.controls.clutch, 4 * kSimStep);
}

// Runs world ticks with the rider holding `throttle` and `back`.
void ride(Bike& bike, int ticks, float throttle, float back = 0) {
  for (int i = 0; i < ticks; ++i) {
    set_throttle(bike, throttle);
    set_back_up(bike, back);
    world_tick(g_world);
  }
}

double forward_speed(const Bike& bike) {
  return -dBodyGetLinearVel(bike.bodies[kBodyFrame])[2];
}

TEST_F(Drivetrain, AFootDownHoldsTheStoppedBikeAndTheRidersOwnControlsComeBack) {
  Bike& bike = build("crf450(2013)");
  BikeSetup setup;
  ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
  place(bike, {512, 0.1, 1000}, 3.0);
  ride(bike, 256, 0);
  EXPECT_LT(std::fabs(forward_speed(bike)), 0.5);
  // The dab and the brakes were the step's own; the rider never touched them.
  EXPECT_EQ(bike.controls.dab, 0);
  EXPECT_EQ(bike.controls.front_brake, 0);
  EXPECT_EQ(bike.controls.rear_brake, 0);
}

TEST_F(Drivetrain, BackingUpPaddlesTheBikeBackwards) {
  Bike& bike = build("crf450(2013)");
  BikeSetup setup;
  ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
  place(bike, {512, 0.1, 1000}, 0);
  ride(bike, 128, 0);
  double z = dBodyGetPosition(bike.bodies[kBodyFrame])[2];
  ride(bike, 256, 0, 1);
  EXPECT_GT(dBodyGetPosition(bike.bodies[kBodyFrame])[2] - z, 2.0);
  EXPECT_LT(forward_speed(bike), 0.5);
}

TEST_F(Drivetrain, APulledClutchRevsTheEngineWithoutMovingTheBike) {
  Bike& bike = build("crf450(2013)");
  place(bike, {512, 0.1, 1000}, 0);
  set_clutch(bike, 0);
  ride(bike, 256, 1);
  EXPECT_LT(std::fabs(forward_speed(bike)), 0.5);
  // Free of load it settles where the open-throttle torque runs out, at the limiter.
  EXPECT_NEAR(engine_rpm(bike), rev_limit_rpm(bike), 100);
}

// Full throttle from standstill with automatic shifting, on a long level straight. The
// automatic clutch lets the engine rev up before it pulls away; the rear wheel spins in first
// gear, and the gearbox shifts up once the tyre grips again.
TEST_F(Drivetrain, FullThrottleFromStandstillShiftsUpAndReaches30Mph) {
  Bike& bike = build("crf450(2013)");
  BikeSetup setup;
  ASSERT_TRUE(apply_bike_setup(bike, setup, 0));
  place(bike, {512, 0.1, 1000}, 0);
  g_world.frame = 1;
  int top_gear = 0;
  int ticks_to_30 = -1;
  for (int tick = 0; tick < 128 * 6; ++tick) {
    set_throttle(bike, 1);
    world_tick(g_world);
    top_gear = std::max(top_gear, gear(bike));
    const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
    if (ticks_to_30 < 0 && -v[2] >= 30 * 1.4666667) ticks_to_30 = tick;
  }
  ASSERT_GT(ticks_to_30, 0);
  EXPECT_LT(ticks_to_30 * kSimStep, 5.0);
  EXPECT_GT(ticks_to_30 * kSimStep, 1.0);
  EXPECT_GE(top_gear, 2);
  EXPECT_LT(engine_rpm(bike), rev_limit_rpm(bike));
}

// The same from the first start position of the default track, over its own ground. The
// start gates stay out of the way: their fall is the race's business.
TEST_F(Drivetrain, FullThrottleFromTheStartOfTheDefaultTrack) {
  physics_world_close(g_world);
  world_reset();
  install_scenery_steps();
  ASSERT_TRUE(load_track("rabbithill"));
  g_world.track.scenery.statues.clear();
  physics_world_open(g_world);
  Bike& bike = build("crf450(2013)");
  ASSERT_TRUE(apply_bike_setup(bike, BikeSetup{}, 0));
  ASSERT_FALSE(g_world.track.timing.starts.empty());
  const StartPosition& start = g_world.track.timing.starts[0].position;
  dMatrix3 r;
  dRFromAxisAndAngle(r, 0, 1, 0, start.yaw);
  float ground = terrain_height(g_world.track.terrain, start.x, start.z);
  place_bike(bike, {start.x, ground + 0.1, start.z}, r, {0, 0, 0});
  int top_gear = 0;
  int ticks_to_30 = -1;
  for (int tick = 0; tick < 128 * 4; ++tick) {
    ride(bike, 1, 1);
    top_gear = std::max(top_gear, gear(bike));
    const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
    double speed = std::sqrt(v[0] * v[0] + v[2] * v[2]);
    if (ticks_to_30 < 0 && speed >= 30 * 1.4666667) ticks_to_30 = tick;
  }
  free_track();
  ASSERT_GT(ticks_to_30, 0);
  EXPECT_LT(ticks_to_30 * kSimStep, 5.0);
  EXPECT_GE(top_gear, 1);
}

}  // namespace
}  // namespace br
