// The loaded track's start positions, timing gates and lap lists, read from "timing_gates".
// Lap timing reads them from g_world.track.timing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "race/timing_gates_format.h"

namespace br {

struct StartGate {
  StartPosition position;  // y above the ground, yaw in -pi..pi
  int statue = -1;         // the gate object, -1 = none
  float drop = 1.0f;       // 1 = gate up, 0 = down
};

struct TrackTiming {
  std::vector<StartGate> starts;
  std::vector<TimingGate> gates;
  std::vector<int> first_lap;   // F references, each a gate or a gate + kGateNotLearnedFlag
  std::vector<int> normal_lap;  // N references
  bool active = false;          // gates and both lists are usable: laps are timed
};

// The file's sections, in any order; a line that does not parse is skipped with a warning
// naming `file`. Start positions come out with their yaw in -pi..pi and the default names
// left empty.
TimingGatesFile parse_timing_gates(std::string_view text, const std::string& file);

// A negative reference becomes 0; the gate part of others is limited to the last gate and the
// not-learned flag kept.
int clean_lap_reference(int reference, int gate_count);

// Timing works with at least one gate and, in each list, at least one reference that is
// not flagged.
bool timing_usable(const TimingGatesFile& file);

// The track loader's step: reads "<track_path>/timing_gates", creates the start-gate statues
// and sets the track's lap-list and start-position counts.
void load_timing_gates(const std::string& track_path);

}  // namespace br
