// The terrain's detail tree: what it draws is always one watertight surface made of the
// ground's own samples, neighbours stay within one level, and dug ground is refined again
// within a bounded amount of work per frame.
#include "render/terrain_lod.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "log_capture.h"
#include "render/render_settings.h"
#include "support/data_dirs.h"
#include "track/terrain_queries.h"
#include "track/track_loader.h"
#include "world/world.h"

namespace br {
namespace {

Terrain bumpy_terrain(int size_exp, float spacing, float bump = 3.0f) {
  Terrain t;
  terrain_set_size(t, size_exp, spacing);
  t.heights.resize(static_cast<size_t>(t.side) * t.side);
  for (int r = 0; r < t.side; ++r) {
    for (int c = 0; c < t.side; ++c) {
      t.heights[static_cast<size_t>(c) + static_cast<size_t>(t.side) * r] =
          bump * std::sin(c * 0.31f) * std::cos(r * 0.17f) + 0.2f * std::sin(c * 2.3f + r * 1.1f);
    }
  }
  return t;
}

struct Corner {
  int c, r;
};

Corner corner_of(const Terrain& t, uint32_t sample) {
  return {static_cast<int>(sample % t.side), static_cast<int>(sample / t.side)};
}

// Everything that makes the drawn surface whole, checked for one camera: each grid cell lies
// in exactly one leaf, touching leaves differ by at most one level, every triangle faces up,
// and every edge inside the terrain is shared by exactly two triangles (no T-junctions).
void expect_watertight(const TerrainLod& lod, const TerrainFans& fans, const std::string& where) {
  const Terrain& t = *lod.terrain;
  const int cells = t.side - 1;
  std::vector<int> leaf_level(static_cast<size_t>(cells) * cells, -1);
  int overlaps = 0;
  for (const TerrainFan& f : fans.fans) {
    int side = 1 << (lod.levels - f.level);
    for (int r = f.z * side; r < (f.z + 1) * side; ++r) {
      for (int c = f.x * side; c < (f.x + 1) * side; ++c) {
        int& l = leaf_level[static_cast<size_t>(c) + static_cast<size_t>(cells) * r];
        if (l >= 0) ++overlaps;
        l = f.level;
      }
    }
  }
  EXPECT_EQ(overlaps, 0) << where;
  int uncovered = 0, steps = 0;
  for (int r = 0; r < cells; ++r) {
    for (int c = 0; c < cells; ++c) {
      int l = leaf_level[static_cast<size_t>(c) + static_cast<size_t>(cells) * r];
      if (l < 0) ++uncovered;
      if (c + 1 < cells && std::abs(l - leaf_level[c + 1 + static_cast<size_t>(cells) * r]) > 1)
        ++steps;
      if (r + 1 < cells && std::abs(l - leaf_level[c + static_cast<size_t>(cells) * (r + 1)]) > 1)
        ++steps;
    }
  }
  EXPECT_EQ(uncovered, 0) << where;
  EXPECT_EQ(steps, 0) << where << ": leaves two or more levels apart touch";

  std::unordered_map<uint64_t, int> edges;
  double area = 0;
  int downward = 0;
  size_t triangles = 0;
  for (const TerrainFan& f : fans.fans) {
    const uint32_t* s = &fans.samples[f.first];
    for (uint32_t k = 1; k + 1 < f.count; ++k) {
      uint32_t tri[3] = {s[0], s[k], s[k + 1]};
      Corner a = corner_of(t, tri[0]), b = corner_of(t, tri[1]), c = corner_of(t, tri[2]);
      // Seen from above (y up) counter-clockwise means (b - a) x (c - a) has positive y.
      long up =
          static_cast<long>(b.r - a.r) * (c.c - a.c) - static_cast<long>(b.c - a.c) * (c.r - a.r);
      if (up <= 0) ++downward;
      area += 0.5 * static_cast<double>(up);
      for (int e = 0; e < 3; ++e) ++edges[(uint64_t{tri[e]} << 32) | tri[(e + 1) % 3]];
      ++triangles;
    }
  }
  EXPECT_EQ(downward, 0) << where;
  EXPECT_EQ(triangles, fans.triangles) << where;
  EXPECT_DOUBLE_EQ(area, static_cast<double>(cells) * cells) << where;
  int unmatched = 0;
  for (const auto& [key, count] : edges) {
    uint32_t a = static_cast<uint32_t>(key >> 32), b = static_cast<uint32_t>(key);
    Corner ca = corner_of(t, a), cb = corner_of(t, b);
    bool border = (ca.c == cb.c && (ca.c == 0 || ca.c == cells)) ||
                  (ca.r == cb.r && (ca.r == 0 || ca.r == cells));
    auto back = edges.find((uint64_t{b} << 32) | a);
    int reverse = back == edges.end() ? 0 : back->second;
    if (count != 1 || (!border && reverse != 1)) ++unmatched;
  }
  EXPECT_EQ(unmatched, 0) << where << ": edges without a partner open cracks";
}

void check_cameras(TerrainLod& lod, const std::vector<std::pair<float, float>>& cameras) {
  TerrainFans fans;
  for (auto [x, z] : cameras) {
    terrain_lod_mark(lod, x, z);
    terrain_lod_fans(lod, x, z, fans);
    expect_watertight(lod, fans, "camera " + std::to_string(x) + ", " + std::to_string(z));
  }
}

std::vector<std::pair<float, float>> cameras_across(float extent) {
  std::vector<std::pair<float, float>> cams;
  for (float fx : {-0.3f, 0.0f, 0.13f, 0.5f, 0.77f, 1.0f, 1.4f}) {
    for (float fz : {-0.1f, 0.06f, 0.5f, 0.91f, 1.2f}) cams.push_back({fx * extent, fz * extent});
  }
  return cams;
}

TEST(TerrainLod, AtFullDetailTheFansAreTheGroundsOwnTriangles) {
  Terrain t = bumpy_terrain(3, 2.0f);
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 1e-4));
  EXPECT_EQ(lod.levels, 4);
  TerrainFans fans;
  terrain_lod_mark(lod, 5.0f, 7.0f);
  terrain_lod_fans(lod, 5.0f, 7.0f, fans);
  ASSERT_EQ(fans.triangles, 2u * 16 * 16);

