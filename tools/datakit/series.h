// The default data set's points series.
#pragma once

#include <string>

namespace kit {

// "novice.series" (three one-moto rounds at the Foundry) and "expert.series" (two rounds of
// two motos, one on each track), riders from the robot roster.
bool write_points_series(const std::string& root);

}  // namespace kit
