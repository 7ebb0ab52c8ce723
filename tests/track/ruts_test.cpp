// Ruts: the ground's bumps and holes by their formulas, the marks that feed them, and a bike
// digging into level loam.
#include <gtest/gtest.h>
#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

#include "bike/bike.h"
#include "bike/controls.h"
#include "render/terrain_lod.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"
#include "track/terrain_deform.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

// A loam that digs ten times as deep as the tracks' loam, so that a single mark is easy to
// measure: depth, lower, upper, displacement, radius, max slope, off and on speed.
constexpr std::array<float, kErodeValueCount> kLoam = {1.2f, 45.0f, 140.0f, 2.0f,
                                                       4.0f, 0.25f, 10.0f,  15.0f};
constexpr float kErosion = 50;
constexpr float kMoved = kErosion / 2048 * 1.2f;  // feet of dirt one loam mark moves

// 17 x 17 samples 2 ft apart, all at height 0, one tile of loam.
Terrain loam_ground() {
  Terrain t;
  terrain_set_size(t, 3, 2.0f);
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  t.tilemap.assign(static_cast<size_t>(t.tile_side) * t.tile_side, 0);
  TileType loam = default_tile();
  loam.erode = kLoam;
  t.tiles = {loam};
  return t;
}

float& at(Terrain& t, int c, int r) {
  return t.heights[static_cast<size_t>(c) + static_cast<size_t>(t.side) * r];
}

// The bump's weight at s grid units from its centre, for a radius of r grid units.
float weight(float s, float r) {
  if (s > r) return 0;
  float q = s / r;
  return 2 * q * q * q - 3 * q * q + 1;
}

TEST(DeformTerrain, ABumpFollowsItsWeightsInsideTheRadiusAndTellsTheDetailTree) {
  Terrain t = loam_ground();
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.01));
  ASSERT_FALSE(terrain_lod_busy(lod));
  // Radius 4 ft over 2 ft spacing: 2 grid units, centred exactly on sample (8, 8).
  deform_terrain(t, lod, 16, 16, 4, -0.5f);
  EXPECT_FLOAT_EQ(at(t, 8, 8), -0.5f);  // the whole amount at the centre
  EXPECT_FLOAT_EQ(at(t, 9, 8), -0.5f * weight(1, 2));
  EXPECT_FLOAT_EQ(at(t, 7, 7), -0.5f * weight(std::sqrt(2.0f), 2));
  EXPECT_FLOAT_EQ(at(t, 10, 8), 0.0f);  // at the radius the weight is 0
  int changed = 0;
  for (float h : t.heights) changed += h != 0.0f;
  EXPECT_EQ(changed, 9);
  EXPECT_FLOAT_EQ(t.min_height, -0.5f);
  EXPECT_TRUE(t.modified);
  EXPECT_EQ(t.changes, 1u);
  // The 4 x 4 block of samples the bump covers is what the detail tree looks at again.
  ASSERT_EQ(lod.pending.count, 1);
  EXPECT_EQ(lod.pending.rects[0].x0, 7);
  EXPECT_EQ(lod.pending.rects[0].z0, 7);
  EXPECT_EQ(lod.pending.rects[0].x1, 10);
  EXPECT_EQ(lod.pending.rects[0].z1, 10);
  // The physics reads the new ground at once.
  EXPECT_FLOAT_EQ(terrain_height(t, 16, 16), -0.5f);

  // Raising past the top widens the range; a bump off the centre of a sample spreads by the
  // distance to each.
  deform_terrain(t, lod, 3, 2, 4, 20);
  EXPECT_FLOAT_EQ(at(t, 1, 1), 20 * weight(std::hypot(0.5f, 0.0f), 2));
  EXPECT_FLOAT_EQ(at(t, 2, 1), 20 * weight(0.5f, 2));
  EXPECT_FLOAT_EQ(t.max_height, 20 * weight(0.5f, 2));
}

TEST(DeformTerrain, LockedGroundBadValuesAndTheGridEdgeAreSafe) {
  Terrain t = loam_ground();
  TerrainLod lod;
  t.locked = true;
  deform_terrain(t, lod, 16, 16, 4, -1);
  EXPECT_FALSE(t.modified);
  EXPECT_EQ(t.changes, 0u);
  t.locked = false;
  deform_terrain(t, lod, 16, 16, 4, 0);        // nothing to move
  deform_terrain(t, lod, NAN, 16, 4, -1);      // a broken position
  deform_terrain(t, lod, 16, 16, 0, -1);       // no radius
  deform_terrain(t, lod, 16, 16, 1e30f, -1);   // wider than the grid: the whole grid
  deform_terrain(t, lod, -1e9f, 1e9f, 4, -1);  // far outside: nothing
  EXPECT_EQ(t.changes, 1u);
  EXPECT_FLOAT_EQ(at(t, 8, 8), -1.0f);
  // A bump at the corner touches only the samples inside the grid.
  Terrain corner = loam_ground();
  deform_terrain(corner, lod, 0, 0, 4, 1);
  EXPECT_FLOAT_EQ(at(corner, 0, 0), 1.0f);
  EXPECT_FLOAT_EQ(at(corner, 1, 0), weight(1, 2));
}