  auto key = [&](uint32_t a, uint32_t b, uint32_t c) {
    std::vector<uint32_t> k{a, b, c};
    std::sort(k.begin(), k.end());
    return k;
  };
  std::set<std::vector<uint32_t>> ground;
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 16; ++c) {
      CellTriangles ct = cell_triangles(t, c, r);
      for (const GroundTriangle& g : ct.triangle) {
        uint32_t s[3];
        for (int k = 0; k < 3; ++k) {
          s[k] = static_cast<uint32_t>(std::lround(g.corner[k].x / t.spacing) +
                                       t.side * std::lround(g.corner[k].z / t.spacing));
        }
        ground.insert(key(s[0], s[1], s[2]));
      }
    }
  }
  std::set<std::vector<uint32_t>> drawn;
  for (const TerrainFan& f : fans.fans) {
    for (uint32_t k = 1; k + 1 < f.count; ++k) {
      const uint32_t* s = &fans.samples[f.first];
      drawn.insert(key(s[0], s[k], s[k + 1]));
    }
  }
  EXPECT_EQ(drawn, ground);
  // The leaves come nearest first: the camera's own cell leads.
  EXPECT_EQ(fans.fans.front().x, 2);
  EXPECT_EQ(fans.fans.front().z, 3);
}

TEST(TerrainLod, NoCracksForCamerasAnywhere) {
  Terrain t = bumpy_terrain(7, 2.0f);  // 257 samples: eight levels, two always split
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.125 / 70));
  EXPECT_EQ(lod.first_computed, 3);
  check_cameras(lod, cameras_across(t.extent));
  // A small terrain has radii up to its root, and the same rules hold.
  Terrain small = bumpy_terrain(2, 3.0f);
  ASSERT_TRUE(terrain_lod_build(lod, small, 0.125 / 20));
  EXPECT_EQ(lod.first_computed, 0);
  check_cameras(lod, cameras_across(small.extent));
}

