#include "bike/drivetrain.h"

#include <algorithm>
#include <cmath>

#include "bike/controls.h"

namespace br {
namespace {

constexpr double kAutoClutchBand = 2000;  // rpm over which the automatic clutch engages
constexpr double kMaxTwistTorque = 500;   // lb-ft the twist damping may give
constexpr double kMaxDriveTorque = 1000000;
constexpr double kSlipSpeedSquared = 4;    // (ft/s)^2: a contact point faster slips or skids
constexpr int kShiftInterval = 32;         // ticks
constexpr double kLoadedSwingarm = -0.01;  // rad

double wrap_angle(double a) {
  if (!std::isfinite(a)) return 0;
  return std::remainder(a, 2 * M_PI);
}

double table_at(const TorqueTable& t, double rpm) {
  double x = std::clamp(rpm / kTorqueSampleRpm, 0.0, static_cast<double>(kTorqueSamples - 1));
  int i = static_cast<int>(std::floor(x));
  double f = x - i;
  int j = std::min(i + 1, kTorqueSamples - 1);
  return t[i] + f * (t[j] - t[i]);
}

bool touches(const WheelContact& w) {
  return w.depth > 0;
}

bool slipping(const WheelContact& w) {
  const auto& v = w.velocity;
  return v[0] * v[0] + v[1] * v[1] + v[2] * v[2] > kSlipSpeedSquared;
}

// The nose is not already on its way down: the frame's own pitch rate about x.
bool nose_not_dropping(const Bike& bike) {
  const dReal* w = dBodyGetAngularVel(bike.bodies[kBodyFrame]);
  dVector3 local;
  dBodyVectorFromWorld(bike.bodies[kBodyFrame], w[0], w[1], w[2], local);
  return local[0] > -1.0 / 32;
}

}  // namespace

double engine_torque(const BikeEntry& e, double rpm, double throttle) {
  double closed = table_at(e.closed_throttle, rpm);
  return closed + throttle * (table_at(e.open_throttle, rpm) - closed);
}

double clutch_factor(double rpm, double auto_clutch_rpm, double engagement) {
  if (rpm > auto_clutch_rpm + kAutoClutchBand) return engagement;
  return std::min(engagement, std::clamp((rpm - auto_clutch_rpm) / kAutoClutchBand, 0.0, 1.0));
}

double drive_ratio(const Bike& bike) {
  return bike.entry.gears[bike.controls.gear] * bike.entry.primary_reduction *
         bike.setup.final_drive;
}

void auto_shift(const World& w, Bike& bike) {
  if (!bike.setup.auto_shift || w.frame % kShiftInterval != 0) return;
  if (dJointGetHingeAngle(bike.joints[kJointSwingarmPivot]) >= kLoadedSwingarm) return;
  const WheelContact& rear = bike.wheels[kRearWheel];
  if (touches(rear) && slipping(rear)) return;
  double wheel_rpm =
      dJointGetHingeAngleRate(bike.joints[kJointRearAxle]) * drive_ratio(bike) * kRadPerSecToRpm;
  BikeControls& c = bike.controls;
  if (wheel_rpm < bike.entry.shift_down_rpm) {
    c.gear = shifted_gear(bike.entry, c.gear, -1);
  } else if (wheel_rpm > bike.entry.shift_up_rpm) {
    c.gear = shifted_gear(bike.entry, c.gear, +1);
  }
}

void drive_rear_wheel(Bike& bike, double h) {
  const BikeEntry& e = bike.entry;
  BikeWorkingState& s = bike.state;
  double ratio = drive_ratio(bike);
  // A missing gear is never selected, but a catalogue slip must not divide by zero.
  if (!(ratio > 0)) return;
  double rpm = s.engine_speed * kRadPerSecToRpm;
  double torque = engine_torque(e, rpm, throttle(bike));
  bool front_down = touches(bike.wheels[kFrontWheel]);
  bool rear_down = touches(bike.wheels[kRearWheel]);
  if (wheelie_cut(bike.setup) && !front_down && rear_down && nose_not_dropping(bike) &&
      torque > 0) {
    torque = 0;
  }

  dJointID axle = bike.joints[kJointRearAxle];
  double wheel_angle = dJointGetHingeAngle(axle);
  double wheel_rate = dJointGetHingeAngleRate(axle);
  double twist = wrap_angle(s.drive_angle - wheel_angle);
  double engagement = bike.controls.clutch;
  double c = clutch_factor(rpm, bike.setup.auto_clutch_rpm, engagement);
  double x = std::clamp((s.engine_speed - wheel_rate * ratio) * e.twist_damping, -kMaxTwistTorque,
                        kMaxTwistTorque) +
             twist * e.twist_stiffness;
  // The automatic clutch only opens against the engine pulling, never on engine braking.
  double f = x >= 0 ? c : engagement;
  x = std::clamp(x, -kMaxDriveTorque, kMaxDriveTorque);
  double slip = f * M_PI / 4;
  if (twist > slip) s.drive_angle = wheel_angle + slip;
  if (twist < -slip) s.drive_angle = wheel_angle - slip;

  double drive = f * f * x;
  dBodyAddRelTorque(bike.bodies[kBodyRearWheel], -drive, 0, 0);
  dBodyAddRelTorque(bike.bodies[kBodyFrame], drive, 0, 0);

  s.engine_speed += h * (torque - drive / ratio) / e.engine_inertia;
  if (!std::isfinite(s.engine_speed)) s.engine_speed = 0;
  s.drive_angle = wrap_angle(s.drive_angle + h * s.engine_speed / ratio);
}

BrakeTorques brake_torques(const Bike& bike) {
  const SetupBlock& setup = bike.setup;
  const WheelContact& front = bike.wheels[kFrontWheel];
  const WheelContact& rear = bike.wheels[kRearWheel];
  BrakeTorques t{setup.brake_torque * bike.controls.front_brake,
                 setup.rear_brake_torque * bike.controls.rear_brake};
  if (setup.front_brake_mode && touches(front) && slipping(front)) t.front = 0;
  if (stoppie_release(setup) && touches(front) && !touches(rear)) t.front = 0;
  if (setup.rear_antilock && touches(rear) && slipping(rear)) t.rear = 0;
  return t;
}

void apply_brakes(Bike& bike) {
  BrakeTorques t = brake_torques(bike);
  dJointSetHingeParam(bike.joints[kJointFrontAxle], dParamVel, 0);
  dJointSetHingeParam(bike.joints[kJointFrontAxle], dParamFMax, t.front);
  dJointSetHingeParam(bike.joints[kJointRearAxle], dParamVel, 0);
  dJointSetHingeParam(bike.joints[kJointRearAxle], dParamFMax, t.rear);
}

}  // namespace br
