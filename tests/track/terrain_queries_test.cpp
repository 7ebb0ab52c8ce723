#include "track/terrain_queries.h"

#include <gtest/gtest.h>

#include <cmath>

namespace br {
namespace {

// A 5 x 5 sample grid (size exponent 1), spacing 2 ft, flat at 0 unless a test raises it.
Terrain flat_terrain() {
  Terrain t;
  terrain_set_size(t, 1, 2.0f);
  t.heights.assign(25, 0.0f);
  t.tilemap = {0, 1, 2, 3};
  t.tiles.assign(4, default_tile());
  return t;
}

float& at(Terrain& t, int c, int r) {
  return t.heights[static_cast<size_t>(c + t.side * r)];
}

TEST(TerrainHeight, SamplesAndFlatBeyondTheEdge) {
  Terrain t = flat_terrain();
  EXPECT_EQ(t.side, 5);
  EXPECT_FLOAT_EQ(t.extent, 8.0f);
  for (int k = 0; k < 25; ++k) t.heights[k] = static_cast<float>(k % 7) - 2.0f;
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 5; ++c) EXPECT_FLOAT_EQ(terrain_height(t, c * 2.0f, r * 2.0f), at(t, c, r));
  }
  EXPECT_FLOAT_EQ(terrain_height(t, -5.0f, 3.0f), terrain_height(t, 0.0f, 3.0f));
  EXPECT_FLOAT_EQ(terrain_height(t, 100.0f, 100.0f), at(t, 4, 4));
  EXPECT_FLOAT_EQ(terrain_height(t, -1e30f, NAN), at(t, 0, 0));  // wild input stays defined
}

TEST(TerrainHeight, EvenAndOddCellsSplitAlongDifferentDiagonals) {
  Terrain t = flat_terrain();
  // Cell (0, 0) is even: its diagonal runs from (0, 0) to (1, 1), so a raised far corner
  // lifts the cell's centre halfway.
  at(t, 1, 1) = 4.0f;
  EXPECT_FLOAT_EQ(terrain_height(t, 1.0f, 1.0f), 2.0f);
  // Cell (1, 0) is odd: its centre lies on the other diagonal, whose ends are both at 0 there
  // ((2, 0) and (1, 1) raised now, so raise (2, 1) instead to test the odd cell alone).
  Terrain u = flat_terrain();
  at(u, 2, 1) = 4.0f;
  EXPECT_FLOAT_EQ(terrain_height(u, 3.0f, 1.0f), 0.0f);
  // Off the diagonal each triangle is a plane: in the even cell below the diagonal
  // (fz < fx) the height follows the (0,0), (1,0), (1,1) triangle.
  EXPECT_FLOAT_EQ(terrain_height(t, 1.5f, 0.5f), 0.25f * 4.0f);  // fx .75, fz .25 -> fz*4
  EXPECT_FLOAT_EQ(terrain_height(t, 0.5f, 1.5f), 0.25f * 4.0f);
  // In the odd cell's upper triangle the raised corner weighs (fx + fz - 1).
  EXPECT_FLOAT_EQ(terrain_height(u, 3.5f, 1.5f), (0.75f + 0.75f - 1.0f) * 4.0f);
}

TEST(TerrainNormal, IsTheUpwardEdgeCrossProduct) {
  Terrain t = flat_terrain();
  GroundPoint n = terrain_normal(t, 1.0f, 0.5f);
  EXPECT_FLOAT_EQ(n.x, 0.0f);
  EXPECT_FLOAT_EQ(n.y, 4.0f);  // twice the area of a triangle with 2 ft legs
  EXPECT_FLOAT_EQ(n.z, 0.0f);
  // A slope rising 1 ft per foot towards +x tilts the normal towards -x.
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 5; ++c) at(t, c, r) = 2.0f * c;
  }
  for (float z : {0.3f, 1.7f, 3.1f}) {
    n = terrain_normal(t, 2.6f, z);
    EXPECT_FLOAT_EQ(n.x, -n.y);
    EXPECT_GT(n.y, 0.0f);
    EXPECT_FLOAT_EQ(n.z, 0.0f);
  }
}

