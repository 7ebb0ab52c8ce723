// The one physics world of the program, its collision space and the joint group that holds a
// step's contacts and temporary motors, and the soft-contact rule shared by every contact.
#pragma once

#include "world/world.h"

namespace br {

constexpr double kGravity = -32.0;  // ft/s^2 along y

// Creates the world (error reduction 0.2, constraint mixing 1e-10, gravity), the collision
// space and the contact group in the world record. Does nothing when they exist.
void physics_world_open(World& w);
// Frees every bike first, since bodies die with their world, then the world itself.
void physics_world_close(World& w);

// One world step of the engine's full solver, then the step's contacts and temporary motors
// are thrown away.
void step_physics(World& w);

// A spring of k lb/ft and a damper of c lb/(ft/s) as the engine's error reduction and
// constraint mixing for a step of h seconds.
struct SoftContact {
  double erp = 0;
  double cfm = 0;
};
SoftContact soft_contact(double k, double c, double h = kSimStep);

// Drives a joint motor as a force: a target velocity far beyond reach in the direction of the
// force, and the force's size as the motor's limit.
struct MotorForce {
  double velocity = 0;  // ft/s or rad/s
  double max_force = 0;
};
MotorForce motor_force(double force);

}  // namespace br
