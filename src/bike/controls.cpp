#include "bike/controls.h"

#include <algorithm>
#include <cmath>

namespace br {
namespace {

// NaN from a broken input device must not reach the physics.
float clamped(float v, float lo, float hi) {
  if (std::isnan(v)) return 0;
  return std::clamp(v, lo, hi);
}

bool gear_present(const BikeEntry& e, int gear) {
  return e.gears[gear] > 0;
}

}  // namespace

void set_steering(Bike& bike, float v) {
  bike.controls.steering = clamped(v, -1, 1);
}
void set_throttle(Bike& bike, float v) {
  bike.controls.throttle = clamped(v, 0, 1);
}
void set_clutch(Bike& bike, float v) {
  bike.controls.clutch = clamped(v, 0, 1);
}
void set_front_brake(Bike& bike, float v) {
  bike.controls.front_brake = clamped(v, 0, 1);
}
void set_rear_brake(Bike& bike, float v) {
  bike.controls.rear_brake = clamped(v, 0, 1);
}
void set_dab(Bike& bike, float v) {
  bike.controls.dab = clamped(v, 0, 1);
}
void set_back_up(Bike& bike, float v) {
  bike.controls.back_up = clamped(v, 0, 1);
}
void set_lean(Bike& bike, float v) {
  bike.controls.lean = clamped(v, -1, 1);
}

int shifted_gear(const BikeEntry& e, int gear, int step) {
  int g = std::clamp(gear + step, 0, kGearCount - 1);
  while (g > 0 && !gear_present(e, g)) --g;
  return g;
}

void request_shift(Bike& bike, int direction) {
  BikeControls& c = bike.controls;
  if (crashed(bike) || direction == c.last_shift || direction < -1 || direction > 1) return;
  c.last_shift = direction;
  c.gear = shifted_gear(bike.entry, c.gear, direction);
}

bool crashed(const Bike& bike) {
  return bike.state.crash_timer > 0;
}

float throttle(const Bike& bike) {
  return crashed(bike) ? 0 : bike.controls.throttle;
}
float dab(const Bike& bike) {
  return crashed(bike) ? 0 : bike.controls.dab;
}
float back_up(const Bike& bike) {
  return crashed(bike) ? 0 : bike.controls.back_up;
}
float lean(const Bike& bike) {
  return crashed(bike) ? 0 : bike.controls.lean;
}

float engine_rpm(const Bike& bike) {
  return static_cast<float>(bike.state.engine_speed * kRadPerSecToRpm);
}
int gear(const Bike& bike) {
  return bike.controls.gear;
}
float rev_limit_rpm(const Bike& bike) {
  return bike.entry.rev_limit_rpm;
}

}  // namespace br
