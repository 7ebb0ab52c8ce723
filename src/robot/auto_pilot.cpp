#include "robot/auto_pilot.h"

#include <algorithm>
#include <cmath>

#include "bike/assists.h"
#include "bike/bike.h"
#include "bike/bike_contacts.h"
#include "bike/controls.h"
#include "bike/stability_presets.h"
#include "race/grid.h"
#include "robot/learn.h"
#include "robot/line_graph.h"
#include "robot/line_rider.h"
#include "robot/personality.h"
#include "robot/sections.h"
#include "robot/traffic.h"

namespace br {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStepSeconds = 1.0 / 128;
constexpr int32_t kStuckSteps = 3 * 128;
constexpr int kBackOutSteps = 2 * 128;
constexpr int kBackOutsBeforeReset = 3;
constexpr double kClutchOutSeconds = 0.25;
// Room a robot put back on its line needs between the bounds of its bike and another's.
constexpr double kRoomFeet = 2;
constexpr double kAsideRate = 6;   // ft/s the robot moves over to go round a stopped rider
constexpr double kMostAside = 10;  // feet off its line it will go
constexpr double kTouchFeet = 7;   // frames closer than this: the bikes are touching or about to

double wrap(double a) {
  return std::remainder(a, 2 * kPi);
}

double uniform(double lo, double hi) {
  return lo + (hi - lo) * random_uniform();
}

int32_t seconds_to_steps(double s) {
  return static_cast<int32_t>(s / kStepSeconds);
}

LineRecord* current_line(World& w, const RobotState& r) {
  if (r.line_section < 0 || r.line_slot < 0 || w.lines.sections.empty()) return nullptr;
  SectionShape shape = section_shape(w.track.timing);
  LineRecord& line =
      w.lines.sections[size_t(fold_section(shape, r.line_section))][size_t(r.line_slot)];
  if (line.serial != r.line_serial || line.points.size() < 2) return nullptr;
  return &line;
}

// The strategy the robot races with now: its leading one only with a clear lead.
int strategy_now(const World& w, int slot, const Personality& p) {
  if (p.close_strategy == p.leading_strategy || w.order.size() < 2) return p.close_strategy;
  if (w.order[0].slot != slot) return p.close_strategy;
  const RiderTiming& second = w.slots[size_t(w.order[1].slot)].timing;
  const RiderTiming& first = w.slots[size_t(slot)].timing;
  int at = second.gates_passed - 1;
  if (at < 0 || at >= int(first.gate_times.size()) || at >= int(second.gate_times.size())) {
    return p.leading_strategy;
  }
  int32_t lead = second.gate_times[size_t(at)] - first.gate_times[size_t(at)];
  if (second.gate_times[size_t(at)] < 0 || first.gate_times[size_t(at)] < 0) return p.close_strategy;
  return lead * kStepSeconds > p.lead_seconds ? p.leading_strategy : p.close_strategy;
}

// A straight end through where the robot is, along where it is going, for picking a line
// with none to carry on from.
CurveEnd end_from_pose(const Pose& m) {
  double dx = -std::sin(m.heading), dz = -std::cos(m.heading);
  double speed = std::hypot(m.vx, m.vz);
  if (speed > 2) dx = m.vx / speed, dz = m.vz / speed;
  CurveEnd end = curve_through(m.x - 2 * dx, m.z - 2 * dz, m.x - dx, m.z - dz, m.x, m.z);
  end.end_speed = speed;
  return end;
}

void pick_next(World& w, int slot, const Pose& m, bool carry_on) {
  RiderSlot& s = w.slots[size_t(slot)];
  RobotState& r = s.robot;
  SectionShape shape = section_shape(w.track.timing);
  int by_gates = sections_passed(w.track.timing, s.timing.gates_passed);
  LineRecord* line = current_line(w, r);
  int section = std::max(by_gates, carry_on && r.line_section >= 0 ? r.line_section + 1 : by_gates);
  CurveEnd end = carry_on && line && line->points.size() >= 3 ? curve_end(line->points)
                                                              : end_from_pose(m);
  int strategy = strategy_now(w, slot, personality(s.bike->personality));
  int picked = pick_line(w.lines, shape, section, end, strategy, w.frame,
                         w.options.debug_level >= 1);
  r.line_section = picked < 0 ? -1 : section;
  r.line_slot = picked;
  r.line_serial = 0;
  r.line_index = 0;
  if (picked < 0) return;
  const LineRecord& chosen = w.lines.sections[size_t(fold_section(shape, section))][size_t(picked)];
  r.line_serial = chosen.serial;
  r.ridden[size_t(section % 4)] = chosen.serial;
  r.line_index = locate(chosen.points, m.x, m.z, 0, int(chosen.points.size()));
  r.best_index = r.line_index;
  r.progress_step = w.frame;
  if (carry_on) r.stuck_count = 0;
  if (r.finished) r.finish_points_left = double(chosen.points.size() - 1) - r.line_index;
}

void select_gear(Bike& bike, int want) {
  int g = bike.controls.gear;
  request_shift(bike, g < want ? 1 : g > want ? -1 : 0);
}

// Waiting at the gate: brakes and clutch held in second gear, blipping the throttle, a foot
// down so that the bike stands.
void wait_at_gate(World& w, Bike& bike, RobotState& r) {
  set_front_brake(bike, 1);
  set_rear_brake(bike, 1);
  set_clutch(bike, 0);
  set_steering(bike, 0);
  set_back_up(bike, 0);
  set_dab(bike, 1);
  select_gear(bike, shifted_gear(bike.entry, 0, 1));
  if (r.blips_end < 0) {
    r.blips_end = w.race_start_frame - seconds_to_steps(kFinalCountdownSeconds) +
                  seconds_to_steps(uniform(0.125, 0.5));
    r.blip_until = w.frame + seconds_to_steps(uniform(2.0, 2.5));
  }
  if (w.frame >= r.blips_end) {
    set_throttle(bike, 0);
    return;
  }
  if (w.frame >= r.blip_until) {
    r.blipping = !r.blipping;
    r.blip_until = w.frame + seconds_to_steps(r.blipping ? uniform(0.25, 0.75) : uniform(2.0, 2.5));
  }
  set_throttle(bike, r.blipping ? 1.0f : 0.0f);
}

// Whether a bike put down at (x, z) would clear every other bike by the margin.
bool room_at(const World& w, int slot, double x, double z) {
  double own = bike_bound(*w.slots[size_t(slot)].bike).radius;
  for (int i = 0; i < kRiderSlots; ++i) {
    const RiderSlot& other = w.slots[size_t(i)];
    if (i == slot || !other.bike) continue;
    BikeBound b = bike_bound(*other.bike);
    if (std::hypot(b.centre[0] - x, b.centre[2] - z) < own + b.radius + kRoomFeet) return false;
  }
  return true;
}

// Puts a robot that cannot get itself going back on its line, facing along it, on the first
// stretch from where it got to where the whole bike has room: put down among other bikes it
// wedges into them and the pile only grows. Returns false, leaving it where it is, when the
// rest of the line has no such room.
bool put_back_on_line(World& w, int slot, const LineRecord& line, double index) {
  Bike& bike = *w.slots[size_t(slot)].bike;
  double at = index;
  while (!room_at(w, slot, point_at(line.points, at).x, point_at(line.points, at).z)) {
    at += 0.25;
    if (at >= double(line.points.size() - 1)) return false;
  }
  learn_reset(w, slot);
  LinePoint here = point_at(line.points, at);
  LinePoint on = point_ahead(line.points, at, 4);
  double heading = std::atan2(-(on.x - here.x), -(on.z - here.z));
  place_on_ground(bike, w.track.terrain, here.x, here.z, heading);
  return true;
}

// The other bike nearest the robot's frame, as feet ahead of it and to its left; false when
// none is within `feet`.
bool nearest_bike(const World& w, int slot, const Pose& m, double feet, double& ahead,
                  double& left) {
  double best = feet * feet;
  bool found = false;
  double fx = -std::sin(m.heading), fz = -std::cos(m.heading);
  for (int i = 0; i < kRiderSlots; ++i) {
    const RiderSlot& other = w.slots[size_t(i)];
    if (i == slot || !other.bike) continue;
    const dReal* p = dBodyGetPosition(other.bike->bodies[kBodyFrame]);
    double dx = p[0] - m.x, dz = p[2] - m.z, d2 = dx * dx + dz * dz;
    if (d2 >= best) continue;
    best = d2;
    found = true;
    ahead = dx * fx + dz * fz;
    left = dx * fz - dz * fx;
  }
  return found;
}

// The line's unit direction to the left at `index`.
void line_left(const std::vector<LinePoint>& pts, double index, double& lx, double& lz) {
  LinePoint a = point_at(pts, std::floor(index)), b = point_at(pts, std::floor(index) + 1);
  double tx = b.x - a.x, tz = b.z - a.z, tl = std::hypot(tx, tz);
  lx = tl > 1e-6 ? tz / tl : 0;
  lz = tl > 1e-6 ? -tx / tl : 0;
}

void follow_line(World& w, int slot, Bike& bike, RobotState& r, const Pose& m) {
  LineRecord* line = current_line(w, r);
  if (!line) return;
  const std::vector<LinePoint>& pts = line->points;
  r.line_index = locate(pts, m.x, m.z, r.line_index, 8);
  if (r.line_index > r.best_index + 0.05) {
    r.best_index = r.line_index;
    r.progress_step = w.frame;
  }
  double target = line_speed(pts, r.line_index, 1.0);
  if (r.finished) {
    double left = double(pts.size() - 1) - r.line_index;
    target *= 0.25 + 0.75 * std::clamp(left / std::max(r.finish_points_left, 1.0), 0.0, 1.0);
  }
  TrafficCall call = traffic(w, slot, target);
  target = std::min(target, call.speed);
  // Going round a stopped rider: the line is ridden as if it lay `aside` feet over, eased
  // across so the lean does not jump.
  double lx = 0, lz = 0;
  line_left(pts, r.line_index, lx, lz);
  LinePoint on = point_at(pts, r.line_index);
  double cross = (m.x - on.x) * lx + (m.z - on.z) * lz;
  double want = call.obstacle ? std::clamp(cross + call.shift, -kMostAside, kMostAside) : 0;
  double most = kAsideRate * kStepSeconds;
  r.aside += std::clamp(want - r.aside, -most, most);
  Pose seen = m;
  seen.x -= r.aside * lx;
  seen.z -= r.aside * lz;
  ride_line(bike, seen, pts, r.line_index, target);
}

}  // namespace

