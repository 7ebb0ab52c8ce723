// The tyre's side of a ground contact: how stiff the tyre is at a given penetration, and the
// contact normal it will accept from the ground.
#pragma once

#include <array>

namespace br {

// Spring k (lb/ft) and damper c (lb per ft/s) of a tyre pressed `depth` ft into the ground:
// soft at first touch, stiffening with the cube of the penetration up to the tube's radius.
struct TyreSpring {
  double k = 0;
  double c = 0;
};
TyreSpring tyre_spring(double depth, double tube_radius);

// The ground may only push a tyre up or sideways: a normal pointing down loses its downward
// part, or becomes straight up when it has next to no horizontal part. Unit length.
std::array<double, 3> upward_normal(std::array<double, 3> n);

}  // namespace br
