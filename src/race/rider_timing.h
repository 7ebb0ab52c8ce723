// Each rider's place in the lap sequence and the running order built from it.
#pragma once

#include "world/world.h"

namespace br {

// Puts the rider at sequence position `gates_passed`: later crossings are forgotten, the
// crashed mark goes, and a rider moved back is no longer finished.
void reset_rider_gates(RiderTiming& timing, int gates_passed);

// The running order of every slot with a bike: more gates passed first, then the earlier last
// crossing, then the lower slot.
void rebuild_rider_order(World& w);

// The reference at sequence position s of the track's lap lists (first lap, then the normal
// lap repeating), without its not-learned flag; -1 when the track has no timing.
int sequence_gate(const TrackTiming& timing, int s);

// Laps completed after `gates_passed` sequence positions: none before the first lap's last
// gate, then one more every normal lap.
int laps_completed(const TrackTiming& timing, int gates_passed);

}  // namespace br
