#include "bike/stability_presets.h"

#include <algorithm>
#include <cmath>

namespace br {
namespace {

constexpr int kLevels = 6;
constexpr double kDegrees = 0.017453292519943295;

// Low stability leaves the rider to balance the bike; high stability damps the roll, keeps
// the lock tight at speed and drops the direct steering. Angles in degrees.
constexpr double kPresets[kAssistKeys][kLevels] = {
    {20, 20, 20, 20, 20, 20},           // leveling
    {40, 50, 60, 70, 75, 80},           // roll damping
    {90, 45, 45, 40, 35, 35},           // roll limit angle
    {0, 5, 10, 32, 32, 32},             // roll limit factor
    {45, 45, 45, 45, 45, 45},           // steering damping
    {75, 75, 75, 75, 75, 75},           // steering strength
    {1, 1, 1, 1, 1, 0},                 // direct steering
    {400, 400, 400, 400, 400, 400},     // max steering force
    {40, 40, 40, 40, 40, 40},           // slow damping speed
    {1, 1, 1.5, 2, 2, 2},               // slow damping factor
    {0, 0.125, 0.25, 0.25, 0.25, 0.25},  // land damping falloff
    {1, 1.5, 2, 2, 2, 2},               // land damping factor
    {10, 10, 10, 10, 10, 10},           // full lock speed
    {50, 50, 50, 50, 50, 50},           // restricted lock speed
    {45, 15, 10, 5, 5, 5},              // restricted lock
};

}  // namespace

int stability_preset(double stability, AssistValues& out) {
  double whole = std::trunc(stability);
  double c = std::isnan(whole) ? 0.0 : std::clamp(whole * 5 * 0.01, 0.0, 5.0);
  int level = std::clamp(static_cast<int>(std::floor(c)), 0, kLevels - 2);
  double t = c - level;
  for (int k = 0; k < kAssistKeys; ++k) {
    const double* row = kPresets[k];
    out[size_t(k)] = row[level] + t * (row[level + 1] - row[level]);
  }
  return level;
}

void set_assists(SetupBlock& s, const AssistValues& v) {
  auto f = [&v](AssistKey k) { return static_cast<float>(v[size_t(k)]); };
  s.leveling = f(kAssistLeveling);
  s.roll_damping = f(kAssistRollDamping);
  s.roll_limit_angle = static_cast<float>(v[kAssistRollLimitAngle] * kDegrees);
  s.roll_limit_factor = f(kAssistRollLimitFactor);
  s.steering_damping = f(kAssistSteeringDamping);
  s.steering_strength = f(kAssistSteeringStrength);
  s.direct_steering = f(kAssistDirectSteering);
  s.max_steering_force = f(kAssistMaxSteeringForce);
  s.slow_damping_speed = f(kAssistSlowDampingSpeed);
  s.slow_damping_factor = f(kAssistSlowDampingFactor);
  s.land_damping_falloff = f(kAssistLandDampingFalloff);
  s.land_damping_factor = f(kAssistLandDampingFactor);
  s.full_lock_speed = f(kAssistFullLockSpeed);
  s.restricted_lock_speed = f(kAssistRestrictedLockSpeed);
  s.restricted_lock = static_cast<float>(v[kAssistRestrictedLock] * kDegrees);
}

}  // namespace br
