// One simulation step of the bikes: the contacts a world step will use, made at the start of
// the tick, and each bike's own step after the world step, which sets the motors, forces and
// soft contacts for the next one.
#pragma once

#include "bike/bike.h"

namespace br {

// The frame moving slower than this (ft/s) two seconds after the start marks the bike as
// stopped after the start.
constexpr double kStoppedSpeed = 5.0;
constexpr int kStartGraceTicks = 256;  // two seconds

// Offline, contacts of every slot with a bike that is simulated here (kind not 1): its tyres
// and shapes with the ground, its shapes with the statues, and every pair of such bikes with
// one another, farthest from the world's origin first. Connected to a game server, see below.
void make_bike_contacts(World& w);

// A remote rider whose latest state from the server is this old no longer takes part.
constexpr int kStaleServerTicks = 128;

// Connected: only the rider of this client's slot is simulated here, the others follow the
// server. The local bike meets the ground and the statues; once the server has given a race
// position, every remote bike that takes part (kind 1, its state fresh) is tested against it,
// farthest from the origin first, and a solid one (presence above 1/4) is pushed by the touch
// and meets the ground and the statues too. A ghost's touch is only recorded. Before the
// server assigns a slot, nothing touches.
void make_connected_contacts(World& w);

// The bike's step after the world step: start flag, collision cooldown, crashes, slow-speed
// actions, rider springs, suspension, gears, drive, brakes, drift cancellation and velocity
// tracking, in that order. A bike that
// is barely present only tracks its velocities.
void step_bike(World& w, Bike& bike);

}  // namespace br
