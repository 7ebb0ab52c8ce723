// Flag marshals: billboards whose pictures follow the race. The start flagger walks off once
// the gate has dropped, the finish flagger shows the leader's lap, and corner flaggers wave
// their alert flag while a crashed rider is still to pass one of their gates.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "track/scenery_format.h"

namespace br {

// What the flaggers need to know of the race, filled by the timing each frame.
struct FlaggerRace {
  int32_t start_step = 0;  // the step at which the gate drops
  int32_t now_step = 0;
  double step_seconds = 1.0 / 128;
  int leader_gates_passed = -1;  // -1 while nobody is in the standings
  int first_lap = 1;             // F: references in the first-lap list
  int normal_lap = 1;            // N: references in the normal-lap list
  int total_laps = 1000000;      // 1000000 while not yet known
  int halfway_lap = 1000000;
  // Gates that a crashed, unfinished rider has as its next gate.
  std::array<bool, 256> gate_alert{};
};

// Creates the flaggers' billboards from the file's entries. Gate numbers are limited to the
// gates the track has (-1 for none).
void create_flaggers(const FlaggersFile& file, int gate_count);

// Once per frame before drawing: moves the start flagger and sets every flagger's picture.
void update_flaggers(const FlaggerRace& race);

// The finish flagger's picture for the leader's gates passed (a FinishPicture).
int finish_picture(const FlaggerRace& race);

}  // namespace br
