#include "robot/line_rider.h"

#include <algorithm>
#include <cmath>

#include "bike/assists.h"
#include "bike/controls.h"

namespace br {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGravity = 32.0;       // ft/s^2
constexpr int kPointsAhead = 20;        // 5 s of recording
constexpr double kPlannedBraking = 9.0;  // ft/s^2 the robot brakes with to meet a slower point
// Slower than this (ft/s) the bars hardly steer the bike: a line recorded from a standing
// start, or through a stop, is ridden at this pace at least.
constexpr double kLeastSpeed = 10.0;
// The point steered for lies this many seconds of travel ahead along the line. Nearer, the
// lean cannot follow fast enough and the bike weaves; further, it cuts the corners.
constexpr double kLookSeconds = 0.9;
constexpr double kLeastLook = 10.0, kMostLook = 45.0;  // feet
constexpr double kMostLean = 0.7;  // radians: about what the tyres hold
// How hard a shortfall in the rate of turn adds lean, as a share of the lean it would take to
// turn that much faster.
constexpr double kTurnRateGain = 0.25;
constexpr double kMostTurnRateLean = 0.2;  // radians
constexpr double kOffJumpLean = 0.1;  // radians: off a lip the bike goes up nearly upright
constexpr double kClimb = 0.25;  // radians of rise along the line that a slow bike must drive up

double wrap(double a) {
  return std::remainder(a, 2 * kPi);
}

void ride_in_air(Bike& bike, const Pose& m, const std::vector<LinePoint>& pts, double index) {
  // Bring the bike level with the ground the line lands on: the rear wheel's spin lifts the
  // nose, its brake drops it.
  double span = std::max(m.speed, 8.0);
  LinePoint land = point_ahead(pts, index, span * 0.5);
  LinePoint past = point_ahead(pts, index, span * 0.5 + 8);
  double slope = std::atan2(past.y - land.y, 8.0);
  double nose = m.pitch - slope;
  set_front_brake(bike, 0);
  set_rear_brake(bike, nose > 0.15 ? 1.0f : 0.0f);
  set_throttle(bike, nose < -0.15 ? 1.0f : 0.1f);
  set_lean(bike, static_cast<float>(-std::clamp(nose * 4, -1.0, 1.0)));
}

}  // namespace

Pose pose_of(const Bike& bike) {
  Pose m;
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  const dReal* w = dBodyGetAngularVel(bike.bodies[kBodyFrame]);
  dVector3 f;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 0, -1, f);
  m.x = p[0], m.y = p[1], m.z = p[2];
  m.vx = v[0], m.vz = v[2];
  m.yaw_rate = w[1];
  m.heading = std::atan2(-f[0], -f[2]);
  double flat = std::hypot(f[0], f[2]);
  m.speed = flat > 1e-6 ? (v[0] * f[0] + v[2] * f[2]) / flat : 0;
  // Sliding, the bike goes where its wheels carry it, not where it points.
  m.course = m.speed > 4 ? std::atan2(-v[0], -v[2]) : m.heading;
  m.pitch = std::asin(std::clamp(double(f[1]), -1.0, 1.0));
  m.front_down = bike.wheels[kFrontWheel].depth > 0;
  m.rear_down = bike.wheels[kRearWheel].depth > 0;
  return m;
}

double locate(const std::vector<LinePoint>& pts, double x, double z, double from, int span) {
  int n = int(pts.size());
  int lo = std::max(0, int(from) - 1), hi = std::min(n - 2, int(from) + span);
  double best = from, best_d = 1e300;
  for (int i = lo; i <= hi; ++i) {
    const LinePoint& a = pts[size_t(i)];
    const LinePoint& b = pts[size_t(i + 1)];
    double dx = b.x - a.x, dz = b.z - a.z, len2 = dx * dx + dz * dz;
    double t = len2 > 0 ? std::clamp(((x - a.x) * dx + (z - a.z) * dz) / len2, 0.0, 1.0) : 0;
    double ex = a.x + t * dx - x, ez = a.z + t * dz - z;
    double d = ex * ex + ez * ez;
    if (d < best_d) best_d = d, best = i + t;
  }
  return best;
}

