#include "pilot/pilot.h"

#include <algorithm>
#include <cmath>

#include "bike/assists.h"
#include "bike/bike.h"
#include "bike/controls.h"
#include "race/laps.h"
#include "race/start_gates.h"

namespace br {
namespace {

// How a careful rider rides, in feet and seconds.
constexpr double kTopSpeed = 48.0;       // ft/s, about 33 mph
constexpr double kCornerGrip = 10.0;     // ft/s^2 of sideways pull he is happy with
constexpr double kBraking = 7.0;         // ft/s^2 he plans to brake with
constexpr double kPlanDistance = 250.0;  // feet of path he looks down
constexpr double kReactionSteps = 38;    // the gate falls, he goes 0.3 s later
constexpr int kGatesAhead = 4;
constexpr int kBendWindow = 5;  // samples each side when judging a bend
// Over a crest faster than sqrt(g / curve) the wheels leave the ground; he allows a little
// air, never a launch.
constexpr double kCrestPull = 1.5 * 32.0;  // ft/s^2
constexpr double kCrawlSpeed = 2.0;        // ft/s; slower than this with the throttle open
constexpr int kStuckSteps = 3 * 128;       // for this long means stuck
constexpr int kBackOutSteps = 2 * 128 + 64;

struct Motion {
  double x = 0, z = 0;
  double heading = 0;  // radians; 0 faces -z, positive turns left
  double speed = 0;    // ft/s along the bike's own forward direction
  double pitch = 0;    // radians, nose up positive
  double climb = 0;    // radians, the direction of travel above the horizontal
  bool front_down = false, rear_down = false;  // the wheels touch the ground
};

Motion motion_of(const Bike& bike) {
  Motion m;
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  dVector3 f;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 0, -1, f);
  m.x = p[0], m.z = p[2];
  m.heading = std::atan2(-f[0], -f[2]);
  double flat = std::hypot(f[0], f[2]);
  m.speed = flat > 1e-6 ? (v[0] * f[0] + v[2] * f[2]) / flat : 0;
  m.pitch = std::asin(std::clamp(static_cast<double>(f[1]), -1.0, 1.0));
  m.climb = std::atan2(v[1], std::hypot(v[0], v[2]));
  m.front_down = bike.wheels[kFrontWheel].depth > 0;
  m.rear_down = bike.wheels[kRearWheel].depth > 0;
  return m;
}

PathStart gate_start(const TrackTiming& timing, int position, const PathStart& fallback) {
  int g = sequence_gate(timing, position);
  if (g < 0 || g >= static_cast<int>(timing.gates.size())) return fallback;
  const TimingGate& gate = timing.gates[static_cast<size_t>(g)];
  double len = std::hypot(gate.dx, gate.dz);
  if (len < 1e-6) return {gate.cx, gate.cz, fallback.dx, fallback.dz};
  return {gate.cx, gate.cz, gate.dx / len, gate.dz / len};
}

void make_path(Pilot& pilot, const World& w, int gates_passed) {
  // The line starts where the bike started, or at the last gate it passed.
  PathStart from =
      gates_passed == 0 ? pilot.spawn : gate_start(w.track.timing, gates_passed - 1, pilot.spawn);
  pilot.path = pilot_path(w.track.timing, w.track.terrain, from, gates_passed, kGatesAhead);
  pilot.path_position = gates_passed;
}

// The fastest he would go at sample i, braking in time for every bend he can see.
double planned_speed(const std::vector<PathSample>& path, size_t i, double pace) {
  const double top = kTopSpeed * pace, grip = kCornerGrip * pace * pace;
  double target = top;
  double from = path[i].along;
  for (size_t j = i; j < path.size() && path[j].along - from < kPlanDistance; ++j) {
    size_t a = j >= kBendWindow ? j - kBendWindow : 0;
    size_t b = std::min(j + kBendWindow, path.size() - 1);
    double bend = 0;
    for (size_t k = a; k <= b; ++k) bend += path[k].bend;
    bend = std::fabs(bend) / static_cast<double>(b - a + 1);
    double corner = bend > 1e-6 ? std::sqrt(grip / bend) : top;
    if (path[j].crest > 1e-6) corner = std::min(corner, std::sqrt(kCrestPull / path[j].crest));
    double d = path[j].along - from;
    target = std::min(target, std::sqrt(corner * corner + 2 * kBraking * d));
  }
  return target;
}

void hold_still(Bike& bike) {
  set_throttle(bike, 0);
  set_front_brake(bike, 1);
  set_rear_brake(bike, 1);
  set_steering(bike, 0);
  set_back_up(bike, 0);
}

void let_go(Bike& bike) {
  set_throttle(bike, 0);
  set_front_brake(bike, 0);
  set_rear_brake(bike, 0);
  set_steering(bike, 0);
  set_back_up(bike, 0);
}

}  // namespace

Pilot pilot_take(const World& w, int slot) {
  Pilot pilot;
  pilot.slot = slot;
  const RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  if (s.bike) {
    Motion m = motion_of(*s.bike);
    pilot.spawn = {m.x, m.z, -std::sin(m.heading), -std::cos(m.heading)};
  }
  return pilot;
}

