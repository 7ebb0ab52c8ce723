#include "robot/learn.h"

#include <algorithm>
#include <cmath>

#include "bike/assists.h"
#include "bike/bike.h"
#include "bike/controls.h"
#include "platform/log.h"
#include "robot/line_costs.h"
#include "robot/line_learning.h"
#include "robot/sections.h"

namespace br {
namespace {

constexpr double kOffLine2 = 16;         // ft^2: more than 4 ft from the line is off it
constexpr double kKeptPace = 15.0 / 16;  // the line's speed against the robot's
constexpr int32_t kSecondSteps = 128;
constexpr float kBackingUp = 0.125f;

LineRecord* line_by_serial(World& w, int section, int serial) {
  if (serial == 0 || w.lines.sections.empty()) return nullptr;
  SectionShape shape = section_shape(w.track.timing);
  int folded = fold_section(shape, section);
  if (folded >= int(w.lines.sections.size())) return nullptr;
  for (LineRecord& line : w.lines.sections[size_t(folded)]) {
    if (line.serial == serial && !line.points.empty()) return &line;
  }
  return nullptr;
}

void fail_line(World& w, int section, int serial) {
  if (LineRecord* line = line_by_serial(w, section, serial)) add_failure(*line);
}

// Squared distance on the ground from the robot to the segment of its line around it.
double off_line2(const LinePoint& at, const std::vector<LinePoint>& points, double index) {
  if (points.size() < 2) return 1e18;
  size_t i = static_cast<size_t>(std::clamp(index, 0.0, double(points.size() - 2)));
  const LinePoint& a = points[i];
  const LinePoint& b = points[i + 1];
  double dx = b.x - a.x, dz = b.z - a.z, len2 = dx * dx + dz * dz;
  double t = len2 > 0 ? std::clamp(((at.x - a.x) * dx + (at.z - a.z) * dz) / len2, 0.0, 1.0) : 0;
  double ex = a.x + t * dx - at.x, ez = a.z + t * dz - at.z;
  return ex * ex + ez * ez;
}

// A person has finished section `done` - 1's successor: the section before it now has its
// pair time and becomes a line when it is new and quick enough.
void offer_recording(World& w, int slot, int passed) {
  RobotState& r = w.slots[size_t(slot)].robot;
  LineRecording& rec = r.recordings[size_t(passed % 2)];
  int section = passed - 2;
  bool debug = w.options.debug_level >= 1;
  if (section >= 0) {
    SectionShape shape = section_shape(w.track.timing);
    int folded = fold_section(shape, section);
    if (rec.points.empty() || rec.cancelled) {
      if (debug) kota::log_printf("auto pilot: %d canceled\n", folded);
    } else if (folded < int(w.lines.sections.size())) {
      int first = r.section_times[1] - r.section_times[0];
      int pair = r.section_times[2] - r.section_times[0];
      learn_line(w.lines.sections[size_t(folded)], folded, rec.points, first, pair, debug);
    }
  }
  rec = LineRecording{};
}

// A robot has passed the end of section `passed` - 1: the line it rode there is judged by
// where it is now, and the line before it gets this run's times.
void judge_run(World& w, int slot, int passed) {
  RiderSlot& s = w.slots[size_t(slot)];
  RobotState& r = s.robot;
  int just = passed - 1, before = passed - 2;
  int& just_serial = r.ridden[size_t(just % 4)];
  int& before_serial = r.ridden[size_t((before + 4) % 4)];
  LinePoint at = line_point_of(w, slot);
  LineRecord* riding = line_by_serial(w, r.line_section, r.line_serial);
  bool on_line = false, kept_pace = false;
  if (riding) {
    on_line = off_line2(at, riding->points, r.line_index) <= kOffLine2;
    size_t i = static_cast<size_t>(std::clamp(r.line_index, 0.0, double(riding->points.size() - 1)));
    size_t j = std::min(i + 1, riding->points.size() - 1);
    double robot = std::fabs(at.speed) * kKeptPace;
    kept_pace = std::fabs(riding->points[i].speed) >= robot ||
                std::fabs(riding->points[j].speed) >= robot;
  }
  if (!on_line) {
    fail_line(w, just, just_serial);
    just_serial = before_serial = 0;
    return;
  }
  if (kept_pace) {
    if (before >= 0) {
      if (LineRecord* line = line_by_serial(w, before, before_serial)) {
        credit_run(*line, r.section_times[1] - r.section_times[0],
                   r.section_times[2] - r.section_times[0]);
      }
    }
  } else {
    fail_line(w, just, just_serial);
    just_serial = 0;
  }
  if (before >= 0) before_serial = 0;
}

}  // namespace

LinePoint line_point_of(const World& w, int slot) {
  const Bike& bike = *w.slots[size_t(slot)].bike;
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  LinePoint point;
  point.x = float(p[0]), point.y = float(p[1]), point.z = float(p[2]);
  float speed = float(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
  bool flying = bike.wheels[kFrontWheel].depth <= 0 && bike.wheels[kRearWheel].depth <= 0;
  point.speed = flying ? -speed : speed;
  point.lean = float(frame_roll(bike));
  return point;
}

void learn_begin(World& w, int slot) {
  RobotState& r = w.slots[size_t(slot)].robot;
  r = RobotState{};
  r.section_times.fill(w.race_start_frame);
  r.gates_seen = w.slots[size_t(slot)].timing.gates_passed;
  r.sections_seen = sections_passed(w.track.timing, r.gates_seen);
}

void learn_step(World& w, int slot) {
  RiderSlot& s = w.slots[size_t(slot)];
  if (!s.bike || !w.track.timing.active || s.timing.finished) return;
  RobotState& r = s.robot;
  bool person = s.bike->personality == 0;
  int passed = sections_passed(w.track.timing, s.timing.gates_passed);

  if (person && w.frame >= w.race_start_frame) {
    LineRecording& rec = r.recordings[size_t(passed % 2)];
    if (back_up(*s.bike) > kBackingUp) rec.cancelled = true;
    if (w.frame % kLineSampleSteps == 0 && rec.points.size() < size_t(kMaxLinePoints)) {
      rec.points.push_back(line_point_of(w, slot));
    }
  }
  if (s.timing.gates_passed == r.gates_seen) return;
  r.gates_seen = s.timing.gates_passed;
  if (passed == r.sections_seen) return;
  if (passed != r.sections_seen + 1) {
    // Sections skipped, or the rider went back: nothing recorded or timed across the jump
    // can be trusted.
    for (LineRecording& rec : r.recordings) rec = LineRecording{};
    r.ridden.fill(0);
    r.section_times.fill(w.frame);
    r.sections_seen = passed;
    return;
  }
  r.section_times = {r.section_times[1], r.section_times[2], w.frame};
  r.sections_seen = passed;
  if (person) {
    offer_recording(w, slot, passed);
  } else {
    judge_run(w, slot, passed);
  }
}

void learn_reset(World& w, int slot) {
  RiderSlot& s = w.slots[size_t(slot)];
  if (!s.bike) return;
  RobotState& r = s.robot;
  int passed = sections_passed(w.track.timing, s.timing.gates_passed);
  if (s.bike->personality == 0) {
    r.recordings[size_t(passed % 2)].cancelled = true;
    return;
  }
  fail_line(w, passed, r.ridden[size_t(passed % 4)]);
  if (passed > 0 && w.frame - r.section_times[2] < kSecondSteps) {
    fail_line(w, passed - 1, r.ridden[size_t((passed - 1) % 4)]);
  }
  r.ridden.fill(0);
}

}  // namespace br
