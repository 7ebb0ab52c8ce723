// Riders in a robot's way: every rider takes up a strip of track 4 ft wide from 4 ft behind
// its frame to 4 ft plus a second of travel ahead of it, along where it is going; a robot
// whose strip overlaps that of a rider ahead of it holds back to that rider's pace.
#pragma once

#include "world/world.h"

namespace br {

struct Footprint {
  double cx = 0, cz = 0;    // centre
  double ux = 0, uz = -1;   // unit direction of travel
  double half_length = 0;   // feet along it
  double half_width = 2;    // feet across it
};

// The strip of a rider at (x, z) moving at (vx, vz) ft/s, facing `heading` when still.
Footprint footprint(double x, double z, double vx, double vz, double heading);

// Whether two strips overlap (separating axes).
bool footprints_overlap(const Footprint& a, const Footprint& b);

// The speed the robot in `slot` may ride at, at most `wanted`, given the riders ahead of it.
double traffic_speed(const World& w, int slot, double wanted);

}  // namespace br