void pilot_drive(Pilot& pilot, World& w) {
  if (pilot.slot < 0) return;
  RiderSlot& s = w.slots[static_cast<size_t>(pilot.slot)];
  if (!s.bike) return;
  Bike& bike = *s.bike;
  set_clutch(bike, 1);
  set_lean(bike, 0);
  set_dab(bike, 0);
  request_shift(bike, 0);
  if (w.frame < w.race_start_frame + kReactionSteps || !lap_shape(w.track.timing).timed()) {
    hold_still(bike);
    return;
  }
  if (crashed(bike)) {
    // Down: let the bike be until he is back on it.
    let_go(bike);
    pilot.slow_steps = pilot.backing_steps = 0;
    return;
  }
  int passed = s.timing.gates_passed;
  if (passed != pilot.path_position || pilot.path.size() < 2) make_path(pilot, w, passed);
  if (pilot.path.size() < 2) {
    hold_still(bike);
    return;
  }

  Motion m = motion_of(bike);
  size_t i = nearest_sample(pilot.path, m.x, m.z, passed);
  double look = std::clamp(m.speed * 0.6, 12.0, 36.0);
  const size_t aim_at = sample_ahead(pilot.path, i, look);
  const PathSample& aim = pilot.path[aim_at];
  // This lap's way of riding: a few feet to one side of the gate line, a little faster or
  // slower, never the same two laps running.
  int lap = laps_completed(lap_shape(w.track.timing), passed);
  double side = pilot.swing * std::sin(lap * 2.3 + 0.7);
  double pace = pilot.pace * (1.0 + 0.05 * std::min(pilot.swing, 1.0) * std::sin(lap * 1.7));
  double ax = aim.x, az = aim.z;
  if (side != 0 && aim_at + 1 < pilot.path.size()) {
    const PathSample& on = pilot.path[aim_at + 1];
    double dx = on.x - aim.x, dz = on.z - aim.z, len = std::hypot(dx, dz);
    if (len > 1e-6) ax += -dz / len * side, az += dx / len * side;
  }
  double want = std::atan2(-(ax - m.x), -(az - m.z));
  double off = std::remainder(want - m.heading, 2 * M_PI);  // positive: the line is to his left

  if (pilot.backing_steps > 0) {
    // Rolling back out of whatever stopped him, turning the nose toward the line.
    --pilot.backing_steps;
    set_throttle(bike, 0);
    set_front_brake(bike, 0);
    set_rear_brake(bike, 0);
    set_back_up(bike, 1);
    set_steering(bike, static_cast<float>(off > 0 ? -1 : 1));
    return;
  }
  set_back_up(bike, 0);

  double target = planned_speed(pilot.path, i, pace);
  // Facing away from the line he slows right down to turn round.
  target = std::min(target, 8.0 + (kTopSpeed * pace - 8.0) * std::max(0.0, std::cos(off)));

  // Full lock leans the bike right over; standing nearly still that only lays it down.
  double limit = std::clamp(std::min(0.5 + m.speed / 20.0, 1.0 - m.speed / 80.0), 0.4, 1.0);
  set_steering(bike, static_cast<float>(std::clamp(-2.0 * off, -limit, limit)));

  if (!m.front_down && !m.rear_down) {
    // In the air: bring the bike level with the ground it will land on, the rear wheel's
    // spin lifting the nose and its brake dropping it.
    const PathSample& land = pilot.path[sample_ahead(pilot.path, i, std::max(m.speed, 8.0) * 0.5)];
    const PathSample& past =
        pilot.path[sample_ahead(pilot.path, i, std::max(m.speed, 8.0) * 0.5 + 6)];
    double slope = std::atan2(past.ground - land.ground, std::max(past.along - land.along, 1.0));
    double nose = m.pitch - slope;
    set_front_brake(bike, 0);
    set_rear_brake(bike, nose > 0.15 ? 1.0f : 0.0f);
    set_throttle(bike, nose < -0.15 ? 1.0f : 0.1f);
    set_lean(bike, static_cast<float>(std::clamp(nose * 4, -1.0, 1.0)) * -1.0f);
    return;
  }

  double gap = target - m.speed;
  if (gap >= 0) {
    set_throttle(bike, static_cast<float>(std::clamp(0.25 + gap * 0.12, 0.0, 1.0)));
    set_front_brake(bike, 0);
    set_rear_brake(bike, 0);
  } else {
    set_throttle(bike, static_cast<float>(std::clamp(0.25 + gap * 0.12, 0.0, 1.0)));
    // Hard on the brakes only with the bike upright; leaned over they would run him wide.
    double upright = std::clamp(1.0 - std::fabs(frame_roll(bike)) / 0.6, 0.25, 1.0);
    double brake = std::clamp((-gap - 2.0) * 0.1, 0.0, 0.8) * upright;
    set_front_brake(bike, static_cast<float>(brake));
    set_rear_brake(bike, static_cast<float>(brake));
  }

  // On the back wheel alone: ease off before it loops.
  if (!m.front_down && m.rear_down) {
    const PathSample& here = pilot.path[i];
    const PathSample& next = pilot.path[sample_ahead(pilot.path, i, 6)];
    double slope = std::atan2(next.ground - here.ground, std::max(next.along - here.along, 1.0));
    if (m.pitch - slope > 0.2) set_throttle(bike, std::min(bike.controls.throttle, 0.2f));
  }

  // Stuck against something: back out and try again.
  pilot.slow_steps = m.speed < kCrawlSpeed ? pilot.slow_steps + 1 : 0;
  if (pilot.slow_steps > kStuckSteps) {
    pilot.slow_steps = 0;
    pilot.backing_steps = kBackOutSteps;
  }
}

}  // namespace br
