// A robot riding a recorded line on level ground: it joins the line from off to one side,
// holds it down a straight and round a bend at the recorded speed, and gets to the end of it
// without weaving from side to side.
#include "robot/line_rider.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bike/controls.h"
#include "bike/stability_presets.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"

namespace br {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSteps = 128;  // a second

class LineRider : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    br_test::lay_flat_ground(9, 2.0f);  // 1024 ft square
  }
  void TearDown() override { br_test::close_bike_world(); }
};

// Points 0.25 s apart at `speed` ft/s: straight down -z from (x, z0) for `straight` feet,
// then round a left-hand bend of `radius` feet through `turn` radians.
std::vector<LinePoint> line(double x, double z0, double straight, double radius, double turn,
                            double speed) {
  std::vector<LinePoint> pts;
  double step = speed * 0.25;
  for (double d = 0; d <= straight; d += step) {
    pts.push_back({float(x), 0, float(z0 - d), float(speed), 0});
  }
  if (turn > 0) {
    // Turning left from facing -z: the centre lies to the -x side.
    double cx = x - radius, cz = z0 - straight;
    for (double a = step / radius; a <= turn; a += step / radius) {
      pts.push_back({float(cx + radius * std::cos(a)), 0, float(cz - radius * std::sin(a)),
                     float(speed), 0});
    }
  }
  return pts;
}

struct Ride {
  bool reached_end = false;
  bool crashed = false;
  double worst_off_after = 0;  // feet off the line once it had settled
  int side_changes = 0;        // times it crossed from 1 ft one side to 1 ft the other
  double slowest_settled = 1e9, fastest_settled = 0;
};

// Rides `pts` from a standing start `offset` feet to the right of its first point, facing
// along it; `settle` seconds are allowed to join the line.
Ride ride(const std::vector<LinePoint>& pts, double offset, double start_speed, double settle) {
  // Built as the race builds a robot's: the model's own setup, the highest stability's assists.
  RiderSlot& slot = g_world.slots[0];
  slot.bike = build_bike(g_world, "crf450(2013)", 0, "7", "", "", "", "");
  slot.control = kControlLocal;
  Bike& bike = *slot.bike;
  AssistValues assists;
  stability_preset(100, assists);
  set_assists(bike.setup, assists);
  dMatrix3 r;
  dRSetIdentity(r);
  place_bike(bike, {pts[0].x + offset, 0.1, pts[0].z}, r, {0, 0, -start_speed});
  set_clutch(bike, 1);
  bike.setup.auto_shift = true;
  Ride out;
  double index = 0;
  int side = 0;
  for (int i = 0; i < 60 * kSteps; ++i) {
    Pose m = pose_of(bike);
    index = locate(pts, m.x, m.z, index, 8);
    if (index >= double(pts.size()) - 1.5) {
      out.reached_end = true;
      break;
    }
    RideResult r = ride_line(bike, m, pts, index, line_speed(pts, index, 1.0));
    world_tick(g_world);
    if (bike.state.crash_timer > 0) {
      out.crashed = true;
      break;
    }
    if (i * (1.0 / kSteps) < settle) continue;
    out.worst_off_after = std::max(out.worst_off_after, std::fabs(r.cross));
    out.slowest_settled = std::min(out.slowest_settled, m.speed);
    out.fastest_settled = std::max(out.fastest_settled, m.speed);
    int now = r.cross > 1 ? 1 : r.cross < -1 ? -1 : side;
    if (side != 0 && now != side) ++out.side_changes;
    side = now;
  }
  return out;
}

TEST_F(LineRider, JoinsAStraightLineFromTheSideAndHoldsItWithoutWeaving) {
  std::vector<LinePoint> pts = line(512, 900, 750, 0, 0, 35);
  Ride r = ride(pts, 8, 20, 4);
  EXPECT_TRUE(r.reached_end);
  EXPECT_FALSE(r.crashed);
  EXPECT_LT(r.worst_off_after, 2.0);
  EXPECT_LE(r.side_changes, 1);
  // At the line's speed, give or take what the throttle needs to find it.
  EXPECT_GT(r.slowest_settled, 30);
  EXPECT_LT(r.fastest_settled, 40);
}

TEST_F(LineRider, RidesRoundABendOnTheLine) {
  // 80 ft radius at 28 ft/s: about 14 degrees of lean.
  std::vector<LinePoint> pts = line(700, 900, 200, 80, 1.5 * kPi, 28);
  Ride r = ride(pts, 3, 20, 4);
  EXPECT_TRUE(r.reached_end);
  EXPECT_FALSE(r.crashed);
  EXPECT_LT(r.worst_off_after, 4.0);
  EXPECT_LE(r.side_changes, 2);
  EXPECT_GT(r.slowest_settled, 22);
}

TEST(LineSpeed, AStandingStartIsRiddenAtAPaceTheBarsSteerAt) {
  // As the pilot leaves the gate: points inches apart at a walk, then pulling away.
  std::vector<LinePoint> pts = {{0, 0, 0, 0, 0},        {0, 0, -0.03f, 1.1f, 0},
                                {0, 0, -0.5f, 1.9f, 0}, {0, 0, -1, 4.5f, 0},
                                {0, 0, -3, 8.6f, 0},    {0, 0, -6, 12, 0},
                                {0, 0, -10, 15, 0},     {0, 0, -15, 19, 0}};
  for (double index : {0.0, 0.5, 1.2, 2.0}) EXPECT_GE(line_speed(pts, index, 1.0), 10.0) << index;
  // A real slowing ahead still brakes: down to 10 ft/s from 30 over 8 points of 7.5 ft.
  std::vector<LinePoint> fast;
  for (int i = 0; i < 12; ++i) fast.push_back({0, 0, float(-7.5 * i), i < 8 ? 30.0f : 10.0f, 0});
  EXPECT_LT(line_speed(fast, 5, 1.0), 25.0);
}

}  // namespace
}  // namespace br
