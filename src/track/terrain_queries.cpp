#include "track/terrain_queries.h"

#include <algorithm>
#include <cmath>

namespace br {
namespace {

// Grid coordinates are limited to a little beyond the grid before flooring: everything past
// the edge is flat anyway, and a wild or NaN position must not overflow the integer cast.
inline float grid_coordinate(float v, int side) {
  if (!(v >= -1.0f)) return -1.0f;
  if (v > static_cast<float>(side)) return static_cast<float>(side);
  return v;
}

// A ground not loaded (or freed) has no samples: it reads as flat at 0 rather than past the
// end of an empty grid.
inline float sample(const Terrain& t, int c, int r) {
  if (t.heights.empty()) return 0.0f;
  c = std::clamp(c, 0, t.side - 1);
  r = std::clamp(r, 0, t.side - 1);
  return t.heights[static_cast<size_t>(c) + static_cast<size_t>(t.side) * r];
}

inline GroundPoint sub(GroundPoint a, GroundPoint b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline GroundPoint add(GroundPoint a, GroundPoint b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline GroundPoint scale(GroundPoint a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline float dot(GroundPoint a, GroundPoint b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline GroundPoint cross(GroundPoint a, GroundPoint b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline GroundPoint upward_normal(const GroundTriangle& tri) {
  GroundPoint n = cross(sub(tri.corner[1], tri.corner[0]), sub(tri.corner[2], tri.corner[0]));
  return n.y < 0.0f ? scale(n, -1.0f) : n;
}

// The point of the triangle nearest p, by the Voronoi regions of its corners and edges.
GroundPoint closest_on_triangle(GroundPoint p, const GroundTriangle& tri) {
  const GroundPoint a = tri.corner[0], b = tri.corner[1], c = tri.corner[2];
  GroundPoint ab = sub(b, a), ac = sub(c, a), ap = sub(p, a);
  float d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0.0f && d2 <= 0.0f) return a;
  GroundPoint bp = sub(p, b);
  float d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0.0f && d4 <= d3) return b;
  float vc = d1 * d4 - d3 * d2;
  if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f) return add(a, scale(ab, d1 / (d1 - d3)));
  GroundPoint cp = sub(p, c);
  float d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0.0f && d5 <= d6) return c;
  float vb = d5 * d2 - d1 * d6;
  if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f) return add(a, scale(ac, d2 / (d2 - d6)));
  float va = d3 * d6 - d5 * d4;
  if (va <= 0.0f && (d4 - d3) >= 0.0f && (d5 - d6) >= 0.0f) {
    return add(b, scale(sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6))));
  }
  float denom = 1.0f / (va + vb + vc);
  return add(a, add(scale(ab, vb * denom), scale(ac, vc * denom)));
}

// A sphere against one triangle. Where the centre lies over the triangle the depth is
// measured along the face normal, so a sphere already sunk below the surface still reports
// how deep it is; beside the triangle only a centre above its plane counts, the neighbouring
// triangle answering for the rest.
void sphere_against_triangle(const GroundTriangle& tri, GroundPoint centre, float radius,
                             SphereContact& best) {
  // A sphere wholly above the triangle's highest corner cannot touch it.
  float top = std::max(tri.corner[0].y, std::max(tri.corner[1].y, tri.corner[2].y));
  if (centre.y - radius >= top) return;
  GroundPoint n = upward_normal(tri);
  float length_squared = dot(n, n);
  if (length_squared <= 0.0f) return;
  // Worked relative to the first corner, where the numbers are small and precise.
  const GroundPoint origin = tri.corner[0];
  GroundPoint c = sub(centre, origin);
  // Far enough above the plane, measured without the square root.
  float above_scaled = dot(c, n);
  if (above_scaled > 0.0f && above_scaled * above_scaled >= radius * radius * length_squared) {
    return;
  }
  float length = std::sqrt(length_squared);
  n = scale(n, 1.0f / length);
  float above = above_scaled / length;
  if (above >= radius) return;
  GroundTriangle local{{{0, 0, 0}, sub(tri.corner[1], origin), sub(tri.corner[2], origin)}};
  GroundPoint on_plane = sub(c, scale(n, above));
  GroundPoint nearest = closest_on_triangle(on_plane, local);
  GroundPoint off = sub(on_plane, nearest);
  float depth;
  if (dot(off, off) <= 1e-10f * dot(local.corner[1], local.corner[1])) {
    depth = radius - above;
  } else {
    if (above <= 0.0f) return;
    GroundPoint to_centre = sub(c, nearest);
    depth = radius - std::sqrt(dot(to_centre, to_centre));
  }
  if (depth > 0.0f && depth > best.depth) {
    best.found = true;
    best.depth = depth;
    best.point = add(nearest, origin);
    best.normal = n;
  }
}

