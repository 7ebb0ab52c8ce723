#include "bike/assists.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "bike/controls.h"
#include "bike/crash.h"
#include "bike/physics_world.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

using V3 = std::array<double, 3>;
constexpr double kPi = std::numbers::pi;
constexpr double kFullLock = kPi / 4;     // rad
constexpr double kSupportForce = 400;     // lb
constexpr double kWalkingSpeed = 5;       // ft/s
constexpr double kCruiseSpeed = 15;       // ft/s
constexpr double kCooldownDabSpeed = 75;  // ft/s
constexpr int kCooldownDab = -512;
constexpr int kStandUpTicks = 320;  // crash timer below which a fallen bike is stood up

double dot(const V3& a, const V3& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
V3 to_world(dBodyID body, double x, double y, double z) {
  dVector3 v;
  dBodyVectorToWorld(body, x, y, z, v);
  return {v[0], v[1], v[2]};
}
V3 from_world(dBodyID body, const dReal* v) {
  dVector3 out;
  dBodyVectorFromWorld(body, v[0], v[1], v[2], out);
  return {out[0], out[1], out[2]};
}
V3 point_on(dBodyID body, double x, double y, double z) {
  dVector3 p;
  dBodyGetRelPointPos(body, x, y, z, p);
  return {p[0], p[1], p[2]};
}
double frame_speed(const Bike& bike) {
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}
// Roll rate (rad/s) about the frame's own z axis: positive leans the bike further left.
double roll_rate(const Bike& bike) {
  return from_world(bike.bodies[kBodyFrame], dBodyGetAngularVel(bike.bodies[kBodyFrame]))[2];
}
V3 fork_direction(const BikeEntry& e) {
  V3 d = {e.steering_head.x - e.fork_lower_position.x, e.steering_head.y - e.fork_lower_position.y,
          e.steering_head.z - e.fork_lower_position.z};
  double n = std::sqrt(dot(d, d));
  return {d[0] / n, d[1] / n, d[2] / n};
}
double front_ground_speed(const Bike& bike) {
  const WheelContact& f = bike.wheels[kFrontWheel];
  return std::fabs(dJointGetHingeAngleRate(bike.joints[kJointFrontAxle])) *
         (f.ring_radius + f.tube_radius);
}
double front_clearance(const World& w, const Bike& bike) {
  const dReal* c = dBodyGetPosition(bike.bodies[kBodyFrontWheel]);
  const WheelContact& f = bike.wheels[kFrontWheel];
  float ground =
      terrain_height(w.track.terrain, static_cast<float>(c[0]), static_cast<float>(c[2]));
  return c[1] - ground - f.ring_radius - f.tube_radius;
}
double front_friction(const World& w, const Bike& bike) {
  const Terrain& t = w.track.terrain;
  if (t.tiles.empty()) return 1;
  const dReal* c = dBodyGetPosition(bike.bodies[kBodyFrontWheel]);
  int tile = tile_at(t, static_cast<float>(c[0]), static_cast<float>(c[2]));
  tile = std::clamp(tile, 0, static_cast<int>(t.tiles.size()) - 1);
  return std::max(0.125, static_cast<double>(t.tiles[tile].friction[0].value));
}

void arcade_steer(World& w, Bike& bike) {
  const SetupBlock& s = bike.setup;
  dBodyID frame = bike.bodies[kBodyFrame];
  double steering = bike.controls.steering;
  double e = frame_roll(bike) + steering * kPi / 4;
  double v = std::clamp((s.roll_damping - 40) * 0.025, 0.0, 1.0);
  double speed = (1.5 - 0.5 * v) * std::min(std::fabs(e), 1.0 / 16) * 16;
  // The roll motor lives in the contact group, so it is gone after this step.
  dJointID motor = dJointCreateAMotor(w.physics.world, w.physics.contacts);
  dJointAttach(motor, frame, nullptr);
  dJointSetAMotorNumAxes(motor, 1);
  V3 axis = to_world(frame, 0, 0, 1);  // given in world coordinates, then carried by the frame
  dJointSetAMotorAxis(motor, 0, 1, axis[0], axis[1], axis[2]);
  dJointSetAMotorParam(motor, dParamVel, e > 0 ? -speed : speed);
  dJointSetAMotorParam(motor, dParamFMax, 1000);

  double angle = dJointGetHingeAngle(bike.joints[kJointSteering]);
  double rate = dJointGetHingeAngleRate(bike.joints[kJointSteering]);
  double target = front_wheel_heading(bike) - steering * 0.5;
  apply_steering_torque(bike, steering_servo(target, angle, rate, s.steering_strength));

  // Sideways sliding is damped at a point far behind the bike, which also yaws it into line.
  V3 at = point_on(frame, 0, 0, 20);
  dVector3 vel;
  dBodyGetPointVel(frame, at[0], at[1], at[2], vel);
  dBodyAddForceAtPos(frame, -0.25 * vel[0], -0.25 * vel[1], -0.25 * vel[2], at[0], at[1], at[2]);
}

void update_lock_factor(Bike& bike, double v_f, double lock, double roll, double angle,
                        double heading) {
  double g = std::clamp((v_f - 5) / 10, 0.0, 1.0);
  double l1 = 0.25 * g * lock;
  double l2 = (0.625 * g + 0.125) * lock;
  double q, p;
  if (roll >= 0) {
    q = std::clamp((-heading - l1) / (l2 - l1), 0.0, 1.0);
    p = (angle - kPi / 12) * 12 / kPi;
  } else {
    q = std::clamp((heading - l1) / (l2 - l1), 0.0, 1.0);
    p = -(angle + kPi / 12) * 12 / kPi;
  }
  bike.state.lock_factor = std::max(std::clamp(p, 0.0, 1.0), q);
}

void steering_assist(World& w, Bike& bike) {
  const SetupBlock& s = bike.setup;
  BikeWorkingState& st = bike.state;
  if (st.crash_timer > 0) {
    st.lock_factor = 0;
    return;
  }
  double steering = bike.controls.steering;
  double v_f = front_ground_speed(bike);
  double roll = frame_roll(bike);
  double angle = dJointGetHingeAngle(bike.joints[kJointSteering]);
  double heading = front_wheel_heading(bike);
  double direct = s.steering_strength * steering * s.direct_steering;
  double lo = -s.max_steering_force, hi = s.max_steering_force;

  double lock = lock_limit(s, v_f, front_friction(w, bike));

  double clearance = front_clearance(w, bike);
  if (v_f > 1 && clearance < 0.5) {
    double l = lock + (kFullLock - lock) * std::clamp(2 * clearance, 0.0, 1.0);
    double v = 1.125 * l + 0.015;
    if (heading > l) lo *= 1.25 * std::clamp((heading - v) / (l - v), 0.0, 1.0) - 0.25;
    if (heading < -l) hi *= 1.25 * std::clamp((heading + v) / (v - l), 0.0, 1.0) - 0.25;
  }

  double term;
  double axle_rate = std::fabs(dJointGetHingeAngleRate(bike.joints[kJointFrontAxle]));
  if (bike.wheels[kFrontWheel].depth <= 0 || axle_rate <= kPi / 4) {
    st.landing_multiplier = s.land_damping_factor;
    term = -50 * angle;  // centre the bars for the landing
    if (!(bike.option_bits & 1)) direct = 0;
  } else {
    double r = roll_rate(bike);
    double speed = frame_speed(bike);
    double damping = r * s.roll_damping * st.landing_multiplier;
    if (st.landing_multiplier > 1) {
      st.landing_multiplier =
          s.land_damping_falloff <= 0
              ? 1
              : std::max(1.0, st.landing_multiplier -
                                  (s.land_damping_factor - 1) * w.step / s.land_damping_falloff);
    }
    double leveling = roll * s.leveling;
    if (speed < s.slow_damping_speed) {
      double k = s.slow_damping_factor +
                 (1 - s.slow_damping_factor) * std::clamp(speed / s.slow_damping_speed, 0.0, 1.0);
      damping *= k;
      leveling *= k;
    }
    if ((r < 0) == (roll < 0) && std::fabs(roll) > s.roll_limit_angle) {
      damping *= 1 + (std::fabs(roll) - s.roll_limit_angle) * s.roll_limit_factor;
    }
    term = damping + leveling;
    if (s.direct_steering < 1) {
      double gain = lean_gain(speed, s.max_dab_speed, s.roll_limit_angle);
      double rho = 2.5 * (-steering * gain - roll);
      bool upright_ward = (rho < 0 && roll >= 0) || (rho >= 0 && roll < 0);
      double cap = upright_ward ? 25 * kPi / 8 : 5 * kPi / 4;
      rho = std::clamp(rho, -cap, cap);
      double e = std::clamp(rho - r, -0.125, 0.125);
      double servo = std::clamp(4 * (r - (rho - e)), -1.0, 1.0);
      direct = s.direct_steering * direct + (1 - s.direct_steering) * s.steering_strength * servo;
    }
  }
  term = cooldown_term(term, st.collision_cooldown);
  apply_steering_torque(bike, std::clamp(1.5 * (term + direct), lo, hi));
  update_lock_factor(bike, v_f, lock, roll, angle, heading);
}

// Stands a fallen bike up, the way a rider lifts one: by its top (the bars and seat, 4 ft up
// the frame's own up axis), straight up. The pegs sit almost on the line the lying bike pivots
// about and give no leverage, so the lift acts where a hand would. It is a servo on the roll
// rate: it aims at 1 rad/s toward upright, easing off in the last 22 degrees so that the
// bike comes up without overshooting, and lifts with up to 1.5 times the weight of the bike
// and rider while the bike rights itself slower than that aim. Above the top point lies
// nothing to push against, so an upturned bike is lifted at full strength until it tips to a
// side.
void stand_up(Bike& bike) {
  constexpr double kAim = 1;  // rad/s toward upright
  constexpr double kEaseFrom = kPi / 8;
  constexpr double kStrength = 1.5;  // times the weight of bike and rider
  dBodyID frame = bike.bodies[kBodyFrame];
  double roll = frame_roll(bike);
  V3 up = to_world(frame, 0, 1, 0);
  double size = up[1] < 0 ? kPi / 2 : std::fabs(roll);
  double toward = roll >= 0 ? -1 : 1;  // the sign of a roll rate toward upright
  double aim = kAim * std::min(1.0, size / kEaseFrom);
  double shortfall = up[1] < 0 ? 1 : (aim - roll_rate(bike) * toward) / kAim;
  double weight = bike.total_mass * -kGravity;
  double force =
      std::clamp(shortfall, 0.0, 1.0) * kStrength * weight * std::min(1.0, size / (kPi / 16));
  if (force <= 0) return;
  V3 top = point_on(frame, 0, 4, 0);
  dBodyAddForceAtPos(frame, 0, force, 0, top[0], top[1], top[2]);
}

// Turns a bike that lies on its side back onto the line its rider was riding: a yaw servo
// about the world's up axis aiming at up to 1 rad/s toward the line's heading, with at most
// 800 lb-ft, enough to slide the tyres round on dirt.
void realign(Bike& bike) {
  constexpr double kMaxTorque = 800;  // lb-ft
  constexpr double kTurnRate = 1;     // rad/s at most
  const auto& line = bike.state.line_heading;
  if (line[0] == 0 && line[1] == 0) return;
  dBodyID frame = bike.bodies[kBodyFrame];
  V3 f = to_world(frame, 0, 0, -1);
  if (f[0] * f[0] + f[2] * f[2] < 1e-6) return;
  // Yaw measured about +y: positive turns -z toward -x.
  double error = std::remainder(std::atan2(-line[0], -line[1]) - std::atan2(-f[0], -f[2]), 2 * kPi);
  double target = std::clamp(2 * error, -kTurnRate, kTurnRate);
  double spin = dBodyGetAngularVel(frame)[1];
  double torque = std::clamp(kMaxTorque * (target - spin), -kMaxTorque, kMaxTorque);
  dBodyAddTorque(frame, 0, torque, 0);
}

void note_line_heading(Bike& bike) {
  constexpr double kRiding = 10 * 10;  // (ft/s)^2
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  double s2 = v[0] * v[0] + v[2] * v[2];
  if (s2 < kRiding) return;
  double s = std::sqrt(s2);
  bike.state.line_heading = {v[0] / s, v[2] / s};
}

// The points of the frame and the rider body the seat ropes join, in their own frames.
struct SeatRope {
  Vec3f on_frame, on_rider;
};

}  // namespace

