// The stability presets: one "Stability" value from 0 to 100 picks the fifteen steering
// assist settings by interpolating between six levels of a table.
#pragma once

#include "world/settings.h"

namespace br {

// Fills the fifteen assist settings of `setup` (leveling through restricted_lock) for the
// given stability and returns the lower table level used (0..4).
int apply_stability(BikeSetup& setup, double stability);

}  // namespace br
