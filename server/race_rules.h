// The game's own race rules run on the server's world record: the riders' timing records go
// into their slots, and the game's standings code ranks them, learns a timed race's length,
// decides who has finished and when the results are final, exactly as every client does with
// the same records.
#pragma once

#include <cstdint>
#include <vector>

#include "world/world.h"

namespace brserver {

struct RaceSetup {
  int32_t start_step = 0;
  int32_t duration = 0;  // steps, 0 = none
  int laps = 0;
};

// A new race: nobody has a record, nothing is final.
void rules_new_race(br::World& w, const RaceSetup& r);

// The slot rides in this race (or no longer does).
void rules_set_rider(br::World& w, int slot, bool riding);

// A record of the rider in `slot` at the race clock `now`: stored, the records after it cut,
// the finishing rule applied and the standings updated.
void rules_record(br::World& w, int slot, int index, int32_t step, int32_t now);

// The standings brought up to `now` (the clock's 512-step update and silent riders).
void rules_update(br::World& w, int32_t now);

bool rules_final(const br::World& w);

// Ends the race as it stands (the operator, or a race that runs too long).
void rules_force_final(br::World& w, int32_t now);

}  // namespace brserver
