// The engine's torque curves: what the crankshaft gives at full and at closed throttle,
// sampled every 500 rpm from 0 rpm.
#pragma once

#include <array>
#include <string>

namespace br {

constexpr int kTorqueSamples = 50;
constexpr float kTorqueSampleRpm = 500;
using TorqueTable = std::array<float, kTorqueSamples>;  // lb-ft

struct EngineCurves {
  const TorqueTable* open_throttle = nullptr;
  const TorqueTable* closed_throttle = nullptr;
};

// The curves of a catalogue model; both null for a name the catalogue does not hold.
EngineCurves engine_curves(const std::string& model_name);

}  // namespace br