double steering_servo(double target, double angle, double rate, double strength) {
  constexpr double kBand = 1.0 / 32;
  double e = target - angle;
  double d;
  if (e < -0.25) {
    d = -1.75 - rate;
  } else {
    e = std::min(e, 0.25);
    if (e >= kBand)
      d = 8 * (e - kBand) - rate;
    else if (e <= -kBand)
      d = 8 * (e + kBand) - rate;
    else
      d = -rate;
  }
  constexpr double kFine = 1.0 / 2400;
  d = d > kFine ? d - kFine : d < -kFine ? d + kFine : 0;
  return std::clamp(d / 2, -2.0 / 3, 2.0 / 3) * strength;
}

double lock_limit(const SetupBlock& s, double speed, double friction) {
  double v_r = std::max(s.full_lock_speed + 1.0, static_cast<double>(s.restricted_lock_speed));
  double w = std::clamp((1 / std::max(1.0, speed) - 1 / v_r) / (1 / s.full_lock_speed - 1 / v_r),
                        0.0, 1.0);
  double restricted = std::min(s.restricted_lock / std::max(0.125, friction), kFullLock);
  return restricted + (kFullLock - restricted) * w;
}

double cooldown_term(double term, int cooldown) {
  if (cooldown > 192) return -std::clamp((cooldown - 192) / 64.0, 0.0, 1.0) * term;
  if (cooldown > 0) {
    double cap = 200.0 * (192 - cooldown) / 192;
    return std::clamp(term, -cap, cap);
  }
  return term;
}

