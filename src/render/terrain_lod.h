// The terrain's level of detail: a quadtree over the height field whose nodes carry
// view-independent refinement radii. Each frame the nodes to subdivide are chosen from the
// camera's horizontal position alone, neighbouring leaves never differ by more than one level,
// and the leaves come out front to back as triangle fans of height samples. No graphics here:
// the drawing side turns the fans into vertices.
//
// Levels: level 0 is the whole terrain; level i has 2^i x 2^i nodes; the finest level L has one
// grid cell per node, so the grid has 2^L cells per side. Node (i, x, z) is numbered
// (4^i - 1) / 3 + x + z * 2^i. Radii are kept for levels L-5 to L-1: coarser levels are always
// subdivided and the finest never is.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "track/terrain.h"

namespace br {

// Work units a frame may spend bringing the radii up to date after the ground changed.
constexpr int64_t kTerrainLodFrameBudget = 8000;
constexpr int64_t kTerrainLodUnlimited = INT64_MAX;
// Levels further than this above the finest are always subdivided and carry no radii.
constexpr int kTerrainLodComputedLevels = 5;

// An inclusive rectangle of node (or sample) indices; empty when x0 > x1.
struct LodRect {
  int x0 = 0, z0 = 0, x1 = -1, z1 = -1;
  bool empty() const { return x0 > x1 || z0 > z1; }
};

// Changed samples as a few separate rectangles. Riders dig at both ends of the track at once;
// one rectangle around all of it would make every pass measure the whole ground between them
// and keep a fresh rut coarse for many seconds. Rectangles close together are joined; when
// all are in use the new one joins whichever grows least.
constexpr int kLodRegionCount = 16;
struct LodRegions {
  std::array<LodRect, kLodRegionCount> rects{};
  int count = 0;
  bool empty() const { return count == 0; }
};

// Where the incremental radius computation stands.
struct LodPass {
  bool active = false;
  std::array<LodRect, 32> measure{};  // per level: nodes whose own error is measured again
  std::array<LodRect, 32> raise{};    // per level: nodes whose stored value is rebuilt
  int level = 0;
  int x = 0, z = 0;         // node inside raise[level]
  int triangle = 0;         // 0 or 1: which half of the node is being measured
  int row = 0;              // sample row reached inside the triangle
  bool charged = false;     // the current triangle's set-up has been paid for
  float max_deviation = 0;  // feet, over the node so far
};

struct TerrainLod {
  const Terrain* terrain = nullptr;  // borrowed; the radii follow its heights
  int levels = 0;                    // L
  int first_computed = 0;            // coarsest level with radii
  float error_scale = 1.0f;          // larger keeps less detail
  // Squared radii (feet^2), double-buffered: drawing reads stored[front] while a pass fills
  // the other copy; they swap when the pass completes.
  std::array<std::vector<float>, 2> stored;
  int front = 0;
  std::vector<float> own;           // each node's squared radius from its own error alone
  std::vector<uint8_t> subdivided;  // rebuilt by terrain_lod_mark every frame
  LodPass pass;
  LodRegions pending;  // changed samples waiting for a pass, oldest first
  // Changed samples whose vertices the drawing side has not yet sent again; it takes them
  // with terrain_lod_take_redraw.
  LodRegions redraw;
  // Different for every build, so the drawing side knows when its copy of the vertices
  // belongs to another ground.
  uint64_t serial = 0;
};

// A leaf drawn as a fan: samples[first] is the hub, then the rim, closed by repeating its
// first rim sample. Triangles (hub, rim k, rim k + 1) wind counter-clockwise seen from above.
struct TerrainFan {
  int level = 0, x = 0, z = 0;
  uint32_t first = 0;
  uint32_t count = 0;  // samples, so count - 2 triangles
};

// Samples are indices c + S * r into the terrain's arrays.
struct TerrainFans {
  std::vector<uint32_t> samples;
  std::vector<TerrainFan> fans;
  size_t triangles = 0;
};

// Sizes the tree for `t` and computes every radius at once. False (and an empty tree) when
// the grid is not 2^L + 1 samples square.
bool terrain_lod_build(TerrainLod& lod, const Terrain& t, double error_scale);
void terrain_lod_clear(TerrainLod& lod);

// The heights inside [x0, x1] x [z0, z1] (feet) changed: their radii are recomputed by the
// coming terrain_lod_update calls. The whole terrain when called without a rectangle.
void terrain_lod_mark_changed(TerrainLod& lod, float x0, float z0, float x1, float z1);
void terrain_mark_dirty(TerrainLod& lod);
// Continues the radius computation for about `budget` work units (10 per triangle set-up, one
// per sample; a call may finish the row it is in), one pending region a pass. Returns the
// units spent.
int64_t terrain_lod_update(TerrainLod& lod, int64_t budget);
// Changed heights whose radii are not yet in use.
bool terrain_lod_busy(const TerrainLod& lod);
// The samples changed since the last call (none when nothing changed), forgotten by the tree.
LodRegions terrain_lod_take_redraw(TerrainLod& lod);

// Squared refinement radius in use for a node (feet^2); infinite on the always-subdivided
// levels, 0 on the finest.
float terrain_lod_radius2(const TerrainLod& lod, int level, int x, int z);

// Chooses the nodes to subdivide for a camera at horizontal position (x, z), feet.
void terrain_lod_mark(TerrainLod& lod, float eye_x, float eye_z);
bool terrain_lod_is_subdivided(const TerrainLod& lod, int level, int x, int z);
// The leaves of the marked tree, nearest the camera first.
void terrain_lod_fans(const TerrainLod& lod, float eye_x, float eye_z, TerrainFans& out);

}  // namespace br