// What the camera sees of the dug ground: only the samples within reach of a point count,
// and a point far off the grid (or nonsense) counts none rather than the edge.
TEST(TerrainChange, CountsOnlyTheSamplesNearThePoint) {
  Terrain t = loam_ground();
  TerrainLod lod;
  deform_terrain(t, lod, 16, 16, 4, -0.5f);  // 9 samples, 5 of them cut 0.1 ft or more
  deform_terrain(t, lod, 30, 30, 2, 0.3f);   // one sample raised
  const TerrainChange all = terrain_change(t);
  EXPECT_EQ(all.samples, 10);
  EXPECT_FLOAT_EQ(all.deepest_cut, 0.5f);
  EXPECT_FLOAT_EQ(all.highest_heap, 0.3f);
  int tenth = 0;
  for (float h : t.heights) tenth += h <= -0.1f;
  EXPECT_EQ(all.cut_tenth, tenth);
  const TerrainChange hole = terrain_change_near(t, 16, 16, 2);
  EXPECT_EQ(hole.samples, 9);
  EXPECT_EQ(hole.highest_heap, 0.0f);
  EXPECT_EQ(terrain_change_near(t, 30, 30, 1).samples, 1);
  EXPECT_EQ(terrain_change_near(t, 30, 30, 1).deepest_cut, 0.0f);
  EXPECT_EQ(terrain_change_near(t, -100, -100, 10).samples, 0);
  EXPECT_EQ(terrain_change_near(t, 1e30f, 16, 10).samples, 0);
  EXPECT_EQ(terrain_change_near(t, std::nanf(""), 16, 10).samples, 0);
}

TEST(MoveDirt, AFullPushDigsAtTheMarkAndHeapsTheDisplacementBehind) {
  Terrain t = loam_ground();
  TerrainLod lod;
  // The ground pushed the wheel forward (-z) harder than the upper limit: the dirt goes the
  // whole 2 ft back, to sample (8, 9).
  ASSERT_TRUE(move_dirt(t, lod, {16, 16, 0, -200}, kErosion));
  EXPECT_FLOAT_EQ(at(t, 8, 8), -kMoved + kMoved * weight(1, 2));
  EXPECT_FLOAT_EQ(at(t, 8, 9), -kMoved * weight(1, 2) + kMoved);
  EXPECT_FLOAT_EQ(at(t, 8, 7), -kMoved * weight(1, 2));
  EXPECT_FLOAT_EQ(at(t, 8, 10), kMoved * weight(1, 2));
  EXPECT_LT(at(t, 8, 8), 0);
  EXPECT_GT(at(t, 8, 9), 0);
  // Dirt is moved, not made.
  EXPECT_NEAR(std::accumulate(t.heights.begin(), t.heights.end(), 0.0), 0.0, 1e-5);

  // Halfway between the limits it goes half the displacement.
  Terrain half = loam_ground();
  ASSERT_TRUE(move_dirt(half, lod, {16, 16, 0, -92.5f}, kErosion));
  EXPECT_FLOAT_EQ(at(half, 8, 8), -kMoved + kMoved * weight(0.5f, 2));
}

TEST(MoveDirt, DirtIsNotPushedUpASteepSlopeNorMovedOnGroundThatDoesNotErode) {
  // Behind the mark the ground rises 0.3 ft per foot: over the 2 ft push that is more than the
  // 0.25 the loam allows.
  Terrain steep = loam_ground();
  for (int r = 0; r < steep.side; ++r)
    for (int c = 0; c < steep.side; ++c) at(steep, c, r) = 0.6f * r;
  std::vector<float> before = steep.heights;
  TerrainLod lod;
  EXPECT_FALSE(move_dirt(steep, lod, {16, 16, 0, -200}, kErosion));
  EXPECT_EQ(steep.heights, before);
  // 0.2 ft per foot is within it.
  for (int r = 0; r < steep.side; ++r)
    for (int c = 0; c < steep.side; ++c) at(steep, c, r) = 0.4f * r;
  EXPECT_TRUE(move_dirt(steep, lod, {16, 16, 0, -200}, kErosion));

  Terrain hard = loam_ground();
  hard.tiles[0].erode[kErodeDepth] = 0;
  EXPECT_FALSE(move_dirt(hard, lod, {16, 16, 0, -200}, kErosion));
  EXPECT_FALSE(hard.modified);
}