double lean_gain(double speed, double dab_speed, double roll_limit_angle) {
  if (speed <= 0) return 0;
  if (speed >= dab_speed) return 2 * kPi;
  double s2 = speed * speed;
  if (speed <= 15) {
    double f = 1 - std::clamp(s2 / (dab_speed * dab_speed), 0.0, 1.0);
    return (1 - f * f * f * f) * roll_limit_angle;
  }
  return roll_limit_angle + (2 * kPi - roll_limit_angle) *
                                std::clamp((s2 - 225) / (dab_speed * dab_speed - 225), 0.0, 1.0);
}

double frame_roll(const Bike& bike) {
  V3 up = to_world(bike.bodies[kBodyFrame], 0, 1, 0);
  V3 f = to_world(bike.bodies[kBodyFrame], 0, 0, -1);
  double h = std::sqrt(f[0] * f[0] + f[2] * f[2]);
  if (h <= 0) return 0;  // pointing straight up or down: no side to lean to
  V3 n = {-f[2] / h, 0, f[0] / h};
  return std::acos(std::clamp(dot(up, n), -1.0, 1.0)) - kPi / 2;
}

double front_wheel_heading(const Bike& bike) {
  V3 v = from_world(bike.bodies[kBodyForkUpper], dBodyGetLinearVel(bike.bodies[kBodyFrontWheel]));
  V3 d = fork_direction(bike.entry);
  double len = std::sqrt(d[1] * d[1] + d[2] * d[2]);
  // The fork's y-z perpendicular that points back along the bike, so rolling forward reads a
  // negative f and a straight roll a heading of 0.
  double f = (v[1] * -d[2] + v[2] * d[1]) / len;
  if (v[0] * v[0] + f * f <= 1) return 0;
  return -std::atan2(v[0], -f);
}