// The corner samples of the triangle under (fx, fz) in cell (c0, r0), as a triangle with
// local positions in cell units: x and z in 0..1.
struct LocalTriangle {
  int c[3], r[3];
};

inline LocalTriangle triangle_in_cell(int c0, int r0, float fx, float fz) {
  if (((c0 + r0) & 1) == 0) {
    if (fz <= fx) return {{c0, c0 + 1, c0 + 1}, {r0, r0, r0 + 1}};
    return {{c0, c0, c0 + 1}, {r0, r0 + 1, r0 + 1}};
  }
  if (fx + fz <= 1.0f) return {{c0, c0 + 1, c0}, {r0, r0, r0 + 1}};
  return {{c0 + 1, c0, c0 + 1}, {r0, r0 + 1, r0 + 1}};
}

GroundTriangle world_triangle(const Terrain& t, const LocalTriangle& l) {
  GroundTriangle tri;
  for (int k = 0; k < 3; ++k) {
    tri.corner[k] = {l.c[k] * t.spacing, sample(t, l.c[k], l.r[k]), l.r[k] * t.spacing};
  }
  return tri;
}

}  // namespace

float terrain_height(const Terrain& t, float x, float z) {
  float u = grid_coordinate(x / t.spacing, t.side);
  float v = grid_coordinate(z / t.spacing, t.side);
  int c0 = static_cast<int>(std::floor(u));
  int r0 = static_cast<int>(std::floor(v));
  float fx = u - c0, fz = v - r0;
  float h00 = sample(t, c0, r0);
  float h11 = sample(t, c0 + 1, r0 + 1);
  if (((c0 + r0) & 1) == 0) {
    if (fz <= fx) {
      float h10 = sample(t, c0 + 1, r0);
      return h00 + fx * (h10 - h00) + fz * (h11 - h10);
    }
    float h01 = sample(t, c0, r0 + 1);
    return h00 + fz * (h01 - h00) + fx * (h11 - h01);
  }
  float h10 = sample(t, c0 + 1, r0);
  float h01 = sample(t, c0, r0 + 1);
  if (fx + fz <= 1.0f) return h00 + fx * (h10 - h00) + fz * (h01 - h00);
  return h11 + (1.0f - fx) * (h01 - h11) + (1.0f - fz) * (h10 - h11);
}

GroundPoint terrain_normal(const Terrain& t, float x, float z) {
  float u = grid_coordinate(x / t.spacing, t.side);
  float v = grid_coordinate(z / t.spacing, t.side);
  int c0 = static_cast<int>(std::floor(u));
  int r0 = static_cast<int>(std::floor(v));
  return upward_normal(world_triangle(t, triangle_in_cell(c0, r0, u - c0, v - r0)));
}

CellTriangles cell_triangles(const Terrain& t, int c, int r) {
  CellTriangles out;
  if (((c + r) & 1) == 0) {
    out.triangle[0] = world_triangle(t, {{c, c + 1, c + 1}, {r, r, r + 1}});
    out.triangle[1] = world_triangle(t, {{c, c, c + 1}, {r, r + 1, r + 1}});
  } else {
    out.triangle[0] = world_triangle(t, {{c, c + 1, c}, {r, r, r + 1}});
    out.triangle[1] = world_triangle(t, {{c + 1, c, c + 1}, {r, r + 1, r + 1}});
  }
  return out;
}

