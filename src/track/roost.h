// Roost: the dirt a wheel throws, as short-lived particles that fly, fade and vanish when they
// fall back below the ground. What each wheel throws comes from the roost records of the tile
// under it; the particles come from the pool of roost_pool.h.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "track/roost_pool.h"
#include "track/scenery.h"
#include "track/terrain.h"
#include "world/world.h"

namespace br {

struct Bike;

// How far round the wheel a thrown clod may ride before it leaves (radians): the front wheel
// barely throws, the rear may throw from anywhere.
constexpr float kFrontRoostAngle = 0.3926991f;  // pi/8
constexpr float kRearRoostAngle = 6.2831855f;   // 2 pi
// A wheel not spinning faster than it rolls only pushes dirt along the ground.
constexpr float kRollingRoostAngle = 0.049087387f;  // pi/64

using RoostVec = std::array<double, 3>;

// One wheel as the roost reads it: its ground contact and the motion of its body.
struct WheelThrow {
  RoostVec point{}, normal{0, 1, 0};  // contact point, unit ground normal
  RoostVec point_velocity{};          // ft/s, of the wheel at the contact point
  double depth = 0;                   // feet; 0 in the air
  RoostVec centre{}, velocity{};      // the wheel body's position and velocity
  RoostVec spin{};                    // rad/s, world
  RoostVec axle{1, 0, 0};             // unit, world
};

// The particles one rider may throw per roost record this step, at a roost frequency of
// 0..1000 (particles per 100 steps): frequency / 100, and one more with the chance of the
// remainder.
int roost_budget(RoostPool& pool, int frequency);

// Throws one wheel's dirt by the roost records of the tile under its contact, at most
// `budget` particles per record; `angle_limit` bounds how far round the wheel it is carried.
// Returns the particles thrown; those the pool cannot give are dropped.
int throw_wheel_roost(const Terrain& t, RoostPool& pool, std::vector<Billboard>& boards,
                      const WheelThrow& wheel, float angle_limit, int budget, uint32_t step);

// One rider's roost this step, front wheel then rear. `from_physics`: the bike's contacts were
// made in this step's contact stage; otherwise (a bike following recorded states) they are
// found now.
void emit_roost(World& w, Bike& bike, bool from_physics);

// The world tick's roost: every rider with a bike, the first visited rotating with the step
// counter so that all share the pool fairly.
void throw_roost(World& w);

// Flight, drag, gravity, growth and fading; a particle falling below the ground ends.
void update_particles(const Terrain& t, RoostPool& pool, std::vector<Billboard>& boards);
void update_particles(World& w);

}  // namespace br