LinePoint point_at(const std::vector<LinePoint>& pts, double index) {
  double i = std::clamp(index, 0.0, double(pts.size() - 1));
  size_t a = size_t(i);
  size_t b = std::min(a + 1, pts.size() - 1);
  double t = i - double(a);
  const LinePoint& p = pts[a];
  const LinePoint& q = pts[b];
  auto mix = [t](float u, float v) { return float(u + (v - u) * t); };
  return {mix(p.x, q.x), mix(p.y, q.y), mix(p.z, q.z),
          mix(std::fabs(p.speed), std::fabs(q.speed)), mix(p.lean, q.lean)};
}

LinePoint point_ahead(const std::vector<LinePoint>& pts, double index, double distance) {
  LinePoint here = point_at(pts, index);
  size_t next = size_t(std::floor(std::max(index, 0.0))) + 1;
  while (next < pts.size()) {
    const LinePoint& p = pts[next];
    double step = std::hypot(p.x - here.x, p.z - here.z);
    if (step >= distance && step > 0) {
      double t = distance / step;
      return {float(here.x + (p.x - here.x) * t), float(here.y + (p.y - here.y) * t),
              float(here.z + (p.z - here.z) * t), std::fabs(p.speed), p.lean};
    }
    distance -= step;
    here = p;
    here.speed = std::fabs(p.speed);
    ++next;
  }
  const LinePoint& a = pts[pts.size() - 2];
  const LinePoint& b = pts.back();
  double dx = b.x - a.x, dz = b.z - a.z, len = std::hypot(dx, dz);
  if (len < 1e-6) return here;
  return {float(here.x + dx / len * distance), here.y, float(here.z + dz / len * distance),
          here.speed, here.lean};
}

double time_to_air(const std::vector<LinePoint>& pts, double index, double speed) {
  size_t i = size_t(std::max(0.0, index));
  for (size_t k = i + 1; k + 1 < pts.size() && k <= i + kPointsAhead; ++k) {
    if (pts[k].speed < 0 && pts[k + 1].speed < 0) {
      const LinePoint here = point_at(pts, index);
      const LinePoint& next = pts[std::min(i + 1, pts.size() - 1)];
      double d = std::hypot(next.x - here.x, next.z - here.z);
      return d / std::max(speed, 1.0) + 0.25 * double(k - i - 1);
    }
  }
  return 1000000;
}

double line_speed(const std::vector<LinePoint>& pts, double index, double scale) {
  // The recorded speed a point on, so that it gets going where the line did.
  double target = std::max(double(point_at(pts, index + 1).speed) * scale, kLeastSpeed);
  LinePoint prev = point_at(pts, index);
  double along = 0;
  for (size_t k = size_t(std::max(index, 0.0)) + 1; k < pts.size() && k <= size_t(index) + kPointsAhead;
       ++k) {
    along += std::hypot(pts[k].x - prev.x, pts[k].z - prev.z);
    prev = pts[k];
    // The standing start's points lie a few inches apart: braking for them as recorded held
    // a robot that began behind the line's first point to a walk, and it never got past it.
    double v = std::max(std::fabs(pts[k].speed) * scale, kLeastSpeed);
    target = std::min(target, std::sqrt(v * v + 2 * kPlannedBraking * along));
  }
  return target;
}

