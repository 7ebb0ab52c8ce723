// Roost: how many particles a rider may throw, how a wheel throws them, how they fly and land,
// and that the pool is shared without ever running over.
#include "track/roost.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>

#include "bike/bike.h"
#include "bike/controls.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

constexpr TextureId kDirt = 7;

RoostRecord clods(float count) {
  RoostRecord r;
  r.mode = kRoostDirt;
  r.texture = kDirt;
  r.count = count;
  r.colour = {120, 88, 60, 255};
  return r;
}

// Level ground at height 0, 64 ft a side, one tile whose roost is `records`.
Terrain ground_throwing(std::initializer_list<RoostRecord> records) {
  Terrain t;
  terrain_set_size(t, 4, 2.0f);
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
  TileType tile = default_tile();
  size_t k = 0;
  for (const RoostRecord& r : records) tile.roost[k++] = r;
  t.tiles = {tile};
  return t;
}

struct Pool {
  RoostPool pool;
  std::vector<Billboard> boards;
  Pool() {
    pool.particles.assign(kRoostParticles, RoostParticle{});
    boards.resize(kRoostParticles);
    for (int i = 0; i < kRoostParticles; ++i) pool.particles[static_cast<size_t>(i)].billboard = i;
    reset_roost_pool(pool, boards);
  }
  int free_count() const {
    int n = 0;
    for (int i = pool.free_list; i >= 0; i = pool.particles[static_cast<size_t>(i)].next) ++n;
    return n;
  }
  int active_count() const {
    int n = 0;
    for (int i = pool.active_list; i >= 0; i = pool.particles[static_cast<size_t>(i)].next) ++n;
    return n;
  }
};

// A rear wheel of radius 1 ft on the ground at (32, 32), standing still and spinning fast
// backward at the contact (rad/s about its axle, +x).
WheelThrow spinning_wheel(double spin) {
  WheelThrow w;
  w.centre = {32, 1, 32};
  w.point = {32, 0, 32};
  w.depth = 0.05;
  w.spin = {spin, 0, 0};
  // The tread at the contact moves at spin x radius; the wheel itself does not move.
  w.point_velocity = {0, 0, -spin};
  w.velocity = {0, 0, 0};
  return w;
}

TEST(RoostBudget, TheFrequencyGivesWholeParticlesAndTheRemainderAsAChance) {
  Pool p;
  EXPECT_EQ(roost_budget(p.pool, 0), 0);
  EXPECT_EQ(roost_budget(p.pool, 1000), 10);
  int threes = 0;
  for (int i = 0; i < 10000; ++i) {
    int b = roost_budget(p.pool, 250);
    ASSERT_TRUE(b == 2 || b == 3);
    threes += b == 3;
  }
  EXPECT_NEAR(threes / 10000.0, 0.5, 0.03);
}

TEST(ThrowRoost, ACountWithAFractionThrowsOneMoreByChanceButNeverPastTheBudget) {
  Terrain t = ground_throwing({clods(2.5f)});
  int threes = 0;
  for (int i = 0; i < 2000; ++i) {
    Pool p;
    p.pool.rng.seed(static_cast<uint32_t>(i));
    int n = throw_wheel_roost(t, p.pool, p.boards, spinning_wheel(-60), kRearRoostAngle, 10, 0);
    ASSERT_TRUE(n == 2 || n == 3);
    threes += n == 3;
    Pool q;
    ASSERT_EQ(throw_wheel_roost(t, q.pool, q.boards, spinning_wheel(-60), kRearRoostAngle, 2, 0),
              2);
  }
  EXPECT_NEAR(threes / 2000.0, 0.5, 0.05);
}

TEST(ThrowRoost, AGrippingTyreOrAWheelInTheAirThrowsNothing) {
  Terrain t = ground_throwing({clods(10)});
  Pool p;
  WheelThrow rolling = spinning_wheel(-2);  // 2 ft/s at the tread: below the slip threshold
  EXPECT_EQ(throw_wheel_roost(t, p.pool, p.boards, rolling, kRearRoostAngle, 10, 0), 0);
  WheelThrow flying = spinning_wheel(-60);
  flying.depth = 0;
  EXPECT_EQ(throw_wheel_roost(t, p.pool, p.boards, flying, kRearRoostAngle, 10, 0), 0);
  // Records after the first unused one are never read.
  Terrain gap = ground_throwing({RoostRecord{}, clods(10)});
  EXPECT_EQ(throw_wheel_roost(gap, p.pool, p.boards, spinning_wheel(-60), kRearRoostAngle, 10, 0),
            0);
  EXPECT_EQ(p.pool.active, 0);
}