TEST(TerrainLod, CameraBlockIsFullDetailEvenOnFlatGroundAndOffTheEdge) {
  Terrain t = bumpy_terrain(6, 2.0f, 0.0f);
  std::fill(t.heights.begin(), t.heights.end(), 4.0f);
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.125 / 70));
  TerrainFans fans;
  auto leaf_level_at = [&](float x, float z) {
    int cell_x = static_cast<int>(x / t.spacing), cell_z = static_cast<int>(z / t.spacing);
    for (const TerrainFan& f : fans.fans) {
      int side = 1 << (lod.levels - f.level);
      if (cell_x / side == f.x && cell_z / side == f.z) return f.level;
    }
    return -1;
  };
  terrain_lod_mark(lod, 100.0f, 60.0f);
  terrain_lod_fans(lod, 100.0f, 60.0f, fans);
  EXPECT_EQ(leaf_level_at(100.0f, 60.0f), lod.levels);
  // Flat ground far from the camera is drawn coarse.
  EXPECT_LE(leaf_level_at(250.0f, 250.0f), lod.levels - 3);
  expect_watertight(lod, fans, "flat");

  // Far outside the grid the block sits at the nearest corner.
  terrain_lod_mark(lod, -500.0f, t.extent + 400.0f);
  terrain_lod_fans(lod, -500.0f, t.extent + 400.0f, fans);
  EXPECT_EQ(leaf_level_at(1.0f, t.extent - 1.0f), lod.levels);
  expect_watertight(lod, fans, "outside");
}

TEST(TerrainLod, DugGroundIsRefinedUnderTheFrameBudgetAndMatchesAFreshBuild) {
  Terrain t = bumpy_terrain(7, 2.0f, 0.5f);
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.125 / 70));
  EXPECT_FALSE(terrain_lod_busy(lod));
  const int fine = lod.levels - 1;
  // The node at level L-1 holding sample (100, 60), and a coarse one around it.
  const int fx = 50, fz = 30, cx = 50 >> 4, cz = 30 >> 4;
  float fine_before = terrain_lod_radius2(lod, fine, fx, fz);
  float coarse_before = terrain_lod_radius2(lod, fine - 4, cx, cz);

  // A rut: a 5 ft trench across a few samples.
  for (int r = 59; r <= 61; ++r) {
    for (int c = 98; c <= 102; ++c) t.heights[c + static_cast<size_t>(t.side) * r] -= 5.0f;
  }
  terrain_lod_mark_changed(lod, 98 * 2.0f, 59 * 2.0f, 102 * 2.0f, 61 * 2.0f);
  EXPECT_TRUE(terrain_lod_busy(lod));
  int frames = 0;
  while (terrain_lod_busy(lod)) {
    // Until the pass is done the drawn radii are the old ones.
    EXPECT_EQ(terrain_lod_radius2(lod, fine, fx, fz), fine_before);
    int64_t spent = terrain_lod_update(lod, 500);
    EXPECT_GT(spent, 0);
    EXPECT_LE(spent, 500 + t.side + 10);  // a call finishes at most the row it is in
    ASSERT_LT(++frames, 200);
  }
  EXPECT_GT(frames, 1);
  EXPECT_GT(terrain_lod_radius2(lod, fine, fx, fz), fine_before);
  EXPECT_GT(terrain_lod_radius2(lod, fine - 4, cx, cz), coarse_before);

  // The incremental result is exactly what a full computation gives.
  TerrainLod fresh;
  ASSERT_TRUE(terrain_lod_build(fresh, t, 0.125 / 70));
  int differ = 0;
  for (int i = lod.first_computed; i < lod.levels; ++i) {
    for (int z = 0; z < (1 << i); ++z) {
      for (int x = 0; x < (1 << i); ++x) {
        if (terrain_lod_radius2(lod, i, x, z) != terrain_lod_radius2(fresh, i, x, z)) ++differ;
      }
    }
  }
  EXPECT_EQ(differ, 0);
  // Both copies caught up: another change elsewhere keeps everything else as it was.
  terrain_lod_mark_changed(lod, 10.0f, 10.0f, 10.0f, 10.0f);
  terrain_lod_update(lod, kTerrainLodUnlimited);
  EXPECT_EQ(terrain_lod_radius2(lod, fine, fx, fz), terrain_lod_radius2(fresh, fine, fx, fz));
  check_cameras(lod, {{200.0f, 120.0f}});
}

