// The rider's hold on the bike: the rider body hangs on its mount and is kept in place by a
// fore-aft spring, a vertical spring (both soft contacts between rider body and frame, made
// anew each step) and the damping of the mount itself.
#pragma once

#include <array>

#include "bike/bike.h"

namespace br {

// Where the rider body is relative to its place on the frame, in feet: along the frame's
// forward axis and along its up axis.
struct RiderOffset {
  double forward = 0;
  double up = 0;
};
RiderOffset rider_offset(const Bike& bike);

// One spring as the step will make it: the contact's depth (ft), the direction it pushes the
// rider body in the frame's terms (+1 forward or up, -1 back or down), and k and c already
// scaled for the rider's weight. No contact when `active` is false.
struct RiderSpring {
  bool active = false;
  double depth = 0;
  int direction = 0;
  double k = 0, c = 0;
};

// `dab_weight` in [0, 1] shifts the rider's weight onto the pegs; `lean` in [-1, 1] (negative
// forward) moves the target along the bike.
RiderSpring fore_aft_spring(const Bike& bike, double forward, double dab_weight, double lean);
RiderSpring vertical_spring(const Bike& bike, double up, double dab_weight);

// Makes this step's two spring contacts in the world's contact group and sets the mount's
// damping.
void drive_rider_springs(World& w, Bike& bike, double dab_weight, double lean);

}  // namespace br
