// Every rider slot's ring of its 128 most recent time-stamped snapshots: filled by the demo
// recorder and reader and by the network client, read to pose riders that are not simulated
// here and to write demos.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace br {

// Empties every slot's ring: newest index 0, nothing pending, no time stamps, zero states.
void reset_histories(World& w);

// Inserts a snapshot taken at step `time`. The first snapshot for a step wins; one older than
// the newest replaces every entry from its step on. A slot outside 0..159 stores nothing.
void add_state_to_history(World& w, int slot, const Snapshot& s, int32_t time);

// The ring index `back` entries before the newest.
int history_index(const StateHistory& h, int back);

// The two entries a rider is posed between at step `time`, as ring indices. `found` is false
// when even the newest entry is empty.
struct HistoryBracket {
  bool found = false;
  int previous = 0;
  int next = 0;
};
HistoryBracket bracket_history(const StateHistory& h, int32_t time);

}  // namespace br
