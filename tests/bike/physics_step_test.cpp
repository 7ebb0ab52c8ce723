// The physics step on real ground: tyres against terrain triangles, rolling resistance, and
// whole bikes dropped onto and rolled down the ground through the world tick.
#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>

#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "bike/terrain_contacts.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"
#include "track/terrain_queries.h"
#include "track/track_loader.h"

namespace br {
namespace {

// A plane rising `slope` (rise per foot) toward +z, 64 x 64 cells of 2 ft, plain default
// ground.
void make_plane(Terrain& t, double slope, double base = 50) {
  t = Terrain{};
  terrain_set_size(t, 5, 2.0f);
  t.heights.resize(static_cast<size_t>(t.side) * t.side);
  for (int r = 0; r < t.side; ++r) {
    for (int c = 0; c < t.side; ++c) {
      t.heights[static_cast<size_t>(c + t.side * r)] =
          static_cast<float>(base + slope * r * t.spacing);
    }
  }
  t.min_height = t.heights.front();
  t.max_height = t.heights.back();
  t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
  t.tiles = {default_tile()};
}

TEST(TyreGround, TorusOnFlatGroundReachesDownByItsLowestPoint) {
  Terrain t;
  make_plane(t, 0.0);
  const double ring = 0.9, tube = 0.2;
  // Upright wheel, axle along x, 0.05 ft into the ground.
  TorusContact c = torus_contact(t, {40.3, 50 + ring + tube - 0.05, 40.7}, {1, 0, 0}, ring, tube);
  EXPECT_NEAR(c.depth, 0.05, 1e-5);
  EXPECT_NEAR(c.normal[1], 1.0, 1e-9);
  EXPECT_NEAR(c.point[1], 50.0, 1e-5);
  EXPECT_NEAR(c.point[2], 40.7, 1e-5);
  // Clear of the ground, and far beyond the grid, nothing.
  EXPECT_EQ(torus_contact(t, {40, 50 + ring + tube + 0.01, 40}, {1, 0, 0}, ring, tube).depth, 0);
  // A wheel sunk below its tube still reports how deep its ring went.
  c = torus_contact(t, {40, 50 + ring - 0.1, 40}, {1, 0, 0}, ring, tube);
  EXPECT_NEAR(c.depth, tube + 0.1, 1e-5);
  // A body gone to NaN gets no contact, rather than one with a NaN depth.
  EXPECT_EQ(torus_contact(t, {NAN, 50, 40}, {1, 0, 0}, ring, tube).depth, 0);
}

TEST(TyreGround, TorusOnASlopeTakesTheSlopesNormal) {
  Terrain t;
  make_plane(t, 0.5);
  const double ring = 0.9, tube = 0.2;
  double nz = -0.5 / std::sqrt(1.25), ny = 1 / std::sqrt(1.25);
  // Centre placed so the tube's lowest point toward the plane is 0.03 ft in.
  double z = 30, surface = 50 + 0.5 * z;
  double lift = (ring + tube - 0.03) / ny;  // straight up from the surface to the centre
  TorusContact c = torus_contact(t, {30, surface + lift, z}, {1, 0, 0}, ring, tube);
  EXPECT_NEAR(c.depth, 0.03, 1e-4);
  EXPECT_NEAR(c.normal[1], ny, 1e-6);
  EXPECT_NEAR(c.normal[2], nz, 1e-6);
}

// A ridge or a valley along z at x = 32 ft: flat at 50 ft on the low-x side, the other side
// falling (`slope` < 0, the crest of a jump) or rising (> 0) by `slope` per foot.
void make_fold(Terrain& t, double slope) {
  make_plane(t, 0.0);
  for (int r = 0; r < t.side; ++r) {
    for (int c = 0; c < t.side; ++c) {
      double beyond = std::max(0.0, c * t.spacing - 32.0);
      t.heights[static_cast<size_t>(c + t.side * r)] = static_cast<float>(50 + slope * beyond);
    }
  }
}

TEST(TyreGround, AWheelAtACrestStandsOnTheTopNotOnTheFallingSlopesPlane) {
  Terrain t;
  make_fold(t, -1.0);
  const double ring = 0.9, tube = 0.2;
  // Rolling along x toward the edge, 0.4 ft short of it and 0.05 ft into the flat top: the
  // falling slope's plane, carried back over the top, lies above this wheel's ring.
  TorusContact c = torus_contact(t, {31.6, 50 + ring + tube - 0.05, 40.5}, {0, 0, 1}, ring, tube);
  EXPECT_NEAR(c.depth, 0.05, 1e-5);
  EXPECT_NEAR(c.normal[1], 1.0, 1e-9);
}

TEST(TyreGround, AWheelSunkIntoTheCreaseOfAValleyStillTouches) {
  Terrain t;
  make_fold(t, 1.0);
  const double ring = 0.9, tube = 0.2;
  // Straight over the crease, the ring below both faces' planes.
  TorusContact c = torus_contact(t, {32, 50 + ring - 0.1, 40.5}, {0, 0, 1}, ring, tube);
  EXPECT_GT(c.depth, tube);
  EXPECT_GT(c.normal[1], 0.7);
}

TEST(TyreGround, ArcadeGripFallsWithLeanToFiveEighths) {
  EXPECT_DOUBLE_EQ(grip_factor(false, 0.7), 1.0);
  EXPECT_DOUBLE_EQ(grip_factor(true, 0.0), 1.0);
  EXPECT_NEAR(grip_factor(true, -M_PI / 8), 0.8125, 1e-12);
  EXPECT_NEAR(grip_factor(true, M_PI / 4), 0.625, 1e-12);
  EXPECT_NEAR(grip_factor(true, 2.0), 0.625, 1e-12);
}

TEST(TyreGround, RollingResistanceGrowsWithSpeedUpToOneFootPerSecondThenHolds) {
  TileType tile = default_tile();  // 5 lb at no penetration, 15 at full
  const std::array<double, 3> up{0, 1, 0};
  // Half a foot per second, half way in: 10 lb per ft/s times 0.5 ft/s, against the motion.
  std::array<double, 3> f = rolling_resistance(tile, {0, -3, -0.5}, up, 0.5);
  EXPECT_NEAR(f[2], 5.0, 1e-5);
  EXPECT_NEAR(f[0], 0.0, 1e-9);
  EXPECT_NEAR(f[1], 0.0, 1e-9);  // motion into the ground is not resisted
  f = rolling_resistance(tile, {0, 0, -0.25}, up, 0.5);
  EXPECT_NEAR(f[2], 2.5, 1e-5);
  // Above 1 ft/s only the direction counts.
  for (double speed : {2.0, 30.0}) {
    f = rolling_resistance(tile, {speed * 0.6, 0, speed * 0.8}, up, 0.0);
    EXPECT_NEAR(std::hypot(f[0], f[1], f[2]), 5.0, 1e-5);
    EXPECT_NEAR(f[0], -3.0, 1e-5);
  }
  f = rolling_resistance(tile, {0, 0, 0}, up, 1.0);
  EXPECT_EQ(f[0] * f[0] + f[1] * f[1] + f[2] * f[2], 0.0);
}

class BikeOnGround : public ::testing::Test {
 protected:
  void SetUp() override { br_test::open_bike_world(BR_DATA_DIR); }
  void TearDown() override { br_test::close_bike_world(); }
  Bike& add_bike(int slot) {
    g_world.slots[slot].bike = build_bike(g_world, "crf450(2013)", 0, "7", "", "", "", "");
    g_world.slots[slot].control = kControlLocal;
    return *g_world.slots[slot].bike;
  }
  // The bike's own frame origin that leaves its lower tyre `gap` ft above the ground at
  // (x, z), both tyres touching the same level.
  static double lowest_tyre(const Bike& bike) {
    double low = 1e9;
    for (int w = 0; w < kWheelCount; ++w) {
      const dReal* p = dBodyGetPosition(bike.wheels[w].body);
      low = std::min(low, p[1] - bike.wheels[w].ring_radius - bike.wheels[w].tube_radius);
    }
    return low;
  }
  static bool finite(const Bike& bike) {
    for (dBodyID b : bike.bodies) {
      const dReal* p = dBodyGetPosition(b);
      const dReal* v = dBodyGetLinearVel(b);
      for (int i = 0; i < 3; ++i)
        if (!std::isfinite(p[i]) || !std::isfinite(v[i])) return false;
    }
    return true;
  }
  static double speed(const Bike& bike) {
    const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  }
};

// The flattest spot of the default track's middle, by the normals around it.
std::array<float, 2> flattest_spot(const Terrain& t) {
  std::array<float, 2> best{t.extent / 2, t.extent / 2};
  float best_y = -1;
  for (float x = t.extent * 0.25f; x < t.extent * 0.75f; x += 8) {
    for (float z = t.extent * 0.25f; z < t.extent * 0.75f; z += 8) {
      float worst = 1;
      for (float dx : {-4.0f, 0.0f, 4.0f}) {
        for (float dz : {-5.0f, 0.0f, 5.0f}) {
          GroundPoint n = terrain_normal(t, x + dx, z + dz);
          worst = std::min(worst, n.y / std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z));
        }
      }
      if (worst > best_y) {
        best_y = worst;
        best = {x, z};
      }
    }
  }
  return best;
}

TEST_F(BikeOnGround, DroppedFromTwoFeetItLandsOnBothWheelsAndSagsWithoutDrifting) {
  ASSERT_TRUE(load_track("rabbithill"));
  const Terrain& t = g_world.track.terrain;
  Bike& bike = add_bike(0);
  std::array<float, 2> spot = flattest_spot(t);
  double ground = terrain_height(t, spot[0], spot[1]);
  dMatrix3 upright;
  dRSetIdentity(upright);
  double drop = ground + 2.0 - lowest_tyre(bike);
  place_bike(bike, {spot[0], drop, spot[1]}, upright, {0, 0, 0});

  const BikeEntry& e = bike.entry;
  bool front_landed = false, rear_landed = false;
  double fork_sum = 0, arm_sum = 0;
  int samples = 0;
  for (int tick = 0; tick < 128; ++tick) {
    world_tick(g_world);
    ASSERT_TRUE(finite(bike)) << "tick " << tick;
    front_landed |= bike.wheels[kFrontWheel].depth > 0;
    rear_landed |= bike.wheels[kRearWheel].depth > 0;
    if (tick >= 96) {
      fork_sum += dJointGetSliderPosition(bike.joints[kJointForkSlider]);
      arm_sum += dJointGetHingeAngle(bike.joints[kJointSwingarmPivot]);
      ++samples;
    }
  }
  EXPECT_TRUE(front_landed);
  EXPECT_TRUE(rear_landed);
  EXPECT_EQ(bike.state.crash_timer, 0);
  // Static sag: the suspension carries the bike part way into its travel, neither topped
  // out nor bottomed.
  double fork_sag = -fork_sum / samples / e.fork_travel;
  double arm_sag = -arm_sum / samples / e.swingarm_travel;
  EXPECT_GT(fork_sag, 0.05);
  EXPECT_LT(fork_sag, 0.6);
  EXPECT_GT(arm_sag, 0.05);
  EXPECT_LT(arm_sag, 0.6);
  // Landed straight down and stays put.
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  EXPECT_NEAR(p[0], spot[0] + (e.frame_position.x), 0.25);
  EXPECT_NEAR(p[2], spot[1] + (e.frame_position.z), 0.25);
  EXPECT_LT(speed(bike), 0.5);
  EXPECT_GT(lowest_tyre(bike), ground - 0.3);
}

// The gap between the plane of make_plane and the nearer tyre, ft.
double tyre_gap(const Bike& bike, double slope) {
  double gap = 1e9;
  for (const WheelContact& w : bike.wheels) {
    const dReal* c = dBodyGetPosition(w.body);
    double above = (c[1] - slope * c[2] - 50) / std::sqrt(1 + slope * slope);
    gap = std::min(gap, above - w.ring_radius - w.tube_radius);
  }
  return gap;
}

// Sets the bike at rest just above a plane of the given slope, nose down it (toward -z), and
// lets it roll for 0.75 s; its speed then.
double roll_down(Bike& bike, double slope) {
  make_plane(g_world.track.terrain, slope);
  dMatrix3 pitch;
  dRFromAxisAndAngle(pitch, 1, 0, 0, -std::atan(slope));
  std::array<double, 3> origin{40, 50 + slope * 100, 100};
  place_bike(bike, origin, pitch, {0, 0, 0});
  origin[1] += (0.02 - tyre_gap(bike, slope)) * std::sqrt(1 + slope * slope);
  place_bike(bike, origin, pitch, {0, 0, 0});
  for (int tick = 0; tick < 96; ++tick) world_tick(g_world);
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  if (slope > 0) {
    EXPECT_LT(v[2], 0);  // downhill
  }
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

TEST_F(BikeOnGround, RollingFreelyDownhillGainsSpeedAsSlopeAndResistanceSay) {
  Bike& bike = add_bike(0);
  const double t = 0.75;
  for (double slope : {0.1, 0.25}) {
    double speed = roll_down(bike, slope);
    ASSERT_TRUE(finite(bike));
    double sine = slope / std::sqrt(1 + slope * slope);
    // Gravity along the slope less some 5 to 6 lb of rolling resistance per tyre; the
    // spinning wheels take a little of it.
    double upper = (32 * sine - 10.0 / bike.total_mass) * t;
    double lower = 0.8 * (32 * sine - 13.0 / bike.total_mass) * t;
    EXPECT_LT(speed, upper * 1.02) << "slope " << slope;
    EXPECT_GT(speed, lower) << "slope " << slope;
    EXPECT_EQ(bike.state.crash_timer, 0);
  }
  // On the level it stays where it is.
  EXPECT_LT(roll_down(bike, 0.0), 0.3);
}

}  // namespace
}  // namespace br