void apply_steering_torque(Bike& bike, double torque) {
  V3 d = fork_direction(bike.entry);
  V3 axis = to_world(bike.bodies[kBodyFrame], d[0], d[1], d[2]);
  dBodyAddTorque(bike.bodies[kBodyFrontWheel], torque * axis[0], torque * axis[1],
                 torque * axis[2]);
  dBodyAddTorque(bike.bodies[kBodyFrame], -torque * axis[0], -torque * axis[1], -torque * axis[2]);
}

void steer(World& w, Bike& bike) {
  if (bike.setup.arcade_physics) {
    if (bike.state.crash_timer == 0) arcade_steer(w, bike);
    return;
  }
  steering_assist(w, bike);
}

void damp_steering(Bike& bike) {
  dBodyID wheel = bike.bodies[kBodyFrontWheel];
  // The wheel's turning relative to the frame: damping its turning in the world instead would
  // hand the frame a torque along its own roll, and with the joint forces taken back from the
  // frame each step that tips a slow bike over.
  const dReal* own = dBodyGetAngularVel(wheel);
  const dReal* carried = dBodyGetAngularVel(bike.bodies[kBodyFrame]);
  V3 om = {own[0] - carried[0], own[1] - carried[1], own[2] - carried[2]};
  const auto& local = bike.wheels[kFrontWheel].axle_local;
  V3 a = to_world(wheel, local[0], local[1], local[2]);
  double spin = om[0] * a[0] + om[1] * a[1] + om[2] * a[2];
  double k = bike.setup.steering_damping;
  V3 t = {k * (a[0] * spin - om[0]), k * (a[1] * spin - om[1]), k * (a[2] * spin - om[2])};
  dBodyAddTorque(wheel, t[0], t[1], t[2]);
  dBodyAddTorque(bike.bodies[kBodyFrame], -t[0], -t[1], -t[2]);
}