TEST(CellTriangles, FollowTheCheckerboardWithClampedHeights) {
  Terrain t = flat_terrain();
  at(t, 4, 4) = 3.0f;
  CellTriangles even = cell_triangles(t, 0, 0);
  // Both triangles of an even cell share the (0,0)-(1,1) diagonal.
  for (const GroundTriangle& tri : even.triangle) {
    EXPECT_FLOAT_EQ(tri.corner[0].x, 0.0f);
    EXPECT_FLOAT_EQ(tri.corner[2].x, 2.0f);
    EXPECT_FLOAT_EQ(tri.corner[2].z, 2.0f);
  }
  CellTriangles odd = cell_triangles(t, 1, 0);
  EXPECT_FLOAT_EQ(odd.triangle[0].corner[1].x, 4.0f);  // (2, 0)
  EXPECT_FLOAT_EQ(odd.triangle[0].corner[2].z, 2.0f);  // (1, 1)
  // A cell beyond the grid keeps its own position but borrows the edge heights.
  CellTriangles outside = cell_triangles(t, 5, 5);
  EXPECT_FLOAT_EQ(outside.triangle[0].corner[0].x, 10.0f);
  EXPECT_FLOAT_EQ(outside.triangle[0].corner[0].y, 3.0f);
}

TEST(SphereContact, FlatGroundSlopeAndNoTouch) {
  Terrain t = flat_terrain();
  SphereContact c = sphere_contact(t, {3.0f, 0.75f, 5.0f}, 1.0f);
  ASSERT_TRUE(c.found);
  EXPECT_NEAR(c.depth, 0.25f, 1e-6f);
  EXPECT_NEAR(c.normal.y, 1.0f, 1e-6f);
  EXPECT_NEAR(c.point.x, 3.0f, 1e-6f);
  EXPECT_NEAR(c.point.y, 0.0f, 1e-6f);
  EXPECT_NEAR(c.point.z, 5.0f, 1e-6f);

  EXPECT_FALSE(sphere_contact(t, {3.0f, 1.01f, 5.0f}, 1.0f).found);
  // A sphere sunk below the surface still reports how deep it reaches.
  c = sphere_contact(t, {3.0f, -0.5f, 5.0f}, 1.0f);
  ASSERT_TRUE(c.found);
  EXPECT_NEAR(c.depth, 1.5f, 1e-6f);

  // A 45-degree slope: the depth is measured along the slope's normal.
  for (int r = 0; r < 5; ++r) {
    for (int col = 0; col < 5; ++col) at(t, col, r) = 2.0f * col;
  }
  float above = 0.5f;  // distance from the slope to the centre, along its normal
  float s = std::sqrt(0.5f);
  GroundPoint centre{4.0f - above * s, 4.0f + above * s, 4.0f};
  c = sphere_contact(t, centre, 1.0f);
  ASSERT_TRUE(c.found);
  EXPECT_NEAR(c.depth, 0.5f, 1e-5f);
  EXPECT_NEAR(c.normal.x, -s, 1e-5f);
  EXPECT_NEAR(c.normal.y, s, 1e-5f);
}

TEST(SphereContact, BesideAConvexEdgeTouchesTheEdgeItself) {
  // A ramp from x = 4 ft (height 0) to x = 6 ft (height 4) onto a flat top. A sphere outside
  // the edge, on the bisector of the two faces, touches neither face's interior: its depth is
  // its reach past the edge line, not its distance from either face's plane.
  Terrain t = flat_terrain();
  for (int r = 0; r < 5; ++r) {
    for (int c = 3; c < 5; ++c) at(t, c, r) = 4.0f;
  }
  float bx = -2.0f / std::sqrt(5.0f), by = 1.0f / std::sqrt(5.0f) + 1.0f;
  float len = std::hypot(bx, by);
  GroundPoint centre{6.0f + 0.8f * bx / len, 4.0f + 0.8f * by / len, 3.3f};
  SphereContact c = sphere_contact(t, centre, 1.0f);
  ASSERT_TRUE(c.found);
  EXPECT_NEAR(c.depth, 0.2f, 1e-5f);
  EXPECT_NEAR(c.point.x, 6.0f, 1e-5f);
  EXPECT_NEAR(c.point.y, 4.0f, 1e-5f);
  EXPECT_NEAR(c.point.z, 3.3f, 1e-5f);
}

