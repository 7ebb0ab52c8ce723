// The penalty for cutting the track, settled at the final results: a rider who missed gates
// and still reached the next one sooner than riders usually do (plus a second's grace) pays
// the difference, in laps when he has a lap faster than what he owes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "race/laps.h"
#include "world/world.h"

namespace br {

constexpr int32_t kCuttingGraceSteps = 128;       // one second
constexpr int32_t kNoSampleExpectedSteps = 7680;  // 60 s, when no rider shows the usual time

// The usual time from sequence position a to b (a < b; a < 0 counts as the start, time 0):
// every rider's own time over that stretch, averaged over every lap it rode it, averaged over
// the riders who rode it without missing a gate.
int32_t expected_steps(LapShape shape, const std::vector<const RiderTiming*>& riders, int a, int b);

struct CuttingPenalty {
  int32_t steps = 0;  // time added to the rider's last gate
  int laps_lost = 0;
};

// What `rider`, one of `riders`, owes for the gates it missed.
CuttingPenalty cutting_penalty(LapShape shape, const std::vector<const RiderTiming*>& riders,
                               const RiderTiming& rider, int32_t start_step);

// The results' note for a penalised rider, e.g. " 12 penalized 1 lap 3.50 seconds for cutting
// track"; "" for a rider who owes nothing.
std::string penalty_report(const RiderOrderEntry& entry, const std::string& number,
                           double step_seconds);

}  // namespace br