void handle_fall(World& w, Bike& bike) {
  BikeWorkingState& st = bike.state;
  // A robot keeps the heading of its line there itself.
  if (st.crash_timer == 0 && bike.personality == 0) note_line_heading(bike);
  if (st.crash_timer <= 0 || st.crash_timer > kRealignTicks) return;
  const BikeEntry& e = bike.entry;
  dBodyID frame = bike.bodies[kBodyFrame];
  dBodyID rider = bike.bodies[kBodyRider];
  Vec3f seat{e.rider_position.x - e.frame_position.x, e.rider_position.y - e.frame_position.y,
             e.rider_position.z - e.frame_position.z};
  const SeatRope ropes[3] = {
      {seat, {0, 0, 0}},
      {{seat.x - 5, seat.y + 10, seat.z}, {-5, 10, 0}},
      {{seat.x + 5, seat.y + 10, seat.z}, {5, 10, 0}},
  };
  double length = 5 * std::clamp((st.crash_timer - 128) / 384.0, 0.0, 1.0);
  for (const SeatRope& r : ropes) tie_rope(w, frame, r.on_frame, rider, r.on_rider, length);
  if (st.crash_timer < kStandUpTicks) stand_up(bike);
  if (!bike.setup.auto_align || bike.controls.back_up > 0.125) return;
  double roll = std::fabs(frame_roll(bike));
  bool slow = bike.wheels[kFrontWheel].depth <= 0 || frame_speed(bike) < kCruiseSpeed;
  if (roll >= kPi / 8 && roll <= 0.35 * kPi && slow) realign(bike);
}

void roll_support(Bike& bike) {
  const SetupBlock& s = bike.setup;
  const BikeWorkingState& st = bike.state;
  if (st.crash_timer > 0 || bike.controls.dab == 0 || s.arcade_physics) return;
  if (st.collision_cooldown > 0) return;
  double speed = frame_speed(bike);
  double limit = s.max_dab_speed;
  if (st.collision_cooldown <= kCooldownDab) limit = std::max(limit, kCooldownDabSpeed);
  if (speed > limit) return;
  double roll = frame_roll(bike);
  double size = std::fabs(roll);
  if (speed > kCruiseSpeed) {
    bool grounded = bike.wheels[kFrontWheel].depth > 0 && bike.wheels[kRearWheel].depth > 0;
    if (!grounded || size < 3 * kPi / 16) return;
  }
  double toward = roll >= 0 ? -1 : 1;  // the sign of a roll rate toward upright
  double aim = kPi / 8 * (s.auto_dab && st.collision_cooldown < 0 ? 3 : 1);
  aim *= std::min(1.0, size / (kPi / 16));
  double r = roll_rate(bike) * toward;  // how fast the bike comes upright
  if (r >= aim) return;
  double force = kSupportForce * std::min(1.0, size / (kPi / 32));
  if (bike.controls.back_up < 0.125) {
    // Steering into the lean means the rider wants it: the foot gives way in proportion.
    // Through the lean servo the steering asks for a lean on the other side of it from what
    // the bars do, so there the sense flips: read as the bars, a rider pulling the bike up
    // would have the foot taken away just as he needs it.
    double bars = std::max(0.0, -bike.controls.steering * toward);
    double lean = std::max(0.0, bike.controls.steering * toward);
    double into = s.direct_steering * bars + (1 - s.direct_steering) * lean;
    force *= std::clamp(1 - into, 0.0, 1.0);
  }
  if (speed > kWalkingSpeed) force *= st.lock_factor;
  if (force <= 0) return;

  dBodyID frame = bike.bodies[kBodyFrame];
  V3 up = to_world(frame, 0, 1, 0);
  V3 top = point_on(frame, 0, 4, 0);
  if (up[1] < std::cos(kPi / 4)) {
    dBodyAddForceAtPos(frame, 0, force, 0, top[0], top[1], top[2]);
    return;
  }
  // Upright enough: a horizontal push at the top of the frame (4 ft up its own up axis)
  // toward upright and the opposite push at the frame's centre. The pair adds no net force,
  // so the bike is not slid along the ground or lifted off its tyres; it only turns the
  // frame, with up to 400 lb x 4 ft = 1600 lb-ft, which holds a stopped bike with its rider
  // on a foot out to the 45 degrees where the lift above takes over.
  V3 f = to_world(frame, 0, 0, -1);
  double h = std::sqrt(f[0] * f[0] + f[2] * f[2]);
  if (h <= 0) return;
  V3 right = {-f[2] / h, 0, f[0] / h};
  double side = roll >= 0 ? 1 : -1;  // a left lean is pushed to the right
  V3 push = {right[0] * force * side, 0, right[2] * force * side};
  dBodyAddForceAtPos(frame, push[0], 0, push[2], top[0], top[1], top[2]);
  dBodyAddForce(frame, -push[0], 0, -push[2]);
}

}  // namespace br