TEST(ThrowRoost, ASpinningWheelThrowsClodsUpOffItsBackThatFlyFadeAndLand) {
  RoostRecord r = clods(10);
  r.randomize = 0;  // exact flights
  r.fade = {0, 0, 0, -2};
  Terrain t = ground_throwing({r});
  Pool p;
  // Spinning backward at the contact (the wheel drives toward -z) and not moving: the clods
  // ride up the back of the tyre and leave it going up and back.
  ASSERT_EQ(throw_wheel_roost(t, p.pool, p.boards, spinning_wheel(-60), kRearRoostAngle, 10, 0),
            10);
  EXPECT_EQ(p.pool.active, 10);
  for (int i = p.pool.active_list; i >= 0; i = p.pool.particles[static_cast<size_t>(i)].next) {
    const RoostParticle& q = p.pool.particles[static_cast<size_t>(i)];
    EXPECT_GE(q.z, 32 - 1e-4);  // behind the contact
    EXPECT_GE(q.vz, -1e-3);     // flying back
    EXPECT_GE(q.vy, -1e-3);     // and up
    EXPECT_NEAR(std::hypot(q.vy, q.vz), 60, 1e-3);
    const Billboard& b = p.boards[static_cast<size_t>(q.billboard)];
    EXPECT_EQ(b.texture, kDirt);
    EXPECT_FLOAT_EQ(b.width, r.size);
    EXPECT_EQ(b.r, 120);
  }
  // One step of flight: moved by its velocity, slowed by drag, pulled down by gravity.
  const RoostParticle first = p.pool.particles[static_cast<size_t>(p.pool.active_list)];
  update_particles(t, p.pool, p.boards);
  const RoostParticle& moved = p.pool.particles[static_cast<size_t>(p.pool.active_list)];
  const float dt = 1.0f / 128;
  EXPECT_FLOAT_EQ(moved.y, first.y + first.vy * dt);
  EXPECT_FLOAT_EQ(moved.vy, first.vy - first.vy * dt * r.drag - 32 * dt);
  const Billboard& b = p.boards[static_cast<size_t>(moved.billboard)];
  EXPECT_FLOAT_EQ(b.width, r.size + dt * r.grow);
  EXPECT_EQ(b.a, 253);
  // Every clod comes down within a few seconds; landing frees it and hides its billboard.
  for (int i = 0; i < 128 * 5 && p.pool.active > 0; ++i) update_particles(t, p.pool, p.boards);
  EXPECT_EQ(p.pool.active, 0);
  EXPECT_EQ(p.free_count(), kRoostParticles);
  for (const Billboard& board : p.boards) EXPECT_EQ(board.texture, 0u);
}

TEST(ThrowRoost, SplashGoesUpAtFortyFiveDegreesToEitherSideAtTheGroundSpeed) {
  RoostRecord r = clods(4);
  r.mode = kRoostSplash;
  r.randomize = 0;
  Terrain t = ground_throwing({r});
  Pool p;
  WheelThrow w = spinning_wheel(0);
  w.velocity = {0, -3, -40};  // riding at 40 ft/s toward -z, sinking a little
  // With the random speed factor at its top the sheets would leave at the full ground speed;
  // every clod lies on one of the two 45-degree sheets and within that speed.
  ASSERT_EQ(throw_wheel_roost(t, p.pool, p.boards, w, kRearRoostAngle, 10, 0), 4);
  int left = 0, right = 0;
  for (int i = p.pool.active_list; i >= 0; i = p.pool.particles[static_cast<size_t>(i)].next) {
    const RoostParticle& q = p.pool.particles[static_cast<size_t>(i)];
    EXPECT_NEAR(q.vz, 0, 1e-4);
    EXPECT_NEAR(std::fabs(q.vx), q.vy, 1e-3);
    EXPECT_LE(std::hypot(q.vx, q.vy), 40 + 1e-3);
    (q.vx < 0 ? left : right) += 1;
  }
  EXPECT_EQ(left, 2);
  EXPECT_EQ(right, 2);
  // A wheel with no speed along the ground has no direction to splash in.
  Pool still;
  EXPECT_EQ(
      throw_wheel_roost(t, still.pool, still.boards, spinning_wheel(0), kRearRoostAngle, 10, 0), 0);
}

TEST(ThrowRoost, AFullPoolDropsNewParticlesUntilSomeLand) {
  Terrain t = ground_throwing({clods(10)});
  Pool p;
  int thrown = 0;
  for (int i = 0; i < 300; ++i) {
    thrown += throw_wheel_roost(t, p.pool, p.boards, spinning_wheel(-60), kRearRoostAngle, 10, 0);
    ASSERT_EQ(p.active_count() + p.free_count(), kRoostParticles);
  }
  EXPECT_EQ(thrown, kRoostParticles);
  EXPECT_EQ(p.pool.active, kRoostParticles);
  EXPECT_EQ(throw_wheel_roost(t, p.pool, p.boards, spinning_wheel(-60), kRearRoostAngle, 10, 0), 0);
  while (p.pool.active == kRoostParticles) update_particles(t, p.pool, p.boards);
  EXPECT_GT(throw_wheel_roost(t, p.pool, p.boards, spinning_wheel(-60), kRearRoostAngle, 10, 0), 0);
  EXPECT_EQ(p.active_count() + p.free_count(), kRoostParticles);
}

// Roost is only seen: a race is the same step for step whether or not dirt flies.
TEST(RoostInTheWorld, ARideIsTheSameWithAndWithoutRoostAndLeavesTheSharedGeneratorAlone) {
  std::array<double, 3> end[2];
  int flying[2] = {0, 0};
  for (int run = 0; run < 2; ++run) {
    br_test::open_bike_world(BR_DEFAULT_DATA_DIR);
    br_test::lay_flat_ground(6, 2.0f);
    g_world.track.terrain.tiles[0].roost[0] = clods(10);
    create_roost_pool();
    g_world.detail.roost_frequency = run == 0 ? 1000 : 0;
    Bike& bike = br_test::build_ridden_bike(0);
    dMatrix3 upright;
    dRSetIdentity(upright);
    place_bike(bike, {128, 0.3, 200}, upright, {0, 0, 0});
    random_seed(5);
    const std::mt19937 shared = g_world.rng;
    for (int i = 0; i < 256; ++i) {
      set_throttle(bike, 1);
      world_tick(g_world);
      flying[run] = std::max(flying[run], g_world.track.roost.active);
    }
    EXPECT_TRUE(g_world.rng == shared);
    const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
    end[run] = {p[0], p[1], p[2]};
    br_test::close_bike_world();
  }
  EXPECT_GT(flying[0], 0);
  EXPECT_EQ(flying[1], 0);
  EXPECT_EQ(end[0], end[1]);
}

}  // namespace
}  // namespace br
