// The time trial's lap cycle: every lap is recorded to "lastlap.brdemo" in the track's home
// folder, the fastest one is kept as "fastlap.brdemo", and that one is raced as a ghost
// during the next lap. The player rides slot 0, the ghost is slot 1.
#pragma once

#include <cstdint>

#include "race/laps.h"
#include "world/world.h"

namespace br {

// Laps completed by the player and the ghost, taken before a step's gates are timed.
struct TimeTrialLaps {
  int local = 0;
  int ghost = 0;
};

TimeTrialLaps time_trial_laps(const World& w);

// A lap in the time trial runs from the lap start the rider was aligned to (position F - 1)
// to the next lap line (position F - 1 + N). 0 when a crossing in between is missing.
int32_t time_trial_lap_steps(LapShape shape, const RiderTiming& rider);

// Puts the rider at the start of a lap begun at `start_step`: the lap line just crossed.
void align_to_lap_start(LapShape shape, RiderTiming& rider, int32_t start_step);

// After each world step of a time trial, with the laps counted before its gates were timed:
// times the ghost's lap, and when the player completes one, closes the lap's demo, keeps the
// faster of it and the ghost's, and sets up the next lap against the fastest.
void time_trial_step(World& w, const TimeTrialLaps& before);

}  // namespace br
