// What the flag marshals see of the race in progress: the start, the leader's progress, the
// lap limits and the gates a fallen rider has still to pass.
#pragma once

#include "track/flaggers.h"
#include "world/world.h"

namespace br {

// A rider of a server's session not heard from for this long is not watched.
constexpr int32_t kFlaggerSilentSteps = 128;

FlaggerRace flagger_race(const World& w);

// Once per frame before drawing, while a session runs.
void update_session_flaggers(World& w);

}  // namespace br
