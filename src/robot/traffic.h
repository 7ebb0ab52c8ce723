// Riders in a robot's way: every rider takes up a strip of track 4 ft wide from 4 ft behind
// its frame to 4 ft plus a second of travel ahead of it, along where it is going. A robot
// whose strip overlaps that of a moving rider ahead of it holds back to that rider's pace; a
// rider ahead that has stopped, fallen or crawls is an obstacle: the robot steers round it
// and stops short of it while it cannot get round. Driving on into a stopped bike wedged the
// two together, and the bikes behind joined them.
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

// Whether a rider at `b` moving along (bux, buz) is the one ahead of a rider at `a` moving
// along (aux, auz): seen along the mean of the two directions. Two riders converging can
// each have the other in front of it; this way exactly one of them gives way.
bool is_ahead(double ax, double az, double aux, double auz, double bx, double bz, double bux,
              double buz);

// What the riders ahead ask of the robot in `slot`.
struct TrafficCall {
  double speed = 0;      // ft/s, at most the speed it wanted
  bool obstacle = false;  // a stopped or slow rider lies in its path
  // When `obstacle`: feet to move sideways, positive to its left, to clear the nearest one.
  double shift = 0;
};

TrafficCall traffic(const World& w, int slot, double wanted);

}  // namespace br
