// What brrace prints: a line per lap, the standings with their penalty notes, and how fast
// the race ran.
#pragma once

#include <string>

#include "world/world.h"

namespace brrace {

// "lap 2 rider 999 time 61.23"
std::string lap_line(const br::World& w, int slot, int lap);

// The standings as they stand, a header and one row per rider, then the penalty notes.
std::string standings_table(const br::World& w);

// "time 250.00 s simulated, 12.34 s wall, 20.3 x real time"
std::string timing_line(double simulated_seconds, double wall_seconds);

}  // namespace brrace