SphereContact sphere_contact(const Terrain& t, GroundPoint centre, float radius) {
  SphereContact best;
  if (!std::isfinite(centre.x) || !std::isfinite(centre.z) || !std::isfinite(centre.y) ||
      !(radius > 0.0f) || t.heights.empty()) {
    return best;
  }
  // Far beyond the grid the ground is flat; keeping the cell numbers near it keeps them
  // within int range without changing any answer.
  float limit = (t.side + 2) * t.spacing + radius;
  float cx = std::clamp(centre.x, -limit, limit), cz = std::clamp(centre.z, -limit, limit);
  GroundPoint c{cx, centre.y, cz};
  int row_first = static_cast<int>(std::floor((cz - radius) / t.spacing));
  int row_last = static_cast<int>(std::ceil((cz + radius) / t.spacing)) - 1;
  int col_first = static_cast<int>(std::floor((cx - radius) / t.spacing));
  int col_last = static_cast<int>(std::ceil((cx + radius) / t.spacing)) - 1;
  for (int r = row_first; r <= row_last; ++r) {
    for (int col = col_first; col <= col_last; ++col) {
      CellTriangles cell = cell_triangles(t, col, r);
      sphere_against_triangle(cell.triangle[0], c, radius, best);
      sphere_against_triangle(cell.triangle[1], c, radius, best);
    }
  }
  if (best.found) {
    // Report where the real centre is touched, not the clamped one.
    best.point.x += centre.x - cx;
    best.point.z += centre.z - cz;
  }
  return best;
}

int tile_at(const Terrain& t, float x, float z) {
  if (t.tilemap.empty()) return 0;
  float top = static_cast<float>(t.tile_side - 1);
  float i = x / t.tile_size, j = z / t.tile_size;
  i = i > 0.0f ? std::min(i, top) : 0.0f;  // NaN reads cell 0 too
  j = j > 0.0f ? std::min(j, top) : 0.0f;
  return t
      .tilemap[static_cast<size_t>(i) + static_cast<size_t>(t.tile_side) * static_cast<size_t>(j)];
}

float friction_at(const TileType& tile, float s) {
  const auto& p = tile.friction;
  float s2 = s * s;
  int k = 0;
  while (k < kTileCurvePoints && p[k].speed != 0.0f && !(s2 < p[k].speed * p[k].speed)) ++k;
  if (k == 0) return p[0].value;
  if (k < kTileCurvePoints && p[k].speed != 0.0f) {
    float lo = p[k - 1].speed * p[k - 1].speed, hi = p[k].speed * p[k].speed;
    float f = std::clamp((s2 - lo) / (hi - lo), 0.0f, 1.0f);
    return p[k - 1].value + f * (p[k].value - p[k - 1].value);
  }
  return p[k - 1].value;
}

RollResist roll_resist_at(const TileType& tile, float s) {
  const auto& p = tile.roll_resist;
  int k = 0;
  while (k < kTileCurvePoints && p[k].speed != 0.0f && !(s < p[k].speed)) ++k;
  if (k == 0) return {p[0].low, p[0].high};
  if (k < kTileCurvePoints && p[k].speed != 0.0f) {
    float f = std::clamp((s - p[k - 1].speed) / (p[k].speed - p[k - 1].speed), 0.0f, 1.0f);
    return {p[k - 1].low + f * (p[k].low - p[k - 1].low),
            p[k - 1].high + f * (p[k].high - p[k - 1].high)};
  }
  return {p[k - 1].low, p[k - 1].high};
}

namespace {
inline const TileType& tile_record(const Terrain& t, int tile) {
  static const TileType kPlain = default_tile();
  if (t.tiles.empty()) return kPlain;
  size_t last = t.tiles.size() - 1;
  size_t i = tile < 0 ? 0 : std::min(static_cast<size_t>(tile), last);
  return t.tiles[i];
}
}  // namespace

float tile_friction(const Terrain& t, int tile, float speed) {
  return friction_at(tile_record(t, tile), speed);
}

RollResist tile_roll_resist(const Terrain& t, int tile, float speed) {
  return roll_resist_at(tile_record(t, tile), speed);
}

}  // namespace br
