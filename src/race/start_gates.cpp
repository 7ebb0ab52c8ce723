#include "race/start_gates.h"

#include <algorithm>
#include <cmath>

#include "bike/bike.h"
#include "bike/controls.h"
#include "files/messages.h"
#include "track/scenery.h"

namespace br {
namespace {

// The gate model lies flat as it is after the drop, hinged along its x axis; a standing gate
// is the flat one turned up about that hinge on top of its ground-aligned orientation.
void tilt_gate(Statue& statue, float drop) {
  orient_statue(statue);
  float a = drop * kGateStandingTilt;
  float c = std::cos(a), s = std::sin(a);
  std::array<float, 9>& m = statue.orientation;
  for (int r = 0; r < 3; ++r) {
    float y = m[size_t(r * 3 + 1)], z = m[size_t(r * 3 + 2)];
    m[size_t(r * 3 + 1)] = y * c + z * s;
    m[size_t(r * 3 + 2)] = -y * s + z * c;
  }
}

void set_gate(World& w, StartGate& gate, float drop) {
  gate.drop = drop;
  std::vector<Statue>& statues = w.track.scenery.statues;
  if (gate.statue >= 0 && gate.statue < static_cast<int>(statues.size())) {
    tilt_gate(statues[static_cast<size_t>(gate.statue)], drop);
  }
}

}  // namespace

bool race_started(const World& w) {
  return w.frame > w.race_start_frame;
}

void set_start_gates(World& w, float drop) {
  for (StartGate& gate : w.track.timing.starts) set_gate(w, gate, drop);
}

void start_gate_step(World& w) {
  int32_t until = w.race_start_frame + kGateAnimationSteps;
  if (w.connected && w.session.race_position == kNoRacePosition) until += kSpectatorDelaySteps;
  if (w.frame > until || !race_started(w)) return;
  float fall = kGateDropPerSecond * static_cast<float>(w.step);
  for (StartGate& gate : w.track.timing.starts) {
    if (gate.statue < 0 || gate.drop <= 0) continue;
    set_gate(w, gate, std::max(gate.drop - fall, 0.0f));
  }
}

void false_start_step(World& w, int slot) {
  RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  if (!s.bike) return;
  int32_t& hold = w.session.false_start_hold;
  if (hold <= 0 && !race_started(w)) {
    const dReal* p = dBodyGetPosition(s.bike->bodies[kBodyFrame]);
    const std::array<double, 3>& start = w.session.local_start;
    double dx = p[0] - start[0], dy = p[1] - start[1], dz = p[2] - start[2];
    if (dx * dx + dy * dy + dz * dz >= kFalseStartDistance * kFalseStartDistance) {
      hold = w.race_start_frame + kFalseStartPenaltySteps - w.frame;
      show_message("15 second false start penalty");
    }
  }
  if (hold <= 0) return;
  --hold;
  Bike& bike = *s.bike;
  set_front_brake(bike, 1);
  set_rear_brake(bike, 1);
  set_throttle(bike, 0);
  set_clutch(bike, 0);
  set_back_up(bike, 0);
  set_dab(bike, 1);
}

}  // namespace br
