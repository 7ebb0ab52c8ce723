// The setup a bike is ridden with: suspension, rider springs, assists, brakes and gearing.
// The setup menu and the bike setup file change it; building a bike gives these defaults.
#pragma once

#include "bike/catalogue.h"

namespace br {

struct SetupBlock {
  float final_drive = 0;  // rear teeth over front teeth

  // Suspension, in the catalogue's units.
  float fork_compression = 0, fork_rebound = 0;  // lb per ft/s
  float fork_spring = 0;                         // lb/ft, both legs
  float fork_preload = 0;                        // ft
  float fork_oil_level = 0;                      // ft of air gap
  float shock_compression = 0, shock_rebound = 0;
  float shock_spring = 0;
  float shock_preload = 0;

  // The rider's hold on the bike, fractions in [0, 1].
  float rider_y_spring = 0.5f, rider_y_damping = 0.5f;
  float rider_z_spring = 0.5f, rider_z_damping = 0.5f;

  // Assists.
  float roll_damping = 60;
  float leveling = 20;
  float roll_limit_factor = 10;
  float roll_limit_angle = 0.785398163f;  // rad, 45 degrees
  float steering_damping = 45;
  float steering_strength = 75;
  float max_steering_force = 400;
  float direct_steering = 1;
  float slow_damping_speed = 0;  // ft/s
  float slow_damping_factor = 1;
  float land_damping_falloff = 0.25f;
  float land_damping_factor = 2;
  float auto_clutch_rpm = 5000;
  float brake_torque = 250;       // lb-ft
  float rear_brake_torque = 250;  // lb-ft
  float max_dab_speed = 30;       // ft/s
  float full_lock_speed = 10;     // ft/s
  float restricted_lock_speed = 50;
  float restricted_lock = 0.0873f;  // rad, 5 degrees

  bool front_brake_mode = true;  // front antilock
  bool rear_antilock = false;
  int stop_wheelies = 2;  // 0 none, 1 wheelie cut and stoppie release, 2 stoppie release only
  bool auto_shift = false;
  bool auto_dab = false;
  bool auto_align = true;
  bool arcade_physics = false;
  bool out_of_range = false;  // a setting was applied far outside its range
};

inline bool wheelie_cut(const SetupBlock& s) {
  return s.stop_wheelies == 1;
}
inline bool stoppie_release(const SetupBlock& s) {
  return s.stop_wheelies == 1 || s.stop_wheelies == 2;
}

SetupBlock default_setup(const BikeEntry& entry);

}  // namespace br
