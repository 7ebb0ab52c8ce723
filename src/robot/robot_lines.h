// The line database's life with a race session: read for the track and skill when a session
// starts (the previous skill's lines written back first, with learning on), analysed, and
// written back when the game ends.
#pragma once

#include <string>

#include "world/world.h"

namespace br {

// "Remembering lines...": the loaded set back to its file, when learning is on.
void save_lines(World& w);

// Reads the skill's line file of `track` into the world's database, thins crowded sections
// and works out the best laps ("Analyzing lines...").
void load_lines(World& w, const std::string& track, int skill);

}  // namespace br
