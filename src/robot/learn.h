// The line database's bookkeeping for every rider: a person's riding is recorded as line
// points and offered as lines at the section ends; a robot's runs are timed on the lines it
// rode, or counted as failures when it left them.
#pragma once

#include "world/world.h"

namespace br {

// Fresh bookkeeping for a rider placed on the grid; the race start counts as a section end.
void learn_begin(World& w, int slot);

// Once per step for every rider simulated here, after the gate test: records a person's line
// point every 32 steps and deals with every section end passed since the last call.
void learn_step(World& w, int slot);

// A rider put back on the track: a robot's current line (and the one before, when it ended
// less than a second ago) counts a failure; a person's recording of the section is void.
void learn_reset(World& w, int slot);

// Where `slot`'s frame body is and how it moves, as a line point.
LinePoint line_point_of(const World& w, int slot);

}  // namespace br
