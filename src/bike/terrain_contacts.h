// Where a bike meets the ground: each tyre as a torus pressed into the terrain's triangles,
// each body's collision spheres against the height field, and the rider thrown when he lands
// on his head. Contacts go into the world's contact group for the coming world step.
#pragma once

#include <array>

#include "bike/bike.h"
#include "track/terrain.h"

namespace br {

using Vec3d = std::array<double, 3>;

// The deepest reach of a torus (centre, unit axle, ring radius R, tube radius r, feet) below
// the terrain's triangles under it. `depth` 0 when the tyre is clear of the ground.
struct TorusContact {
  Vec3d point{}, normal{0, 1, 0};
  double depth = 0;
};
TorusContact torus_contact(const Terrain& t, const Vec3d& centre, const Vec3d& axle,
                           double ring_radius, double tube_radius);

// What the tiles' friction is multiplied by: 1, or with arcade physics a grip that falls
// linearly to 0.625 at 45 degrees of lean (`lean` radians, either side) and stays there.
double grip_factor(bool arcade, double lean);

// The frame's roll angle (radians, 0 upright), as the arcade grip reads it.
double frame_lean(const Bike& bike);

// The force (lb) that rolling resistance puts on a wheel moving at `velocity` (ft/s) over
// ground with unit normal `normal`, at penetration fraction `fraction` in [0, 1]: opposed to
// the motion along the ground, growing with speed up to 1 ft/s and constant above.
Vec3d rolling_resistance(const TileType& tile, const Vec3d& velocity, const Vec3d& normal,
                         double fraction);

// This step's tyre contact of one wheel; fills the wheel record.
void tyre_contact(World& w, Bike& bike, int wheel);
// This step's contacts of the frame, forks, swingarm and rider shapes; true when the rider
// shape touched the ground.
bool body_shape_contacts(World& w, Bike& bike);
// Whether either tyre or any body shape reaches into the ground: what placing a bike on the
// grid raises it clear of.
bool bike_touches_ground(const Terrain& t, const Bike& bike);

// Both tyres and the body shapes; throws the rider who lands upside down and fast.
void terrain_contacts(World& w, Bike& bike);

}  // namespace br
