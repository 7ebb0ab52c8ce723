// The start: the gates in front of the grid fall when the race starts, and in a server's race
// a rider who rolls before then is held back for 15 seconds.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace br {

constexpr float kGateDropPerSecond = 8.0f;         // a gate falls in an eighth of a second
constexpr float kGateStandingTilt = 0.58904862f;   // radians (3 pi / 16) of a standing gate
constexpr int32_t kGateAnimationSteps = 10 * 128;  // the gates move no more 10 s after the start
// Connected without a race position, this client sees the race 127 steps late.
constexpr int32_t kSpectatorDelaySteps = 127;
constexpr double kFalseStartDistance = 3.0;  // feet the bike may roll before the start
constexpr int32_t kFalseStartPenaltySteps = 15 * 128;

// The race has started once the step counter is past the start step.
bool race_started(const World& w);

// Sets every start gate's drop state and tilts its object to match: 1 standing, 0 down.
void set_start_gates(World& w, float drop);

// Once per world step: after the start the gates fall, 8 per second.
void start_gate_step(World& w);

// Once per world step for the local rider of a server's race: moving off before the start
// earns the hold, and while it runs the bike is held on its brakes with the foot down.
void false_start_step(World& w, int slot);

}  // namespace br