void set_personality(World& w, int slot, const std::string& name) {
  RiderSlot& s = w.slots[size_t(slot)];
  if (!s.bike) return;
  s.bike->personality = personality_index(name);
  // A robot steers as a player does, through the lean the steering assist gives the bars, so
  // it rides with the assists a new player's bike gets (the highest stability). The bike as
  // built steers the bars directly, and there the same steering turns the bike late and then
  // too far: robots weaved from one side of the track to the other.
  AssistValues assists;
  stability_preset(100, assists);
  set_assists(s.bike->setup, assists);
}

void auto_pilot_step(World& w, int slot) {
  RiderSlot& s = w.slots[size_t(slot)];
  if (!s.bike || s.bike->personality == 0) return;
  Bike& bike = *s.bike;
  RobotState& r = s.robot;
  SetupBlock& setup = bike.setup;
  setup.stop_wheelies = 1;
  setup.front_brake_mode = true;
  setup.rear_antilock = true;
  setup.auto_shift = r.started;
  // A robot's bike is built with the catalogue's assists, which leave the foot up at a stop:
  // a robot stopped in traffic or backing out would topple over where a person's bike, with
  // the setup menu's default, stands.
  setup.auto_dab = true;
  set_dab(bike, 0);
  set_lean(bike, 0);

  if (w.frame < w.race_start_frame) {
    wait_at_gate(w, bike, r);
    return;
  }
  if (crashed(bike)) {
    set_throttle(bike, 0);
    set_front_brake(bike, 0);
    set_rear_brake(bike, 0);
    set_steering(bike, 0);
    set_back_up(bike, 0);
    r.progress_step = w.frame;
    return;
  }
  if (s.timing.finished && !r.finished) {
    r.finished = true;
    if (LineRecord* line = current_line(w, r)) {
      r.finish_points_left = double(line->points.size() - 1) - r.line_index;
    }
  }

  Pose m = pose_of(bike);
  LineRecord* line = current_line(w, r);
  if (!line || r.line_index >= double(line->points.size()) - 1.05) {
    pick_next(w, slot, m, line != nullptr);
    line = current_line(w, r);
  }

  if (!r.started) {
    // Off the gate: full throttle with the clutch held for the reaction time, then the
    // clutch out over a quarter second; gears change by themselves once it is mostly out.
    if (r.reaction_steps < 0) {
      const Personality& p = personality(bike.personality);
      r.reaction_steps = seconds_to_steps(uniform(p.reaction_min, p.reaction_max));
    }
    int32_t since = w.frame - w.race_start_frame - r.reaction_steps;
    double out = std::clamp(since * kStepSeconds / kClutchOutSeconds, 0.0, 1.0);
    set_throttle(bike, 1);
    set_front_brake(bike, 0);
    set_rear_brake(bike, 0);
    set_steering(bike, 0);
    set_clutch(bike, static_cast<float>(out));
    setup.auto_shift = out >= 0.75;
    r.progress_step = w.frame;
    if (out >= 1) r.started = true;
    return;
  }
  set_clutch(bike, 1);
  request_shift(bike, 0);

  if (r.backing_steps > 0) {
    --r.backing_steps;
    set_throttle(bike, 0);
    set_front_brake(bike, 0);
    set_rear_brake(bike, 0);
    set_back_up(bike, 1);
    double off = 0;
    if (line) {
      LinePoint aim = point_ahead(line->points, r.line_index, 20);
      off = wrap(std::atan2(-(aim.x - m.x), -(aim.z - m.z)) - m.heading);
    }
    // Straight back off a bike it touches: turning on the spot against it locks the two
    // together. Clear of it, it turns toward its line.
    double ahead = 0, left = 0;
    bool touching = nearest_bike(w, slot, m, kTouchFeet, ahead, left);
    set_steering(bike, touching ? 0.0f : static_cast<float>(off > 0 ? -1 : 1));
    if (r.backing_steps == 0) r.progress_step = w.frame;
    return;
  }
  set_back_up(bike, 0);
  if (!line) {
    // No line to ride: roll to a stop where it is.
    set_throttle(bike, 0);
    set_front_brake(bike, 0.5f);
    set_rear_brake(bike, 0.5f);
    set_steering(bike, 0);
    return;
  }
  follow_line(w, slot, bike, r, m);

  if (w.frame - r.progress_step > kStuckSteps) {
    // Stuck: choose again from where it is, and back out first when it is barely moving.
    ++r.stuck_count;
    if (r.stuck_count > kBackOutsBeforeReset) {
      // With no room on its line it tries again after the next wait.
      if (put_back_on_line(w, slot, *line, r.best_index)) {
        r.stuck_count = 0;
        r.aside = 0;
      }
      r.progress_step = w.frame;
      return;
    }
    pick_next(w, slot, m, false);
    // Backing out away from a bike that is behind it would only push into that one.
    double ahead = 0, left = 0;
    bool behind = nearest_bike(w, slot, m, kTouchFeet, ahead, left) && ahead < 0;
    if (std::fabs(m.speed) < 3 && !behind) r.backing_steps = kBackOutSteps;
    r.progress_step = w.frame;
  }
}

}  // namespace br
