// Lap arithmetic over the lap sequence: the first-lap list (F references) once, then the
// normal-lap list (N references) over and over. A rider's progress is the number P of
// sequence positions dealt with; times are world steps.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace br {

// F and N of the loaded track; both 0 when the track has no timing.
struct LapShape {
  int first = 0;
  int normal = 0;
  bool timed() const { return first > 0 && normal > 0; }
};

LapShape lap_shape(const TrackTiming& timing);

// The timing gate at sequence position s, without the not-learned flag; -1 when the track
// has no timing or s is negative.
int sequence_gate(const TrackTiming& timing, int s);

// Laps completed after P positions: none before the first lap's last gate, then one more
// every normal lap.
int laps_completed(LapShape shape, int gates_passed);

// The sequence position whose gate ends lap k (k >= 1).
int64_t lap_end_position(LapShape shape, int64_t lap);

// True when passing position c completes a lap.
bool ends_lap(LapShape shape, int c);

// Gates into the current lap: P during the first lap, then 1..N.
int gates_into_lap(LapShape shape, int gates_passed);

// Lap k in steps: the first lap runs from the start, every other from the end of the lap
// before. 0 when a time is missing or skipped, or the lap is not done.
int32_t lap_time_steps(LapShape shape, const RiderTiming& rider, int32_t start_step, int lap);

struct BestLap {
  int lap = 0;  // 0 = none
  int32_t steps = 0;
};

// The fastest of laps 2 onward (the first lap includes the start), the earlier on ties; the
// latest lap with no time when none has one; none before two laps are done.
BestLap best_lap(LapShape shape, const RiderTiming& rider, int32_t start_step);

}  // namespace br
