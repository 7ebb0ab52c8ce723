// The stability presets: one "Stability" value from 0 to 100 picks the fifteen steering
// assist values by interpolating between six levels of a table. The settings menu fills the
// rider's settings from it; robots' bikes get the highest level as they are built.
#pragma once

#include <array>

#include "bike/setup_block.h"

namespace br {

// The fifteen assist values in table order.
enum AssistKey {
  kAssistLeveling,
  kAssistRollDamping,
  kAssistRollLimitAngle,  // degrees
  kAssistRollLimitFactor,
  kAssistSteeringDamping,
  kAssistSteeringStrength,
  kAssistDirectSteering,
  kAssistMaxSteeringForce,
  kAssistSlowDampingSpeed,
  kAssistSlowDampingFactor,
  kAssistLandDampingFalloff,
  kAssistLandDampingFactor,
  kAssistFullLockSpeed,
  kAssistRestrictedLockSpeed,
  kAssistRestrictedLock,  // degrees
  kAssistKeys
};

using AssistValues = std::array<double, kAssistKeys>;

// The values for `stability` (truncated to a whole number, clamped to 0..100; NaN counts as
// 0), angles in degrees as the settings hold them; returns the lower table level used (0..4).
int stability_preset(double stability, AssistValues& out);

// Writes the values into a bike's setup block as applying a rider's settings would, angles
// in radians.
void set_assists(SetupBlock& s, const AssistValues& v);

}  // namespace br