// Riders dig all round the track at once. A rut dug beside the camera still reaches the drawn
// detail within a few frames, and only the dug places go to the card again, not the ground
// between them.
TEST(TerrainLod, ARutBesideTheCameraIsRefinedSoonWhileRidersDigAllRoundTheTrack) {
  Terrain t;
  terrain_set_size(t, 9, 2.0f);  // 1025 samples a side, like the tracks we ship
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.125 / 70));
  const float eye_x = 1000.0f, eye_z = 1000.0f, rut_x = 1020.0f, rut_z = 1003.0f;
  TerrainFans fans;
  auto rut_level = [&] {
    terrain_lod_mark(lod, eye_x, eye_z);
    terrain_lod_fans(lod, eye_x, eye_z, fans);
    const int c = static_cast<int>(rut_x / t.spacing), r = static_cast<int>(rut_z / t.spacing);
    for (const TerrainFan& f : fans.fans) {
      const int side = 1 << (lod.levels - f.level);
      if (c / side == f.x && r / side == f.z) return f.level;
    }
    return -1;
  };
  auto dig = [&](float x, float z, float depth) {
    const int c = static_cast<int>(x / t.spacing), r = static_cast<int>(z / t.spacing);
    for (int dr = -1; dr <= 1; ++dr) {
      for (int dc = -1; dc <= 1; ++dc) {
        t.heights[static_cast<size_t>(c + dc) + static_cast<size_t>(t.side) * (r + dr)] -= depth;
      }
    }
    terrain_lod_mark_changed(lod, x - 2, z - 2, x + 2, z + 2);
  };
  ASSERT_LT(rut_level(), lod.levels);  // level ground 20 ft away is drawn coarse
  terrain_lod_take_redraw(lod);        // the whole new ground

  int frame = 0;
  int64_t most_sent = 0;
  for (; frame < 300 && (frame == 0 || rut_level() < lod.levels); ++frame) {
    for (int k = 0; k < 12; ++k) {
      const float a = 6.2832f * static_cast<float>(k) / 12 + 0.002f * static_cast<float>(frame);
      dig(1024.0f + 700.0f * std::cos(a), 1024.0f + 700.0f * std::sin(a), 0.01f);
    }
    if (frame == 0) dig(rut_x, rut_z, 0.5f);
    terrain_lod_update(lod, kTerrainLodFrameBudget);
    const LodRegions sent = terrain_lod_take_redraw(lod);
    int64_t samples = 0;
    for (int i = 0; i < sent.count; ++i) {
      samples += int64_t{sent.rects[i].x1 - sent.rects[i].x0 + 1} *
                 (sent.rects[i].z1 - sent.rects[i].z0 + 1);
    }
    most_sent = std::max(most_sent, samples);
  }
  EXPECT_LE(frame, 30) << "frames until the rut was drawn at full detail";
  EXPECT_LE(most_sent, 13 * 5 * 5);
  expect_watertight(lod, fans, "digging all round");
}

