// Ruts: the wheels push dirt, which is taken from where a wheel pressed and heaped a short
// way off in the direction of the push, changing the height field while the race goes on.
// These are the ground's side of it; ruts.h feeds them from the bikes.
#pragma once

#include "render/terrain_lod.h"
#include "track/terrain.h"
#include "track/wheel_marks.h"

namespace br {

// The marks a rider's ring gives up in one step, oldest first, bounding the height-field work.
constexpr int kMarksPerStep = 4;
// Marks nearer the bike's frame than this (feet, horizontally) wait: a wheel must not sit in
// the hole it is digging.
constexpr float kMarkClearance = 10.0f;

// Raises (amount > 0) or lowers (amount < 0) the heights within `radius` feet of (x, z) by
// amount times a smooth weight, 1 at the centre and 0 at the radius, flat at both ends.
// Widens the terrain's height range, sets its modified flag, counts the change and tells the
// detail tree which samples changed. Nothing happens while the terrain is locked.
void deform_terrain(Terrain& t, TerrainLod& lod, float x, float z, float radius, float amount);

// One wheel's grip on the ground in the latest step, as the marks read it.
struct WheelTouch {
  float x = 0, z = 0;    // contact point, feet
  float depth = 0;       // feet into the ground; 0 while in the air
  float speed = 0;       // ft/s, the wheel's own travel (not its spin)
  float fx = 0, fz = 0;  // lb, the horizontal force the ground put on the wheel
};

// Keeps a mark of the touch, its force weighted by how fast the wheel travels over the
// tile, when that push is strong enough to move the tile's dirt. False when nothing was kept
// (in the air, too weak, or the ring full).
bool record_wheel_mark(const Terrain& t, const WheelTouch& touch, MarkRing& ring);

// Moves the dirt of one mark at erosion rate `erosion` (0..100): a hole at the mark and a
// heap where the push sent it, unless that is up a slope steeper than the tile allows. True
// when dirt moved.
bool move_dirt(Terrain& t, TerrainLod& lod, const WheelMark& mark, float erosion);

// Works off up to kMarksPerStep of the oldest marks, stopping at the first one still within
// kMarkClearance of the frame at (frame_x, frame_z). Returns the marks worked off.
int work_off_marks(Terrain& t, TerrainLod& lod, MarkRing& ring, float frame_x, float frame_z,
                   float erosion);

// How the ground differs from the heights it was loaded with: samples changed, the deepest
// cut and the highest heap (feet, both 0 or more).
struct TerrainChange {
  int samples = 0;
  float deepest_cut = 0;
  float highest_heap = 0;
  int cut_tenth = 0;  // samples cut 0.1 ft or more: deep enough to see
};
TerrainChange terrain_change(const Terrain& t);
// The same within `reach` feet (along both axes) of (x, z).
TerrainChange terrain_change_near(const Terrain& t, float x, float z, float reach);

}  // namespace br
