// The standings: every rider with a bike ranked by gates passed, then by who passed his last
// gate first. Races run to a time limit learn their length from them, and once every rider
// is done they become the final results, penalties settled.
#pragma once

#include <cstdint>
#include <vector>

#include "race/laps.h"
#include "world/world.h"

namespace br {

// A rider whose recorded states ended this long ago no longer holds back the results.
constexpr int32_t kEndedRecordingSteps = 1280;  // 10 s
// Nor, in a server's race, a rider not heard from for this long.
constexpr int32_t kSilentRiderSteps = 128;  // 1 s

// Rebuilds the standings (w.order); then, unless the results are final, learns a timed
// race's halfway and total laps, and settles the final results once nobody holds them back.
void update_standings(World& w);

// The final results as the standings stand, penalties settled, whoever still rides: the end
// of every race, and a game server ending one early.
void settle_final_results(World& w);

// The standings as they stand, sorted; no penalties.
void rebuild_standings(World& w);

// A timed race's total laps once its time is up: the race goes on `extra_laps` laps beyond
// the first lap the leader ended after `limit_step`. `leader_laps` are the leader's laps
// completed; `total_laps` the value so far (kUnlimitedLaps while unknown).
int timed_race_total_laps(LapShape shape, const std::vector<const RiderTiming*>& riders,
                          int leader_laps, int32_t limit_step, int extra_laps, int total_laps);

// True when the unfinished rider in `slot` keeps the results from becoming final.
bool holds_back_results(const World& w, int slot);

// The timings of the riders in the standings, in their order.
std::vector<const RiderTiming*> standings_timings(const World& w);

}  // namespace br
