// What the rider does at walking pace: putting a foot down when the bike slows or leans,
// holding it still when stopped, and paddling it backwards.
#pragma once

#include <array>

#include "bike/bike.h"

namespace br {

// The force (lb, x and z) that pulls a body moving at `velocity` toward `target` (ft/s), at
// most `max_force`: none within 1/4 ft/s, full from 1.5 ft/s off.
std::array<double, 2> servo_force(const std::array<double, 3>& velocity,
                                  const std::array<double, 3>& target, double max_force);

// Whether the automatic dab puts the foot down at frame speed `speed` (ft/s), roll `roll`
// (rad), with `limit` the highest dab speed.
bool foot_goes_down(double speed, double roll, double limit, float throttle, float clutch);

// Dabbing, backing up and holding the bike still. May raise the dab and the brake controls
// for this step; the step restores the rider's own values when it ends.
void slow_speed_actions(World& w, Bike& bike);

}  // namespace br
