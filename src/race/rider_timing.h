// Each rider's way through the lap sequence: the gate test run every step, the finishing
// rule, and moving a rider to another place in the sequence.
#pragma once

#include <cstdint>
#include <optional>

#include "race/laps.h"
#include "world/world.h"

namespace br {

// Within the gate's radius and on the far side of the line through its centre across its
// direction of travel; heights do not count.
bool inside_gate(const TimingGate& gate, double x, double z);

// Which of the positions near the rider's next one it is passing at (x, z), as an offset
// from P: 0 the next gate, +1 or +2 after missing one or two, -3 or -2 back to a gate that
// was missed. None when it passes nothing; a lap's last gate can never be missed.
std::optional<int> passed_gate_offset(const TrackTiming& timing, const RiderTiming& rider, double x,
                                      double z);

// Records passing position P + offset at `step`; positions jumped over stay -1. The times
// kept after that position, left from before the rider went back, are forgotten.
void record_gate(RiderTiming& rider, int offset, int32_t step);

// The gate test of one rider for the current step, with the finishing rule and the standings
// update after every gate passed.
void timing_step(World& w, int slot);

// A gate time from elsewhere: a rider timed by his own game, whose record of sequence
// position `index` at `step` reaches us over the network. Later times are forgotten (the
// rider was set back), then the finishing rule and the standings update follow as for a gate
// passed here.
void take_gate_record(World& w, int slot, int index, int32_t step);

// Puts the rider at sequence position `gates_passed`: later crossings are forgotten, the
// crashed mark goes, and a rider moved back is no longer finished.
void reset_rider_gates(RiderTiming& timing, int gates_passed);

}  // namespace br
