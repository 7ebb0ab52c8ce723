#include "race/grid.h"

#include <algorithm>
#include <cmath>

#include "bike/terrain_contacts.h"
#include "race/laps.h"
#include "race/rider_timing.h"
#include "race/standings.h"

namespace br {
namespace {

// Heights beyond any track: a ground that never lets the bike clear it (broken data) must not
// hold the set-up in a loop.
constexpr int kMaxRaises = 40000;

}  // namespace

GridSpot grid_spot(int position, const std::vector<StartGate>& starts, float extent) {
  GridSpot spot;
  if (starts.empty()) {
    spot.x = extent * 0.5 + kGridNoGateSpacing * position;
    spot.z = extent * 0.5;
    return spot;
  }
  int g = static_cast<int>(starts.size());
  const StartPosition& gate = starts[static_cast<size_t>(position % g)].position;
  double back = (position / g + kGridFirstRow) * kGridRowSpacing;
  spot.heading = gate.yaw;
  spot.x = gate.x + std::sin(spot.heading) * back;
  spot.z = gate.z + std::cos(spot.heading) * back;
  return spot;
}

std::vector<int> network_grid(const std::vector<bool>& server_slot, int local_slot,
                              int race_position, int gates) {
  std::vector<int> at(server_slot.size(), -1);
  int local_at = -1;
  if (local_slot >= 0 && local_slot < static_cast<int>(at.size())) {
    local_at = race_position >= 0 && race_position < 160 ? race_position : 0;
    at[static_cast<size_t>(local_slot)] = local_at;
  }
  int next = std::max(gates, 0);
  for (size_t i = 0; i < server_slot.size(); ++i) {
    if (!server_slot[i] || static_cast<int>(i) == local_slot) continue;
    if (next == local_at) ++next;
    at[i] = next++;
  }
  return at;
}

float sample_height(const Terrain& t, double x, double z) {
  if (!t.loaded() || t.heights.empty()) return 0.0f;
  auto cell = [&](double v) {
    double c = std::floor(v / t.spacing);
    if (!(c >= 0)) return 0;  // also NaN
    return static_cast<int>(std::min(c, double(t.side - 1)));
  };
  return t.heights[static_cast<size_t>(cell(x) + t.side * cell(z))];
}

void place_on_ground(Bike& bike, const Terrain& t, double x, double z, double heading) {
  dMatrix3 r;
  dRFromAxisAndAngle(r, 0, 1, 0, heading);
  double y = sample_height(t, x, z);
  for (int i = 0;; ++i) {
    place_bike(bike, {x, y, z}, r, {0, 0, 0});
    if (i >= kMaxRaises || !bike_touches_ground(t, bike)) break;
    y += kPlacementRaise;
  }
}

bool place_before_lap_line(World& w, int slot) {
  RiderSlot& rider = w.slots[static_cast<size_t>(slot)];
  const TrackTiming& timing = w.track.timing;
  LapShape shape = lap_shape(timing);
  int position = std::max(shape.first - 2, 0);
  int gate = sequence_gate(timing, position);
  if (!rider.bike || gate < 0 || gate >= static_cast<int>(timing.gates.size())) return false;
  const TimingGate& g = timing.gates[static_cast<size_t>(gate)];
  place_on_ground(*rider.bike, w.track.terrain, g.cx, g.cz, std::atan2(-g.dx, -g.dz));
  if (w.physics.contacts) dJointGroupEmpty(w.physics.contacts);
  reset_rider_gates(rider.timing, position);
  update_standings(w);
  return true;
}

}  // namespace br
