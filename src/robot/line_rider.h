// Riding a recorded line: where a bike is along the line's points, the speed the line asks
// for there, and the controls (steering, throttle, brakes, lean) that keep the bike on the
// points at their speeds. No race state: the auto pilot adds traffic, the start and the flag.
#pragma once

#include <vector>

#include "bike/bike.h"
#include "robot/line_file.h"

namespace br {

// Where a bike is and how it moves, as the line rider sees it.
struct Pose {
  double x = 0, y = 0, z = 0;
  double heading = 0;  // radians; 0 faces -z, positive turns left
  double course = 0;   // direction of travel over the ground, same sense; the heading when slow
  double speed = 0;    // ft/s along the bike's forward direction
  double vx = 0, vz = 0;
  double yaw_rate = 0;  // rad/s, positive turning left
  double pitch = 0;     // nose up positive
  bool front_down = false, rear_down = false;
};

Pose pose_of(const Bike& bike);

// The fractional point index of (x, z) on the line, looking from `from` a little back and
// `span` points on.
double locate(const std::vector<LinePoint>& pts, double x, double z, double from, int span);

// The line at fractional index `index` (speed as a magnitude).
LinePoint point_at(const std::vector<LinePoint>& pts, double index);

// The point `distance` feet along the line (on the ground) from index `index`; past the end
// the line runs straight on.
LinePoint point_ahead(const std::vector<LinePoint>& pts, double index, double distance);

// Seconds until the line leaves the ground, or 1000000 when it stays down for 20 points.
double time_to_air(const std::vector<LinePoint>& pts, double index, double speed);

// The speed (ft/s) the line asks for at `index`: the recorded speed a point on, braking in
// time for slower points ahead. `scale` is the rider's pace: the recorded speeds times it.
double line_speed(const std::vector<LinePoint>& pts, double index, double scale);

// What the controller worked out this step, for the caller and for tests.
struct RideResult {
  double aim_heading = 0;  // radians: toward the point it steers for
  double off = 0;          // radians the aim lies left of the direction of travel
  double lean = 0;         // radians of lean asked for, positive to the left
  double cross = 0;        // feet the bike is left of the line
};

// Sets steering, lean, throttle and brakes to follow `pts` from `index` at `target` ft/s.
RideResult ride_line(Bike& bike, const Pose& m, const std::vector<LinePoint>& pts, double index,
                     double target);

}  // namespace br
