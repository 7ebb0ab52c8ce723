// The ground's vertices and which of them digging changes.
#include "render/ground_vertices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "track/terrain_deform.h"

namespace br {
namespace {

constexpr std::array<float, 3> kSun = {0.6f, 0.8f, 0.0f};

std::vector<GroundVertex> all_vertices(const Terrain& t) {
  std::vector<GroundVertex> v(static_cast<size_t>(t.side) * t.side);
  for (int r = 0; r < t.side; ++r) ground_vertices_fill(t, r, 0, t.side - 1, kSun, &v[t.side * r]);
  return v;
}

bool same(const GroundVertex& a, const GroundVertex& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z && a.lit == b.lit && a.dug == b.dug;
}

TEST(GroundVertices, CarryTheBakedLightAndLeaveComposedGroundAsComposedUntilDug) {
  Terrain t;
  terrain_set_size(t, 3, 2.0f);
  const size_t n = static_cast<size_t>(t.side) * t.side;
  t.heights.assign(n, 5.0f);
  t.shading.assign(n * 3, 100);
  t.shadows.assign(n, 0);
  t.shadows[3 + t.side * 2] = 255;  // fully shadowed: keeps 40%
  GroundVertex v[2];
  ground_vertices_fill(t, 2, 3, 4, kSun, v);
  EXPECT_EQ(v[0].x, 6.0f);
  EXPECT_EQ(v[0].y, 5.0f);
  EXPECT_EQ(v[0].z, 4.0f);
  EXPECT_NEAR(v[0].lit[0], 40, 1);
  EXPECT_EQ(v[1].lit[0], 100);
  EXPECT_EQ(v[1].lit[3], 255);
  EXPECT_EQ(v[0].dug, (std::array<uint8_t, 4>{128, 128, 128, 255}));
  // A hole: composed ground shows its walls both brighter and darker, like repeated tiles.
  TerrainLod lod;
  deform_terrain(t, lod, 8, 8, 6, -1);
  GroundVertex row[9];
  ground_vertices_fill(t, 4, 0, 8, kSun, row);
  int brighter = 0, darker = 0;
  for (const GroundVertex& g : row) {
    brighter += g.dug[0] > 128 && g.lit[0] > 100;
    darker += g.dug[0] < 128 && g.lit[0] < 100;
  }
  EXPECT_GT(brighter, 0);
  EXPECT_GT(darker, 0);
}

// Only the samples a deformation names, and their neighbours, are sent again: anything else
// that changed would show stale on screen.
TEST(GroundVertices, EveryVertexDiggingChangesLiesInTheBlockSentAgain) {
  Terrain t;
  terrain_set_size(t, 4, 2.0f);
  const size_t n = static_cast<size_t>(t.side) * t.side;
  t.heights.assign(n, 0.0f);
  t.shading.assign(n * 3, 100);
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.01));
  const LodRegions all = terrain_lod_take_redraw(lod);  // a new tree: everything
  ASSERT_EQ(all.count, 1);
  EXPECT_EQ(all.rects[0].x1, t.side - 1);
  EXPECT_TRUE(terrain_lod_take_redraw(lod).empty());
  const struct {
    float x, z, radius, amount;
  } digs[] = {{20.3f, 31.7f, 5.0f, -2.0f}, {1.0f, 0.5f, 4.0f, 3.0f}, {63.0f, 60.0f, 7.0f, -1.0f}};
  for (const auto& d : digs) {
    const std::vector<GroundVertex> before = all_vertices(t);
    deform_terrain(t, lod, d.x, d.z, d.radius, d.amount);
    const LodRegions taken = terrain_lod_take_redraw(lod);
    ASSERT_EQ(taken.count, 1);
    const LodRect sent = ground_vertices_affected(t, taken.rects[0]);
    const std::vector<GroundVertex> after = all_vertices(t);
    int changed = 0;
    for (int r = 0; r < t.side; ++r) {
      for (int c = 0; c < t.side; ++c) {
        if (same(before[c + t.side * r], after[c + t.side * r])) continue;
        ++changed;
        EXPECT_TRUE(c >= sent.x0 && c <= sent.x1 && r >= sent.z0 && r <= sent.z1)
            << "dig at " << d.x << "," << d.z << ": sample " << c << "," << r;
      }
    }
    EXPECT_GT(changed, 0);
    EXPECT_GE(sent.x0, 0);
    EXPECT_LE(sent.x1, t.side - 1);
    EXPECT_LE((sent.x1 - sent.x0 + 1) * (sent.z1 - sent.z0 + 1), 12 * 12);
  }
}

}  // namespace
}  // namespace br
