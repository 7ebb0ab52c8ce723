// Riders that are not simulated here (demo riders now, network riders too) are posed each step
// from their state histories, moving with the velocities their recorded track implies. After a
// collision such a rider may be released to the physics for a moment and is then pulled back
// onto its track.
#pragma once

#include <cstdint>

#include "world/world.h"

namespace br {

// The demo version whose snapshots the histories hold: that of the demo being played, 5 when
// none is.
int playing_version(const World& w);

// Poses the slot's bike as its history says it was at step `time`, interpolating between
// entries and carrying a rider whose data stops along its last motion for at most half a
// second. An empty history leaves the bike where it is.
void pose_from_history(World& w, int slot, int32_t time);

// Places the bike at `cur` with the velocities that lead from `prev` to `next` in `steps`
// steps; a released bike is pulled towards `cur` by forces instead.
void apply_snapshot(World& w, Bike& bike, const uint8_t* cur, const uint8_t* prev,
                    const uint8_t* next, int steps, int version);

// The release level: above kBarelyPresent the bodies are simulated and collide.
void release(Bike& bike);         // 1, bodies on
void hold(Bike& bike);            // 0, bodies off
void toggle_release(Bike& bike);  // after the local rider ran into it
void decay_release(Bike& bike);   // each step while connected: back to held in 0.75 s

// Whether the slot's rider is left out of drawing and camera choice at the current step.
bool history_rider_hidden(const World& w, int slot);

}  // namespace br
