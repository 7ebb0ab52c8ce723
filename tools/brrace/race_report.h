// What brrace prints: a line per lap, the standings with their penalty notes, what the wheels
// did to the ground and how fast the race ran.
#pragma once

#include <cstdint>
#include <string>

#include "race/series_format.h"
#include "track/terrain.h"
#include "world/world.h"

namespace brrace {

// "lap 2 rider 999 time 61.23"
std::string lap_line(const br::World& w, int slot, int lap);

// The standings as they stand, a header and one row per rider, then the penalty notes.
std::string standings_table(const br::World& w);

constexpr int32_t kPositionEvery = 128;  // steps: once a second

// "position 2560 slot 0 512.125 20.500 300.250": where each rider's frame is after the step
// that brought the frame counter to 2560, one line per rider.
std::string position_lines(const br::World& w);

// The series standings as the standings screen shows them: its title, then a table headed
// "No.", "Total" and one column per round.
std::string series_table(const br::Series& series, const std::string& player_number);

// "ground 1234 height samples changed, deepest cut 0.42 ft": what the wheels dug.
// How many times the riders fell, in all and by rider number (riders who never fell left out).
std::string falls_line(const br::World& w);

std::string ground_line(const br::Terrain& t);

// "time 250.00 s simulated, 12.34 s wall, 20.3 x real time"
std::string timing_line(double simulated_seconds, double wall_seconds);

}  // namespace brrace
