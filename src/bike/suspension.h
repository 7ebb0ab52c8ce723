// The fork and the shock: spring, air spring and damping turned into the forces that the
// slider and the swingarm pivot motors apply each step.
#pragma once

#include "bike/bike.h"

namespace br {

// The fork's push (lb, positive opening) at slider position x (ft: 0 at full extension,
// negative in compression) moving at v (ft/s). It fades in over the first 1/32 of travel, so
// a fully extended fork pushes nothing.
double fork_force(const BikeEntry& e, const SetupBlock& s, double x, double v);

// The shock's torque on the swingarm (lb-ft, positive opening) at pivot angle `angle` (rad:
// 0 at full extension, negative in compression) turning at `rate` (rad/s).
double shock_torque(const BikeEntry& e, const SetupBlock& s, double angle, double rate);

// Sets the slider and pivot motors from the joints' current positions and rates.
void drive_suspension(Bike& bike);

}  // namespace br
