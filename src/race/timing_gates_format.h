// The track's "timing_gates" file: the starting gates (start positions), the timing gates and
// the first-lap and normal-lap lists of gate references.
#pragma once

#include <string>
#include <vector>

namespace br {

constexpr int kMaxStartPositions = 160;
constexpr int kMaxTimingGates = 256;
constexpr int kMaxLapReferences = 256;
// A reference plus this flag times like the plain one but stays out of the robots' lines.
constexpr int kGateNotLearnedFlag = 100000;

constexpr const char* kDefaultStartGateModel = "@startgate.jm";
constexpr const char* kDefaultStartGateTexture = "@startgate.ppm";
constexpr const char* kDefaultStartGateShape = "@startgate.shp";
// How far ahead of its start position a start-gate object stands, in feet.
constexpr float kStartGateOffset = 3.0f;

struct StartPosition {
  float x = 0, y = 0, z = 0;  // feet; y above the ground
  float yaw = 0;              // radians; the bike faces (-sin yaw, 0, -cos yaw)
  // Empty names mean the three defaults above; "null" means none.
  std::string model, texture, shape;
};

struct TimingGate {
  float radius = 0;  // feet
  float cx = 0, cy = 0, cz = 0;
  float dx = 0, dy = 0, dz = 0;  // direction of travel through the gate
};

struct TimingGatesFile {
  std::vector<StartPosition> starts;
  std::vector<TimingGate> gates;
  std::vector<int> first_lap;
  std::vector<int> normal_lap;
};

// The file as the game writes it back; sections without entries are left out.
std::string format_timing_gates(const TimingGatesFile& file);

}  // namespace br
