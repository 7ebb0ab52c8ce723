// "results.txt": the finishing order of the last race with its lap counts, times and every
// finished rider's gate times, written when the results become final.
#pragma once

#include <cstdint>
#include <string>

#include "world/world.h"

namespace br {

// The file's text for the final standings of `w`, dated `date` (seconds since 1970).
std::string results_text(const World& w, int64_t date);

// Replaces "@results.txt" in one piece, so that a kill while writing leaves the previous file
// whole. Nothing is written, and nothing said, when it cannot be.
void write_results(const World& w);

}  // namespace br
