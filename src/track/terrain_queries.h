// What the rest of the game asks of the ground. These run for every wheel, particle and
// robot many times a step, so they do constant work and never allocate.
#pragma once

#include "track/terrain.h"

namespace br {

struct GroundPoint {
  float x = 0, y = 0, z = 0;
};

struct GroundTriangle {
  GroundPoint corner[3];  // (column * spacing, height, row * spacing)
};

struct CellTriangles {
  GroundTriangle triangle[2];
};

struct SphereContact {
  bool found = false;
  GroundPoint point;   // the surface point nearest the sphere's centre
  GroundPoint normal;  // unit, the touched triangle's upward face normal
  float depth = 0.0f;  // feet the sphere reaches below the surface
};

// Surface height at (x, z); beyond the grid the edge samples extend flat outward.
float terrain_height(const Terrain& t, float x, float z);
// The normal of the triangle terrain_height uses: an edge cross product (twice the
// triangle's area long), turned to point up.
GroundPoint terrain_normal(const Terrain& t, float x, float z);
// The two triangles of cell (column, row), with clamped sample indices.
CellTriangles cell_triangles(const Terrain& t, int column, int row);
// The deepest penetration of a sphere into the surface among the cells it overlaps.
SphereContact sphere_contact(const Terrain& t, GroundPoint centre, float radius);

// The tile index under (x, z); the edge cells extend outward.
int tile_at(const Terrain& t, float x, float z);
// A tile's curves at a speed; an index beyond the table reads the last tile.
float tile_friction(const Terrain& t, int tile, float speed);
struct RollResist {
  float low = 0;   // no wheel penetration
  float high = 0;  // full penetration
};
RollResist tile_roll_resist(const Terrain& t, int tile, float speed);

// The same curves of one tile record.
float friction_at(const TileType& tile, float speed);
RollResist roll_resist_at(const TileType& tile, float speed);

}  // namespace br
