#include "bike/slow_speed.h"

#include <algorithm>
#include <cmath>

#include "bike/controls.h"
#include "bike/terrain_contacts.h"

namespace br {
namespace {

constexpr double kWalkingSpeed = 5;       // ft/s
constexpr double kCruiseSpeed = 15;       // ft/s; above it only a deep lean puts the foot down
constexpr double kCooldownDabSpeed = 75;  // ft/s while a collision keeps the rider seated
constexpr int kCooldownDab = -512;
constexpr double kHoldForce = 1000;     // lb
constexpr double kBackUpForce = 2000;   // lb
constexpr double kBackUpTorque = 2000;  // lb-ft
constexpr double kBackUpSpeed = 4;      // ft/s at the top of a pulse

std::array<double, 3> frame_velocity(const Bike& bike) {
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  return {v[0], v[1], v[2]};
}

double length(const std::array<double, 3>& v) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

void pull_frame(Bike& bike, const std::array<double, 3>& target, double max_force) {
  auto f = servo_force(frame_velocity(bike), target, max_force);
  dBodyAddForce(bike.bodies[kBodyFrame], f[0], 0, f[1]);
}

void paddle_backwards(World& w, Bike& bike) {
  double p = (1 - std::cos(2 * M_PI * (w.frame % 128) / 127.0)) / 2;
  bike.controls.dab = crashed(bike) ? 0 : 1;
  dVector3 backward;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 0, 1, backward);
  pull_frame(bike, {backward[0] * kBackUpSpeed * p, 0, backward[2] * kBackUpSpeed * p},
             kBackUpForce);
  // Turning the bike on the spot as it rolls back, with a motor that lives for this step.
  dJointID motor = dJointCreateAMotor(w.physics.world, w.physics.contacts);
  dJointAttach(motor, bike.bodies[kBodyFrame], nullptr);
  dJointSetAMotorMode(motor, dAMotorUser);
  dJointSetAMotorNumAxes(motor, 1);
  dJointSetAMotorAxis(motor, 0, 0, 0, 1, 0);
  dJointSetAMotorParam(motor, dParamVel, -bike.controls.steering * p * M_PI / 2);
  dJointSetAMotorParam(motor, dParamFMax, kBackUpTorque);
}

}  // namespace

std::array<double, 2> servo_force(const std::array<double, 3>& velocity,
                                  const std::array<double, 3>& target, double max_force) {
  double dx = velocity[0] - target[0];
  double dz = velocity[2] - target[2];
  double d2 = dx * dx + dz * dz;
  if (d2 < 1.0 / 16) return {0, 0};
  double d = std::sqrt(d2);
  double scale = max_force * std::clamp((d - 0.25) * 0.8, 0.0, 1.0) / d;
  return {-dx * scale, -dz * scale};
}

bool foot_goes_down(double speed, double roll, double limit, float throttle, float clutch) {
  if (speed > limit) return false;
  if (speed > kCruiseSpeed) {
    return std::fabs(roll) >= std::clamp((speed - kCruiseSpeed) / 15, 0.0, 1.0) * M_PI / 4;
  }
  return throttle == 0 || clutch == 0 || speed < kWalkingSpeed || std::fabs(roll) > M_PI / 16;
}

void slow_speed_actions(World& w, Bike& bike) {
  double speed = length(frame_velocity(bike));
  if (back_up(bike) > 0 && speed < kWalkingSpeed) {
    paddle_backwards(w, bike);
    return;
  }
  if (!bike.setup.auto_dab) return;
  double limit = bike.setup.max_dab_speed;
  if (bike.state.collision_cooldown <= kCooldownDab) limit = std::max(limit, kCooldownDabSpeed);
  BikeControls& c = bike.controls;
  float open = throttle(bike);
  if (!foot_goes_down(speed, frame_lean(bike), limit, open, c.clutch)) return;
  float down = static_cast<float>(std::clamp(1 - speed / limit, 0.0, 1.0));
  c.dab = crashed(bike) ? 0 : std::max(c.dab, down);
  if (speed < kWalkingSpeed && (open == 0 || c.clutch == 0)) {
    c.front_brake = c.rear_brake = 1;
    pull_frame(bike, {0, 0, 0}, kHoldForce);
  }
}

}  // namespace br