TEST(TerrainLod, RefusesGridsItCannotSplitAndNonsenseScales) {
  Terrain t = bumpy_terrain(3, 1.0f);
  t.heights.pop_back();
  TerrainLod lod;
  EXPECT_FALSE(terrain_lod_build(lod, t, 0.01));
  EXPECT_EQ(lod.levels, 0);
  TerrainFans fans;
  terrain_lod_mark(lod, 0, 0);
  terrain_lod_fans(lod, 0, 0, fans);
  EXPECT_TRUE(fans.fans.empty());
  EXPECT_EQ(terrain_lod_update(lod, kTerrainLodFrameBudget), 0);
  // Ground freed under a built tree: nothing is read from it.
  Terrain gone = bumpy_terrain(3, 1.0f);
  ASSERT_TRUE(terrain_lod_build(lod, gone, 0.01));
  gone.heights.clear();
  gone.side = 0;
  terrain_lod_mark_changed(lod, 0, 0, 5, 5);
  EXPECT_EQ(terrain_lod_update(lod, kTerrainLodUnlimited), 0);
  terrain_lod_mark(lod, 0, 0);
  terrain_lod_fans(lod, 0, 0, fans);
  EXPECT_TRUE(fans.fans.empty());
  // --detail 0 or below: the most detail, never a division by zero.
  Terrain ok = bumpy_terrain(3, 1.0f);
  for (double scale : {0.0, -1.0, std::nan("")}) {
    ASSERT_TRUE(terrain_lod_build(lod, ok, scale));
    EXPECT_TRUE(std::isfinite(terrain_lod_radius2(lod, 3, 1, 1)));
    check_cameras(lod, {{3.0f, 3.0f}});
  }
}

TEST(TerrainLod, DebugCrackCheckReportsTheFirstCrackOnly) {
  Terrain t = bumpy_terrain(3, 1.0f);
  TerrainLod lod;
  ASSERT_TRUE(terrain_lod_build(lod, t, 0.125 / 70));
  br_test::LogCapture log;
  render_settings().debug_level = 1;
  TerrainFans fans;
  terrain_lod_mark(lod, 3.0f, 3.0f);
  terrain_lod_fans(lod, 3.0f, 3.0f, fans);
  EXPECT_EQ(log.count("Found a crack!"), 0);
  // Break the rule by hand: leaf (1, 0) of level 1 beside a level-2 node that is split.
  auto node = [](int level, int x, int z) {
    return ((1u << (2 * level)) - 1) / 3 + x + (z << level);
  };
  std::fill(lod.subdivided.begin(), lod.subdivided.end(), 0);
  lod.subdivided[node(0, 0, 0)] = 1;
  lod.subdivided[node(1, 0, 0)] = 1;
  lod.subdivided[node(2, 1, 0)] = 1;
  terrain_lod_fans(lod, 3.0f, 3.0f, fans);
  terrain_lod_fans(lod, 3.0f, 3.0f, fans);
  EXPECT_EQ(log.count("Found a crack!"), 1);
  render_settings() = RenderSettings{};
}

TEST(TerrainLod, DefaultTrackHasNoCracksAndRefinesARutInAFewFrames) {
#ifndef BR_DEFAULT_DATA_DIR
  GTEST_SKIP() << "the default data set is not part of this build";
#else
  br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
  world_reset();
  ASSERT_TRUE(load_track("rabbithill"));
  TerrainLod& lod = g_world.track.lod;
  const Terrain& t = g_world.track.terrain;
  ASSERT_EQ(lod.terrain, &t);
  EXPECT_EQ(1 << lod.levels, t.side - 1);
  EXPECT_FALSE(terrain_lod_busy(lod));
  check_cameras(lod, cameras_across(t.extent));

  float x = 0.4f * t.extent, z = 0.6f * t.extent;
  terrain_lod_mark_changed(lod, x - 4, z - 4, x + 4, z + 4);
  int frames = 0;
  while (terrain_lod_busy(lod) && frames < 100) {
    terrain_lod_update(lod, kTerrainLodFrameBudget);
    ++frames;
  }
  EXPECT_LE(frames, 10);
  free_track();
  EXPECT_EQ(g_world.track.lod.terrain, nullptr);
  world_reset();
  br_test::restore_data_directories();
#endif
}

}  // namespace
}  // namespace br
