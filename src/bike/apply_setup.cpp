#include "bike/apply_setup.h"

#include <algorithm>
#include <cmath>

#include "platform/log.h"
#include "world/world.h"

namespace br {
namespace {

constexpr double kStandingSpeed = 0.125;  // ft/s
constexpr double kRefusalMemory = 10;     // seconds
constexpr double kMphToFtPerSec = 1.466666666666666563;

bool is(const ChoiceSetting& c, const char* text) {
  return c.text() == text;
}

// Damping as a factor of the catalogue's base: half at setting 0, double at 100.
float damping(float base, double setting, bool& far_out) {
  return base * clamp_setting(std::pow(2.0, setting * 0.02 - 1), 0.5, 2, far_out);
}

float between(float low, float high, double setting, bool& far_out) {
  return low + clamp_setting(setting * 0.01, 0, 1, far_out) * (high - low);
}

double frame_speed(const Bike& bike) {
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

void set_masses(Bike& bike, double share) {
  const BikeEntry& e = bike.entry;
  dMass m;
  dMassSetBoxTotal(&m, e.frame_mass + (1 - share) * e.rider_mass, e.frame_box.x, e.frame_box.y,
                   e.frame_box.z);
  dBodySetMass(bike.bodies[kBodyFrame], &m);
  dMassSetSphereTotal(&m, share * e.rider_mass, 1);
  dBodySetMass(bike.bodies[kBodyRider], &m);
}

}  // namespace

float clamp_setting(double v, double lo, double hi, bool& far_out) {
  double margin = (hi - lo) / 8;
  // NaN is as far out as a value gets.
  if (!(v >= lo - margin && v <= hi + margin)) far_out = true;
  if (std::isnan(v)) return static_cast<float>(lo);
  return static_cast<float>(std::clamp(v, lo, hi));
}

bool apply_bike_setup(Bike& bike, const BikeSetup& in, double now) {
  if (frame_speed(bike) > kStandingSpeed) {
    if (now - bike.setup_refused_at < kRefusalMemory) {
      kota::log_printf("Settings not applied.  Mechanic can't keep up error.\n");
    }
    bike.setup_refused_at = now;
    return false;
  }
  const BikeEntry& e = bike.entry;
  SetupBlock& s = bike.setup;
  bool far = false;

  double front = clamp_setting(in.front_sprocket_adjustment.value, -2, 2, far);
  double rear = clamp_setting(in.rear_sprocket_adjustment.value, -2, 2, far);
  s.final_drive = static_cast<float>(std::max(3.0, std::floor(e.rear_sprocket + rear)) /
                                     std::max(3.0, std::floor(e.front_sprocket + front)));

  s.fork_compression = damping(e.fork_compression_base, in.fork_compression_adjustment.value, far);
  s.fork_rebound = damping(e.fork_rebound_base, in.fork_rebound_adjustment.value, far);
  s.fork_spring =
      between(e.fork_spring_soft, e.fork_spring_hard, in.fork_spring_rate_adjustment.value, far);
  s.fork_preload =
      between(e.fork_preload_low, e.fork_preload_high, in.fork_preload_adjustment.value, far);
  s.fork_oil_level =
      between(e.fork_oil_low, e.fork_oil_high, in.fork_oil_level_adjustment.value, far);
  s.shock_compression =
      damping(e.shock_compression_base, in.shock_compression_adjustment.value, far);
  s.shock_rebound = damping(e.shock_rebound_base, in.shock_rebound_adjustment.value, far);
  s.shock_spring =
      between(e.shock_spring_soft, e.shock_spring_hard, in.shock_spring_rate_adjustment.value, far);
  s.shock_preload =
      between(e.shock_preload_low, e.shock_preload_high, in.shock_preload_adjustment.value, far);

  s.rider_y_spring = clamp_setting(in.rider_yspring.value * 0.01, 0, 1, far);
  s.rider_y_damping = clamp_setting(in.rider_ydamping.value * 0.01, 0, 1, far);
  s.rider_z_spring = clamp_setting(in.rider_zspring.value * 0.01, 0, 1, far);
  s.rider_z_damping = clamp_setting(in.rider_zdamping.value * 0.01, 0, 1, far);
  double share = clamp_setting(in.rider_mass_distribution.value, 0.33, 0.5, far);

  constexpr double kDegrees = 0.017453292519943295;
  s.leveling = clamp_setting(in.leveling.value, 0, 100, far);
  s.roll_damping = clamp_setting(in.roll_damping.value, 0, 100, far);
  s.roll_limit_angle = clamp_setting(in.roll_limit_angle.value * kDegrees, 0, M_PI, far);
  s.roll_limit_factor = clamp_setting(in.roll_limit_factor.value, 0, 64, far);
  s.steering_damping = clamp_setting(in.steering_damping.value, 0, 100, far);
  s.steering_strength = clamp_setting(in.steering_strength.value, 0, 100, far);
  s.max_steering_force = clamp_setting(in.max_steering_force.value, 0, 1000, far);
  s.direct_steering = clamp_setting(in.direct_steering.value, 0, 1, far);
  s.slow_damping_speed = clamp_setting(in.slow_damping_speed.value, 0, 100, far);
  s.slow_damping_factor = clamp_setting(in.slow_damping_factor.value, 1, 10, far);
  s.land_damping_falloff = clamp_setting(in.land_damping_falloff.value, 0, 0.5, far);
  s.land_damping_factor = clamp_setting(in.land_damping_factor.value, 1, 3, far);
  s.full_lock_speed = clamp_setting(in.full_lock_speed.value, 1, 100, far);
  s.restricted_lock_speed = clamp_setting(in.restricted_lock_speed.value, 1, 100, far);
  s.restricted_lock = clamp_setting(in.restricted_lock.value * kDegrees, 0, M_PI / 4, far);

  s.brake_torque = clamp_setting(in.brake_torque.value, 0, 500, far);
  s.rear_brake_torque = clamp_setting(in.rear_brake_torque.value, 0, 500, far);
  s.auto_clutch_rpm = clamp_setting(in.auto_clutch_rpms.value, 0, 5000, far);
  s.max_dab_speed = clamp_setting(in.max_dab_speed.value * kMphToFtPerSec, 7, 100, far);

  s.front_brake_mode = is(in.front_brake, "Antilock");
  s.rear_antilock = is(in.rear_brake, "Antilock");
  s.stop_wheelies = is(in.stop_wheelies, "Yes") ? 1 : is(in.stop_wheelies, "Front Only") ? 2 : 0;
  s.auto_shift = is(in.auto_shift, "Yes");
  s.auto_dab = is(in.auto_dab, "Yes");
  s.auto_align = is(in.auto_align, "Yes");
  // A server that does not allow arcade physics has the last word until the connection ends.
  s.arcade_physics = is(in.arcade, "Yes") && !g_world.net.no_arcade;
  s.out_of_range = far;

  set_masses(bike, share);
  return true;
}

}  // namespace br