TEST(TerrainQueries, AGroundNotLoadedIsFlatAtZero) {
  Terrain t;
  EXPECT_EQ(terrain_height(t, 3.0f, 4.0f), 0.0f);
  EXPECT_EQ(tile_at(t, 3.0f, 4.0f), 0);
  EXPECT_FALSE(sphere_contact(t, {1, 0.5f, 1}, 1.0f).found);
  CellTriangles cell = cell_triangles(t, 2, 2);
  EXPECT_EQ(cell.triangle[0].corner[0].y, 0.0f);
}

TEST(TileQueries, TileAtClampsToTheMap) {
  Terrain t = flat_terrain();  // 2 x 2 tiles of 4 ft
  EXPECT_EQ(tile_at(t, 1.0f, 1.0f), 0);
  EXPECT_EQ(tile_at(t, 5.0f, 1.0f), 1);
  EXPECT_EQ(tile_at(t, 1.0f, 5.0f), 2);
  EXPECT_EQ(tile_at(t, 100.0f, 100.0f), 3);
  EXPECT_EQ(tile_at(t, -100.0f, NAN), 0);
}

TEST(TileCurves, FrictionInterpolatesInTheSquareOfTheSpeed) {
  TileType tile = default_tile();
  tile.friction[0] = {0.8f, 2.0f};
  tile.friction[1] = {1.2f, 10.0f};
  EXPECT_FLOAT_EQ(friction_at(tile, 0.0f), 0.8f);
  EXPECT_FLOAT_EQ(friction_at(tile, 2.0f), 0.8f);
  EXPECT_FLOAT_EQ(friction_at(tile, 10.0f), 1.2f);
  EXPECT_FLOAT_EQ(friction_at(tile, 50.0f), 1.2f);
  EXPECT_FLOAT_EQ(friction_at(tile, 6.0f), 0.8f + 0.4f * (36.0f - 4.0f) / (100.0f - 4.0f));
  EXPECT_FLOAT_EQ(friction_at(tile, -6.0f), friction_at(tile, 6.0f));  // reversing too
  EXPECT_FLOAT_EQ(friction_at(default_tile(), 30.0f), 1.0f);

  // All eight points used: past the last the last value holds.
  for (int k = 0; k < kTileCurvePoints; ++k) tile.friction[k] = {0.1f * k, 1.0f + k};
  EXPECT_FLOAT_EQ(friction_at(tile, 100.0f), 0.7f);
}

TEST(TileCurves, RollResistInterpolatesBothValuesInTheSpeed) {
  TileType tile = default_tile();
  tile.roll_resist[0] = {4.0f, 16.0f, 1.0f};
  tile.roll_resist[1] = {5.0f, 18.0f, 61.0f};
  RollResist r = roll_resist_at(tile, 31.0f);
  EXPECT_FLOAT_EQ(r.low, 4.5f);
  EXPECT_FLOAT_EQ(r.high, 17.0f);
  EXPECT_FLOAT_EQ(roll_resist_at(tile, 0.0f).low, 4.0f);
  EXPECT_FLOAT_EQ(roll_resist_at(tile, 100.0f).high, 18.0f);

  Terrain t = flat_terrain();
  t.tiles[3] = tile;
  EXPECT_FLOAT_EQ(tile_roll_resist(t, 3, 31.0f).low, 4.5f);
  EXPECT_FLOAT_EQ(tile_roll_resist(t, 99, 31.0f).low, 4.5f);  // beyond the table: last tile
  EXPECT_FLOAT_EQ(tile_friction(t, -1, 5.0f), 1.0f);
}

}  // namespace
}  // namespace br
