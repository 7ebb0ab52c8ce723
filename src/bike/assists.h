// The steering and stability assists: the rider's steering input becomes a steering torque,
// the bike is kept upright and its roll damped, the lock narrows with speed, and a fallen bike
// is stood up again. Arcade steering replaces the assist with a simpler handling.
#pragma once

#include "bike/bike.h"

namespace br {

// Pure parts, exposed for tests.

// The arcade steering servo's command (lb-ft) toward `target` (rad) from the steering angle
// `angle` (rad) turning at `rate` (rad/s).
double steering_servo(double target, double angle, double rate, double strength);
// The steering lock (rad) at front wheel speed `speed` (ft/s) on ground whose first friction
// value is `friction`.
double lock_limit(const SetupBlock& s, double speed, double friction);
// The assist term after a collision: turned against itself early on, capped later.
double cooldown_term(double term, int cooldown);
// How far (rad) the lean servo leans the bike for full steering at frame speed `speed`, with
// `dab_speed` the highest dab speed (ft/s).
double lean_gain(double speed, double dab_speed, double roll_limit_angle);

// The frame's roll (rad): 0 upright, negative leaning to the rider's right.
double frame_roll(const Bike& bike);
// The steering angle (rad) at which the front tyre would roll where it is going.
double front_wheel_heading(const Bike& bike);
// Adds a steering torque (lb-ft) between the front wheel and the frame.
void apply_steering_torque(Bike& bike, double torque);

// One step of the steering assist (or of arcade steering).
void steer(World& w, Bike& bike);
// Damps the front wheel's every rotation but its spin.
void damp_steering(Bike& bike);
// The rider drawn back onto the seat by ropes as a crash runs out.
void handle_fall(World& w, Bike& bike);
// Holds a slow or stopped bike up while the rider's foot is down.
void roll_support(Bike& bike);

}  // namespace br