TEST(WheelMarks, OnlyAFastStrongPushLeavesAMarkWeightedByTheSpeed) {
  Terrain t = loam_ground();
  MarkRing ring;
  // 12.5 ft/s lies halfway between loam's off and on speeds: half the push is kept.
  EXPECT_TRUE(record_wheel_mark(t, {10, 12, 0.1f, 12.5f, 0, -200}, ring));
  ASSERT_EQ(ring.size(), 1);
  EXPECT_FLOAT_EQ(ring.oldest().x, 10);
  EXPECT_FLOAT_EQ(ring.oldest().fz, -100);
  EXPECT_FALSE(record_wheel_mark(t, {10, 12, 0.0f, 20, 0, -200}, ring));   // in the air
  EXPECT_FALSE(record_wheel_mark(t, {10, 12, 0.1f, 9, 0, -200}, ring));    // too slow
  EXPECT_FALSE(record_wheel_mark(t, {10, 12, 0.1f, 12.5f, 80, 0}, ring));  // 40 lb: too weak
  EXPECT_EQ(ring.size(), 1);
  while (record_wheel_mark(t, {10, 12, 0.1f, 20, 0, -200}, ring)) {
  }
  EXPECT_TRUE(ring.full());
  EXPECT_EQ(ring.size(), kWheelMarks - 1);
}

TEST(WheelMarks, MarksWaitWhileTheBikeIsNearAndGoFourAStepOnceItRidesAway) {
  Terrain t = loam_ground();
  TerrainLod lod;
  MarkRing ring;
  for (int i = 0; i < 6; ++i) ring.push({16, 10.0f + i, 0, -200});
  // The frame 9 ft from the oldest mark: it waits, and so do all behind it.
  EXPECT_EQ(work_off_marks(t, lod, ring, 16, 1, kErosion), 0);
  EXPECT_EQ(ring.size(), 6);
  EXPECT_FALSE(t.modified);
  EXPECT_EQ(work_off_marks(t, lod, ring, 16, -10, kErosion), 4);
  EXPECT_EQ(work_off_marks(t, lod, ring, 16, -10, kErosion), 2);
  EXPECT_TRUE(ring.empty());
  EXPECT_EQ(t.changes, 12u);  // a hole and a heap per mark
}

// A bike on 512 ft of level loam, ridden off from a standstill at full throttle.
class BikeOnLoam : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DEFAULT_DATA_DIR);
    br_test::lay_flat_ground(7, 2.0f);
    g_world.track.terrain.tiles[0].erode = kLoam;
  }
  void TearDown() override { br_test::close_bike_world(); }

  // Rides 3 s; returns where the bike started (x, z).
  std::array<double, 2> ride(std::optional<float> erode) {
    g_world.options.erode = erode;
    Bike& bike = br_test::build_ridden_bike(0);
    dMatrix3 upright;
    dRSetIdentity(upright);
    place_bike(bike, {256, 0.3, 400}, upright, {0, 0, 0});
    for (int i = 0; i < 128; ++i) world_tick(g_world);  // settle
    const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
    std::array<double, 2> start{p[0], p[2]};
    for (int i = 0; i < 3 * 128; ++i) {
      dVector3 ahead;
      dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 0, -1, ahead);
      set_steering(
          bike, static_cast<float>(std::clamp(-2 * std::atan2(-ahead[0], -ahead[2]), -0.3, 0.3)));
      set_throttle(bike, 1);
      world_tick(g_world);
    }
    return start;
  }
};

TEST_F(BikeOnLoam, RidingOffDigsAHoleWithTheDirtHeapedBehindIt) {
  std::array<double, 2> start = ride(50.0f);
  const Terrain& t = g_world.track.terrain;
  TerrainChange change = terrain_change(t);
  ASSERT_GT(change.samples, 0);
  EXPECT_GT(change.deepest_cut, 0.02);
  EXPECT_GT(change.highest_heap, 0.02);
  // The wheel spun hardest pulling away: the deepest hole lies near the start, and the heap
  // lies behind it, where the wheel threw the dirt.
  size_t deepest = 0, highest = 0;
  for (size_t i = 0; i < t.heights.size(); ++i) {
    if (t.heights[i] < t.heights[deepest]) deepest = i;
    if (t.heights[i] > t.heights[highest]) highest = i;
  }
  auto z_of = [&](size_t i) { return static_cast<double>(i / t.side) * t.spacing; };
  auto x_of = [&](size_t i) { return static_cast<double>(i % t.side) * t.spacing; };
  EXPECT_LT(std::fabs(x_of(deepest) - start[0]), 6);
  EXPECT_LT(std::fabs(z_of(deepest) - start[1]), 20);
  EXPECT_GT(z_of(highest), z_of(deepest));
  // Dirt is moved, not made: only the sampling of each bump on the grid, which depends on
  // where between the samples its centre falls, leaves a little over or short.
  double sum = 0, moved = 0;
  for (float h : t.heights) {
    sum += h;
    moved += std::fabs(h);
  }
  EXPECT_LT(std::fabs(sum), 0.05 * moved);
}

TEST_F(BikeOnLoam, NoErosionOrGroundThatDoesNotErodeStaysAsItWas) {
  ride(std::nullopt);
  EXPECT_FALSE(g_world.track.terrain.modified);
  g_world.slots[0].bike.reset();
  ride(0.0f);
  EXPECT_FALSE(g_world.track.terrain.modified);
  g_world.slots[0].bike.reset();
  g_world.track.terrain.tiles[0].erode[kErodeDepth] = 0;
  ride(100.0f);
  EXPECT_FALSE(g_world.track.terrain.modified);
}

}  // namespace
}  // namespace br
