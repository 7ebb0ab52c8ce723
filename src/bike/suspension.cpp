#include "bike/suspension.h"

#include <algorithm>
#include <cmath>

#include "bike/physics_world.h"

namespace br {
namespace {

// The air trapped above the oil, compressed adiabatically: its pressure times the leg area
// at full extension, both legs together, in lb.
constexpr double kForkAirForce = 82.46169;
constexpr double kAirExponent = 1.4;
// The spring fades in over this part of the travel.
constexpr double kFadeIn = 32;

}  // namespace

double fork_force(const BikeEntry& e, const SetupBlock& s, double x, double v) {
  double travel = e.fork_travel;
  double damping = v * (v >= 0 ? s.fork_rebound : s.fork_compression);
  double spring = (s.fork_preload - x) * s.fork_spring - damping;
  double compression = std::clamp(-x, 0.0, travel);
  double gap = travel + s.fork_oil_level;
  double air = kForkAirForce * (std::pow(gap / (gap - compression), kAirExponent) - 1);
  double q = kFadeIn * compression / travel;
  return q >= 0 ? (air + spring) * std::min(1.0, q) : 0.0;
}

double shock_torque(const BikeEntry& e, const SetupBlock& s, double angle, double rate) {
  double span = e.swingarm_travel;
  double u = -angle / span;  // compression fraction
  double l0 = e.linkage_extended, l1 = e.linkage_compressed;
  double ratio = l0 + (l1 - l0) * u;
  double stroke = l0 * u + 0.5 * u * (l1 - l0) * u / span;
  double damping = -rate * (rate >= 0 ? s.shock_rebound : s.shock_compression);
  double ramp = std::clamp(kFadeIn * u, 0.0, 1.0);
  return ramp * (ratio * (stroke + s.shock_preload) * s.shock_spring + ratio * ratio * damping);
}

void drive_suspension(Bike& bike) {
  dJointID fork = bike.joints[kJointForkSlider];
  MotorForce f = motor_force(fork_force(bike.entry, bike.setup, dJointGetSliderPosition(fork),
                                        dJointGetSliderPositionRate(fork)));
  dJointSetSliderParam(fork, dParamVel, f.velocity);
  dJointSetSliderParam(fork, dParamFMax, f.max_force);

  dJointID pivot = bike.joints[kJointSwingarmPivot];
  MotorForce t = motor_force(shock_torque(bike.entry, bike.setup, dJointGetHingeAngle(pivot),
                                          dJointGetHingeAngleRate(pivot)));
  dJointSetHingeParam(pivot, dParamVel, t.velocity);
  dJointSetHingeParam(pivot, dParamFMax, t.max_force);
}

}  // namespace br