// Pure pursuit through the lean: the arc from the bike to a point a little way along the line
// gives the curvature to ride, and a bike turns that tightly when leaned so that gravity
// balances the pull of the turn. The lean servo of the steering assist takes a lean, so the
// steering asks for the lean directly. A turn slower than wanted (the lean still coming on,
// or the tyres sliding) gets more lean at once, which damps the weave a lagging lean makes.
RideResult ride_line(Bike& bike, const Pose& m, const std::vector<LinePoint>& pts, double index,
                     double target) {
  RideResult out;
  double ground = std::hypot(m.vx, m.vz);
  double look = std::clamp(ground * kLookSeconds, kLeastLook, kMostLook);
  LinePoint aim = point_ahead(pts, index, look);
  double dx = aim.x - m.x, dz = aim.z - m.z;
  double reach = std::max(std::hypot(dx, dz), 1.0);
  out.aim_heading = std::atan2(-dx, -dz);
  out.off = wrap(out.aim_heading - m.course);
  bike.state.line_heading = {-std::sin(out.aim_heading), -std::cos(out.aim_heading)};

  LinePoint a = point_at(pts, std::floor(index)), b = point_at(pts, std::floor(index) + 1);
  double tx = b.x - a.x, tz = b.z - a.z, tl = std::hypot(tx, tz);
  if (tl > 1e-6) out.cross = ((m.x - a.x) * tz - (m.z - a.z) * tx) / tl;

  double v = std::max(ground, 5.0);
  double curvature = 2 * std::sin(out.off) / reach;  // 1/ft, positive turning left
  double lean = std::atan(v * v * curvature / kGravity);
  // The frame's rate of turn jumps about over bumps: a little of it goes a long way.
  lean += std::clamp(kTurnRateGain * (v * curvature - m.yaw_rate) * v / kGravity,
                     -kMostTurnRateLean, kMostTurnRateLean);
  double most = kMostLean;
  double air_in = time_to_air(pts, index, m.speed);
  if (air_in < 0.5) most = kOffJumpLean;
  out.lean = std::clamp(lean, -most, most);

  // The lean servo leans the bike by the steering times this gain.
  double gain = lean_gain(std::sqrt(m.vx * m.vx + m.vz * m.vz), bike.setup.max_dab_speed,
                          bike.setup.roll_limit_angle);
  double steer = gain > 1e-3 ? -out.lean / gain : (out.lean > 0 ? -1 : out.lean < 0 ? 1 : 0);
  set_steering(bike, static_cast<float>(std::clamp(steer, -1.0, 1.0)));
  set_lean(bike, 0);

  if (!m.front_down && !m.rear_down) {
    ride_in_air(bike, m, pts, index);
    return out;
  }
  // No faster than the arc to the aim can be ridden at the most lean, and facing away from the
  // line slow right down to turn round.
  if (std::fabs(curvature) > 1e-6) {
    target = std::min(target, std::max(kLeastSpeed,
                                       std::sqrt(kGravity * std::tan(kMostLean) / std::fabs(curvature))));
  }
  target = std::min(target, 8.0 + target * std::max(0.0, std::cos(out.off)));

  double gap = target - m.speed;
  set_throttle(bike, static_cast<float>(std::clamp(0.25 + gap * 0.12, 0.0, 1.0)));
  if (gap >= 0 || air_in < 0.5) {
    set_front_brake(bike, 0);
    set_rear_brake(bike, 0);
  } else {
    // Hard on the brakes only upright; leaned over they would run the bike wide.
    double upright = std::clamp(1.0 - std::fabs(frame_roll(bike)) / 0.6, 0.25, 1.0);
    double brake = std::clamp((-gap - 2.0) * 0.1, 0.0, 0.8) * upright;
    set_front_brake(bike, static_cast<float>(brake));
    set_rear_brake(bike, static_cast<float>(brake));
  }
  // Slow on a climb, a closed throttle stalls the bike on the face and it topples: keep it
  // driving up, braking only for what lies beyond the top.
  if (m.front_down && m.rear_down && m.speed < kLeastSpeed + 5) {
    LinePoint here = point_at(pts, index);
    LinePoint next = point_ahead(pts, index, 8);
    if (std::atan2(next.y - here.y, 8.0) > kClimb) {
      set_throttle(bike, std::max(bike.controls.throttle, 0.6f));
      set_front_brake(bike, 0);
      set_rear_brake(bike, 0);
    }
  }
  // On the back wheel alone: ease off before it loops.
  if (!m.front_down && m.rear_down) {
    LinePoint here = point_at(pts, index);
    LinePoint next = point_ahead(pts, index, 6);
    double slope = std::atan2(next.y - here.y, 6.0);
    if (m.pitch - slope > 0.2) set_throttle(bike, std::min(bike.controls.throttle, 0.2f));
  }
  return out;
}

}  // namespace br
