#include "shell/stability.h"

#include "bike/stability_presets.h"

namespace br {
namespace {

// The settings in the order of the preset table's values.
constexpr NumberSetting BikeSetup::*kAssistSettings[kAssistKeys] = {
    &BikeSetup::leveling,
    &BikeSetup::roll_damping,
    &BikeSetup::roll_limit_angle,
    &BikeSetup::roll_limit_factor,
    &BikeSetup::steering_damping,
    &BikeSetup::steering_strength,
    &BikeSetup::direct_steering,
    &BikeSetup::max_steering_force,
    &BikeSetup::slow_damping_speed,
    &BikeSetup::slow_damping_factor,
    &BikeSetup::land_damping_falloff,
    &BikeSetup::land_damping_factor,
    &BikeSetup::full_lock_speed,
    &BikeSetup::restricted_lock_speed,
    &BikeSetup::restricted_lock,
};

}  // namespace

int apply_stability(BikeSetup& setup, double stability) {
  AssistValues values;
  int level = stability_preset(stability, values);
  for (int k = 0; k < kAssistKeys; ++k) number_set(setup.*kAssistSettings[k], values[size_t(k)]);
  return level;
}

}  // namespace br
