// The player's bike setup put onto a bike: gearing, suspension, rider springs, brakes and
// riding aids, each clamped to its range. The mechanic works only on a bike that stands still.
#pragma once

#include "bike/bike.h"
#include "world/settings.h"

namespace br {

// A value held to [lo, hi]; one beyond the range by more than an eighth of its width sets
// `far_out`, which the bike's setup then carries.
float clamp_setting(double v, double lo, double hi, bool& far_out);

// Writes `setup` into the bike's setup block and re-sets the frame and rider masses from the
// rider mass distribution. Refused (false) while the frame moves faster than 0.125 ft/s; a
// refusal within 10 s (`now`, seconds) of the previous one is logged.
bool apply_bike_setup(Bike& bike, const BikeSetup& setup, double now);

}  // namespace br
