#include "shell/stability.h"

#include <algorithm>
#include <cmath>

namespace br {
namespace {

constexpr int kLevels = 6;

struct PresetRow {
  NumberSetting BikeSetup::*setting;
  double level[kLevels];
};

// Low stability leaves the rider to balance the bike; high stability damps the roll, keeps
// the lock tight at speed and drops the direct steering. Angles in degrees.
constexpr PresetRow kPresets[] = {
    {&BikeSetup::leveling, {20, 20, 20, 20, 20, 20}},
    {&BikeSetup::roll_damping, {40, 50, 60, 70, 75, 80}},
    {&BikeSetup::roll_limit_angle, {90, 45, 45, 40, 35, 35}},
    {&BikeSetup::roll_limit_factor, {0, 5, 10, 32, 32, 32}},
    {&BikeSetup::steering_damping, {45, 45, 45, 45, 45, 45}},
    {&BikeSetup::steering_strength, {75, 75, 75, 75, 75, 75}},
    {&BikeSetup::direct_steering, {1, 1, 1, 1, 1, 0}},
    {&BikeSetup::max_steering_force, {400, 400, 400, 400, 400, 400}},
    {&BikeSetup::slow_damping_speed, {40, 40, 40, 40, 40, 40}},
    {&BikeSetup::slow_damping_factor, {1, 1, 1.5, 2, 2, 2}},
    {&BikeSetup::land_damping_falloff, {0, 0.125, 0.25, 0.25, 0.25, 0.25}},
    {&BikeSetup::land_damping_factor, {1, 1.5, 2, 2, 2, 2}},
    {&BikeSetup::full_lock_speed, {10, 10, 10, 10, 10, 10}},
    {&BikeSetup::restricted_lock_speed, {50, 50, 50, 50, 50, 50}},
    {&BikeSetup::restricted_lock, {45, 15, 10, 5, 5, 5}},
};

}  // namespace

int apply_stability(BikeSetup& setup, double stability) {
  double whole = std::trunc(stability);
  double c = std::isnan(whole) ? 0.0 : std::clamp(whole * 5 * 0.01, 0.0, 5.0);
  int level = std::clamp(static_cast<int>(std::floor(c)), 0, kLevels - 2);
  double t = c - level;
  for (const PresetRow& row : kPresets) {
    double v = row.level[level] + t * (row.level[level + 1] - row.level[level]);
    number_set(setup.*row.setting, v);
  }
  return level;
}

}  // namespace br
