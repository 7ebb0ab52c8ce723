// The auto pilot: every step a robot's bike gets the controls a rider would give it, from
// the start procedure at the gate to following its picked line at the line's speeds, around
// the riders in its way, and out of trouble when it stops getting anywhere.
#pragma once

#include "world/world.h"

namespace br {

// Gives the robot in `slot` its personality's riding style (by name, see robot/personality.h).
void set_personality(World& w, int slot, const std::string& name);

// Sets the controls of the robot in `slot` for the coming physics step.
void auto_pilot_step(World& w, int slot);

// Where the start procedure's blipping ends: this long before the gate drops the final
// countdown begins, and the robot stops a random moment into it.
constexpr double kFinalCountdownSeconds = 3.0;

}  // namespace br
