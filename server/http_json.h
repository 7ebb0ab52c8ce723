// What the live timing API answers, as JSON text: the live standings with the race clock, and
// the results of past races. Riders' text goes out as the JSON strings it is (bytes that are
// not UTF-8 become U+FFFD); the page shows it as text, never as markup.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "results_history.h"
#include "standings_board.h"

namespace brserver {

// `clock` is the race clock in steps now; a final race shows the clock of its results.
std::string live_json(const StandingsView& view, int32_t clock);

std::string history_json(const std::vector<PastRace>& races);

}  // namespace brserver
