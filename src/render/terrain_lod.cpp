#include "render/terrain_lod.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

#include "platform/log.h"
#include "render/render_settings.h"

namespace br {
namespace {

constexpr float kHalfDiagonal = 0.70710678f;
// A node's radius must exceed every finer node it borders or contains by the distance between
// their centres, at most sqrt(0.75^2 + 0.25^2) = 0.7906 of the node's side; a little more
// keeps rounding from ever breaking the one-level rule.
constexpr float kRaiseReach = 0.8f;
constexpr int64_t kTriangleCost = 10;
constexpr float kMinErrorScale = 1e-6f;
// 4^13 / 3 nodes of radii: more than any track needs.
constexpr int kMaxLevels = 13;

// The ground under a tree can be freed or replaced without the tree being told; nothing is
// read from it then.
bool usable(const TerrainLod& lod) {
  if (!lod.terrain || lod.levels == 0) return false;
  const Terrain& t = *lod.terrain;
  return t.side == (1 << lod.levels) + 1 &&
         t.heights.size() == static_cast<size_t>(t.side) * t.side;
}

size_t level_start(int level) {
  return ((size_t{1} << (2 * level)) - 1) / 3;
}

size_t node_index(int level, int x, int z) {
  return level_start(level) + static_cast<size_t>(x) + (static_cast<size_t>(z) << level);
}

int cells_per_node(const TerrainLod& lod, int level) {
  return 1 << (lod.levels - level);
}

float node_side_feet(const TerrainLod& lod, int level) {
  return static_cast<float>(cells_per_node(lod, level)) * lod.terrain->spacing;
}

float height_at(const TerrainLod& lod, int c, int r) {
  const Terrain& t = *lod.terrain;
  return t.heights[static_cast<size_t>(c) + static_cast<size_t>(t.side) * r];
}

LodRect clamp_rect(LodRect r, int n) {
  r.x0 = std::max(r.x0, 0);
  r.z0 = std::max(r.z0, 0);
  r.x1 = std::min(r.x1, n - 1);
  r.z1 = std::min(r.z1, n - 1);
  return r;
}

LodRect rect_union(const LodRect& a, const LodRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {std::min(a.x0, b.x0), std::min(a.z0, b.z0), std::max(a.x1, b.x1), std::max(a.z1, b.z1)};
}

bool rect_contains(const LodRect& r, int x, int z) {
  return x >= r.x0 && x <= r.x1 && z >= r.z0 && z <= r.z1;
}

// Samples apart (along both axes) within which two changed regions are drawn together: the
// gap is mostly measured anyway by the coarse nodes both touch.
int joining_gap(const TerrainLod& lod) {
  return cells_per_node(lod, lod.first_computed);
}
// For vertices to send again the cost is the rectangle's own samples: join only neighbours.
constexpr int kRedrawJoiningGap = 4;

int64_t rect_area(const LodRect& r) {
  return r.empty() ? 0 : int64_t{r.x1 - r.x0 + 1} * (r.z1 - r.z0 + 1);
}

bool rects_near(const LodRect& a, const LodRect& b, int gap) {
  return a.x0 - b.x1 <= gap && b.x0 - a.x1 <= gap && a.z0 - b.z1 <= gap && b.z0 - a.z1 <= gap;
}

void remove_region(LodRegions& g, int i) {
  for (int k = i + 1; k < g.count; ++k) g.rects[k - 1] = g.rects[k];
  g.rects[--g.count] = LodRect{};
}

void add_region(LodRegions& g, LodRect r, int gap) {
  if (r.empty()) return;
  // Joining may bring the grown rectangle near another, so look again until none is.
  for (int i = 0; i < g.count;) {
    if (rects_near(g.rects[i], r, gap)) {
      r = rect_union(g.rects[i], r);
      remove_region(g, i);
      i = 0;
    } else {
      ++i;
    }
  }
  if (g.count < kLodRegionCount) {
    g.rects[g.count++] = r;
    return;
  }
  int best = 0;
  int64_t least = INT64_MAX;
  for (int i = 0; i < g.count; ++i) {
    const int64_t growth = rect_area(rect_union(g.rects[i], r)) - rect_area(g.rects[i]);
    if (growth < least) least = growth, best = i;
  }
  g.rects[best] = rect_union(g.rects[best], r);
}

// The nodes of a level whose closed square holds any of the samples.
LodRect nodes_touching(const LodRect& samples, int side, int n) {
  auto first = [side](int s) { return (s + side - 1) / side - 1; };
  return clamp_rect({first(samples.x0), first(samples.z0), samples.x1 / side, samples.z1 / side},
                    n);
}

void start_pass(TerrainLod& lod) {
  LodPass& p = lod.pass;
  const LodRect samples = lod.pending.rects[0];
  remove_region(lod.pending, 0);
  const int last = lod.levels - 1;
  for (int i = last; i >= lod.first_computed; --i) {
    const int n = 1 << i;
    p.measure[i] = nodes_touching(samples, cells_per_node(lod, i), n);
    p.raise[i] = p.measure[i];
    if (i < last && !p.raise[i + 1].empty()) {
      const LodRect& f = p.raise[i + 1];
      LodRect around{(f.x0 >> 1) - 1, (f.z0 >> 1) - 1, (f.x1 >> 1) + 1, (f.z1 >> 1) + 1};
      p.raise[i] = rect_union(p.raise[i], clamp_rect(around, n));
    }
  }
  p.active = true;
  p.level = last;
  p.x = p.raise[last].x0;
  p.z = p.raise[last].z0;
  p.triangle = 0;
  p.row = 0;
  p.charged = false;
  p.max_deviation = 0.0f;
}

// The plane of one half of node (x, z), as height = a + b * u + c * v with u and v the sample
// offsets from the node's low corner; and the samples of row v that lie in that half.
struct HalfPlane {
  float a = 0, b = 0, c = 0;
};

bool anti_diagonal(int x, int z) {
  return ((x ^ z) & 1) == 0;
}

HalfPlane half_plane(const TerrainLod& lod, int x0, int z0, int side, bool anti, int half) {
  const float s = static_cast<float>(side);
  const float h00 = height_at(lod, x0, z0), h10 = height_at(lod, x0 + side, z0);
  const float h01 = height_at(lod, x0, z0 + side), h11 = height_at(lod, x0 + side, z0 + side);
  if (!anti) {
    if (half == 0) return {h00, (h10 - h00) / s, (h11 - h10) / s};
    return {h00, (h11 - h01) / s, (h01 - h00) / s};
  }
  if (half == 0) return {h00, (h10 - h00) / s, (h01 - h00) / s};
  const float b = (h11 - h01) / s, c = (h11 - h10) / s;
  return {h11 - b * s - c * s, b, c};
}

void half_row_span(int side, bool anti, int half, int v, int* u0, int* u1) {
  if (!anti) {
    *u0 = half == 0 ? v : 0;
    *u1 = half == 0 ? side : v;
  } else {
    *u0 = half == 0 ? 0 : side - v;
    *u1 = half == 0 ? side - v : side;
  }
}

// Measures the current node's error row by row. False when the budget ran out first; the pass
// then resumes at the same row.
bool measure_node(TerrainLod& lod, int64_t& used, int64_t budget) {
  LodPass& p = lod.pass;
  const int side = cells_per_node(lod, p.level);
  const int x0 = p.x * side, z0 = p.z * side;
  const bool anti = anti_diagonal(p.x, p.z);
  for (; p.triangle < 2; ++p.triangle, p.row = 0, p.charged = false) {
    if (!p.charged) {
      if (used >= budget) return false;
      used += kTriangleCost;
      p.charged = true;
    }
    const HalfPlane plane = half_plane(lod, x0, z0, side, anti, p.triangle);
    for (; p.row <= side; ++p.row) {
      if (used >= budget) return false;
      int u0 = 0, u1 = 0;
      half_row_span(side, anti, p.triangle, p.row, &u0, &u1);
      const float row_base = plane.a + plane.c * static_cast<float>(p.row);
      const float* h = &lod.terrain->heights[static_cast<size_t>(x0) +
                                             static_cast<size_t>(lod.terrain->side) * (z0 + p.row)];
      for (int u = u0; u <= u1; ++u) {
        float d = std::fabs(h[u] - (row_base + plane.b * static_cast<float>(u)));
        p.max_deviation = std::max(p.max_deviation, d);
      }
      used += u1 - u0 + 1;
    }
  }
  const float r = p.max_deviation / lod.error_scale + kHalfDiagonal * node_side_feet(lod, p.level);
  lod.own[node_index(p.level, p.x, p.z)] = r * r;
  return true;
}

// A node's stored value: its own radius, raised above every finer node inside it or across
// its edges so that those are never subdivided while it is not.
void store_node(TerrainLod& lod, int level, int x, int z) {
  std::vector<float>& back = lod.stored[1 - lod.front];
  const size_t k = node_index(level, x, z);
  float v = lod.own[k];
  if (level + 1 < lod.levels) {
    const int fine = level + 1, n = 1 << fine;
    static constexpr int kOffsets[12][2] = {{0, 0}, {1, 0}, {0, 1},  {1, 1},  {-1, 0}, {-1, 1},
                                            {2, 0}, {2, 1}, {0, -1}, {1, -1}, {0, 2},  {1, 2}};
    float m = 0.0f;
    for (const auto& o : kOffsets) {
      int fx = 2 * x + o[0], fz = 2 * z + o[1];
      if (fx < 0 || fz < 0 || fx >= n || fz >= n) continue;
      m = std::max(m, back[node_index(fine, fx, fz)]);
    }
    const float reach = std::sqrt(m) + kRaiseReach * node_side_feet(lod, level);
    v = std::max(v, reach * reach);
  }
  back[k] = v;
}

void finish_pass(TerrainLod& lod) {
  LodPass& p = lod.pass;
  lod.front = 1 - lod.front;
  // The copy now in the back must catch up with what the pass changed before the next pass
  // builds on it.
  const std::vector<float>& now = lod.stored[lod.front];
  std::vector<float>& back = lod.stored[1 - lod.front];
  for (int i = lod.first_computed; i < lod.levels; ++i) {
    const LodRect& r = p.raise[i];
    for (int z = r.z0; z <= r.z1; ++z) {
      const size_t a = node_index(i, r.x0, z), b = node_index(i, r.x1, z) + 1;
      std::copy(now.begin() + a, now.begin() + b, back.begin() + a);
    }
  }
  p.active = false;
}

// Moves to the next node of the pass: row by row within a level, finest level first.
void advance(TerrainLod& lod) {
  LodPass& p = lod.pass;
  p.triangle = 0;
  p.row = 0;
  p.charged = false;
  p.max_deviation = 0.0f;
  if (++p.x <= p.raise[p.level].x1) return;
  p.x = p.raise[p.level].x0;
  if (++p.z <= p.raise[p.level].z1) return;
  while (--p.level >= lod.first_computed) {
    if (!p.raise[p.level].empty()) {
      p.x = p.raise[p.level].x0;
      p.z = p.raise[p.level].z0;
      return;
    }
  }
  finish_pass(lod);
}

float centre_distance2(const TerrainLod& lod, int level, int x, int z, float ex, float ez) {
  const float side = node_side_feet(lod, level);
  const float dx = (static_cast<float>(x) + 0.5f) * side - ex;
  const float dz = (static_cast<float>(z) + 0.5f) * side - ez;
  return dx * dx + dz * dz;
}

void mark_walk(TerrainLod& lod, int level, int x, int z, float ex, float ez) {
  if (level >= lod.levels) return;
  const size_t k = node_index(level, x, z);
  bool split = level < lod.first_computed || lod.subdivided[k] ||
               lod.stored[lod.front][k] > centre_distance2(lod, level, x, z, ex, ez);
  if (!split) return;
  lod.subdivided[k] = 1;
  for (int j = 0; j < 4; ++j) mark_walk(lod, level + 1, 2 * x + (j & 1), 2 * z + (j >> 1), ex, ez);
}

// The block of about 4 x 4 nodes around the camera on every level, each holding the parents
// of the finer block and the nodes bordering them, so forced nodes keep the one-level rule too.
void force_camera_blocks(TerrainLod& lod, float ex, float ez) {
  const int fine = lod.levels - 1;
  const int n = 1 << fine;
  const float side = node_side_feet(lod, fine);
  auto block = [n](float e, float side, int* lo, int* hi) {
    float q = std::round(e / side);
    int corner = static_cast<int>(std::clamp(q, 0.0f, static_cast<float>(n)));
    *lo = std::clamp(corner - 2, 0, std::max(0, n - 4));
    *hi = std::min(n - 1, *lo + 3);
  };
  LodRect r;
  block(ex, side, &r.x0, &r.x1);
  block(ez, side, &r.z0, &r.z1);
  for (int i = fine; i >= 0; --i) {
    for (int z = r.z0; z <= r.z1; ++z) {
      for (int x = r.x0; x <= r.x1; ++x) lod.subdivided[node_index(i, x, z)] = 1;
    }
    r = clamp_rect({(r.x0 >> 1) - 1, (r.z0 >> 1) - 1, (r.x1 >> 1) + 1, (r.z1 >> 1) + 1},
                   1 << std::max(i - 1, 0));
  }
}

uint32_t sample_index(const TerrainLod& lod, int c, int r) {
  return static_cast<uint32_t>(c) + static_cast<uint32_t>(lod.terrain->side) * r;
}

// With debugging on, the first leaf found beside a leaf two or more levels finer is reported
// once; after that the check costs nothing for the rest of the run.
bool g_crack_check = true;

void check_for_crack(const TerrainLod& lod, int level, int x, int z) {
  static constexpr int kEdges[4][6] = {
      // neighbour offset, then its two children that touch this leaf's edge
      {0, 1, 0, 0, 1, 0},
      {1, 0, 0, 0, 0, 1},
      {0, -1, 0, 1, 1, 1},
      {-1, 0, 1, 0, 1, 1}};
  const int n = 1 << level;
  for (const auto& e : kEdges) {
    const int nx = x + e[0], nz = z + e[1];
    if (nx < 0 || nz < 0 || nx >= n || nz >= n) continue;
    if (!terrain_lod_is_subdivided(lod, level, nx, nz)) continue;
    if (terrain_lod_is_subdivided(lod, level + 1, 2 * nx + e[2], 2 * nz + e[3]) ||
        terrain_lod_is_subdivided(lod, level + 1, 2 * nx + e[4], 2 * nz + e[5])) {
      kota::log_printf("Found a crack!\n");
      g_crack_check = false;
      return;
    }
  }
}

bool neighbour_split(const TerrainLod& lod, int level, int x, int z) {
  const int n = 1 << level;
  if (x < 0 || z < 0 || x >= n || z >= n) return false;
  return terrain_lod_is_subdivided(lod, level, x, z);
}

void emit_leaf(const TerrainLod& lod, int level, int x, int z, TerrainFans& out) {
  TerrainFan fan{level, x, z, static_cast<uint32_t>(out.samples.size()), 0};
  auto put = [&](int c, int r) { out.samples.push_back(sample_index(lod, c, r)); };
  const int side = cells_per_node(lod, level);
  const int x0 = x * side, z0 = z * side, x1 = x0 + side, z1 = z0 + side;
  if (level == lod.levels) {
    // A single cell: two triangles sharing the ground's own diagonal, fanned from one end.
    if (((x0 + z0) & 1) == 0) {
      put(x0, z0), put(x0, z1), put(x1, z1), put(x1, z0);
    } else {
      put(x1, z0), put(x0, z0), put(x0, z1), put(x1, z1);
    }
  } else {
    if (g_crack_check && render_settings().debug_level >= 1) check_for_crack(lod, level, x, z);
    const int mx = x0 + side / 2, mz = z0 + side / 2;
    put(mx, mz);
    put(x0, z1);
    if (neighbour_split(lod, level, x, z + 1)) put(mx, z1);
    put(x1, z1);
    if (neighbour_split(lod, level, x + 1, z)) put(x1, mz);
    put(x1, z0);
    if (neighbour_split(lod, level, x, z - 1)) put(mx, z0);
    put(x0, z0);
    if (neighbour_split(lod, level, x - 1, z)) put(x0, mz);
    put(x0, z1);
  }
  fan.count = static_cast<uint32_t>(out.samples.size()) - fan.first;
  out.triangles += fan.count - 2;
  out.fans.push_back(fan);
}

void fan_walk(const TerrainLod& lod, int level, int x, int z, float ex, float ez,
              TerrainFans& out) {
  if (level >= lod.levels || !lod.subdivided[node_index(level, x, z)]) {
    emit_leaf(lod, level, x, z, out);
    return;
  }
  // The child on the camera's side of each axis first, the far one last.
  const float side = node_side_feet(lod, level);
  const int nx = ex < (static_cast<float>(x) + 0.5f) * side ? 0 : 1;
  const int nz = ez < (static_cast<float>(z) + 0.5f) * side ? 0 : 1;
  const int order[4][2] = {{nx, nz}, {1 - nx, nz}, {nx, 1 - nz}, {1 - nx, 1 - nz}};
  for (const auto& o : order) fan_walk(lod, level + 1, 2 * x + o[0], 2 * z + o[1], ex, ez, out);
}

}  // namespace

bool terrain_lod_build(TerrainLod& lod, const Terrain& t, double error_scale) {
  terrain_lod_clear(lod);
  int cells = t.side - 1;
  if (cells < 1 || (cells & (cells - 1)) != 0 ||
      t.heights.size() != static_cast<size_t>(t.side) * t.side) {
    kota::log_printf("Terrain detail: the height field is not 2^n + 1 samples square\n");
    return false;
  }
  int levels = 0;
  while ((1 << levels) < cells) ++levels;
  if (levels > kMaxLevels) {
    kota::log_printf("Terrain detail: a height field of %d samples per side is too large\n",
                     t.side);
    return false;
  }
  static std::atomic<uint64_t> builds{0};
  lod.serial = ++builds;
  lod.terrain = &t;
  lod.levels = levels;
  lod.first_computed = std::max(0, levels - kTerrainLodComputedLevels);
  // Ground detail 0 makes the scale infinite (least detail); zero, negative or nonsense values
  // from the command line are taken as the most detail rather than divided by.
  float s = static_cast<float>(error_scale);
  lod.error_scale = s > kMinErrorScale ? s : kMinErrorScale;
  const size_t nodes = level_start(levels);
  for (auto& copy : lod.stored) copy.assign(nodes, 0.0f);
  lod.own.assign(nodes, 0.0f);
  lod.subdivided.assign(nodes, 0);
  terrain_mark_dirty(lod);
  terrain_lod_update(lod, kTerrainLodUnlimited);
  return true;
}

void terrain_lod_clear(TerrainLod& lod) {
  lod = TerrainLod{};
}

void terrain_lod_mark_changed(TerrainLod& lod, float x0, float z0, float x1, float z1) {
  if (!usable(lod)) return;
  const Terrain& t = *lod.terrain;
  const float last = static_cast<float>(t.side - 1);
  float c0 = std::floor(x0 / t.spacing), c1 = std::ceil(x1 / t.spacing);
  float r0 = std::floor(z0 / t.spacing), r1 = std::ceil(z1 / t.spacing);
  if (!(c0 <= c1 && r0 <= r1) || c1 < 0 || r1 < 0 || c0 > last || r0 > last) return;
  LodRect samples{static_cast<int>(std::max(c0, 0.0f)), static_cast<int>(std::max(r0, 0.0f)),
                  static_cast<int>(std::min(c1, last)), static_cast<int>(std::min(r1, last))};
  add_region(lod.pending, samples, joining_gap(lod));
  add_region(lod.redraw, samples, kRedrawJoiningGap);
}

void terrain_mark_dirty(TerrainLod& lod) {
  if (!usable(lod)) return;
  const LodRect all{0, 0, lod.terrain->side - 1, lod.terrain->side - 1};
  lod.pending = LodRegions{};
  lod.redraw = LodRegions{};
  add_region(lod.pending, all, 0);
  add_region(lod.redraw, all, 0);
}

int64_t terrain_lod_update(TerrainLod& lod, int64_t budget) {
  int64_t used = 0;
  if (!usable(lod)) return used;
  while (used < budget) {
    if (!lod.pass.active) {
      if (lod.pending.empty()) break;
      start_pass(lod);
    }
    LodPass& p = lod.pass;
    if (rect_contains(p.measure[p.level], p.x, p.z)) {
      if (!measure_node(lod, used, budget)) break;
    } else {
      used += kTriangleCost;
    }
    store_node(lod, p.level, p.x, p.z);
    advance(lod);
  }
  return used;
}

bool terrain_lod_busy(const TerrainLod& lod) {
  return lod.pass.active || !lod.pending.empty();
}

LodRegions terrain_lod_take_redraw(TerrainLod& lod) {
  LodRegions taken = lod.redraw;
  lod.redraw = LodRegions{};
  return taken;
}

float terrain_lod_radius2(const TerrainLod& lod, int level, int x, int z) {
  if (level >= lod.levels) return 0.0f;
  if (level < lod.first_computed) return std::numeric_limits<float>::infinity();
  return lod.stored[lod.front][node_index(level, x, z)];
}

void terrain_lod_mark(TerrainLod& lod, float eye_x, float eye_z) {
  if (!usable(lod)) return;
  std::fill(lod.subdivided.begin(), lod.subdivided.end(), 0);
  force_camera_blocks(lod, eye_x, eye_z);
  mark_walk(lod, 0, 0, 0, eye_x, eye_z);
}

bool terrain_lod_is_subdivided(const TerrainLod& lod, int level, int x, int z) {
  if (level >= lod.levels) return false;
  return lod.subdivided[node_index(level, x, z)] != 0;
}

void terrain_lod_fans(const TerrainLod& lod, float eye_x, float eye_z, TerrainFans& out) {
  out.samples.clear();
  out.fans.clear();
  out.triangles = 0;
  if (!usable(lod)) return;
  fan_walk(lod, 0, 0, 0, eye_x, eye_z, out);
}

}  // namespace br
