#include "robot/traffic.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bike/bike.h"

namespace br {
namespace {

constexpr double kBehind = 4;       // feet of the strip behind the frame
constexpr double kAhead = 4;        // feet ahead, plus a second of travel
constexpr double kHalfWidth = 2;    // feet either side
constexpr double kHoldBack = 0.9;  // of the pace of the rider ahead
constexpr double kCrawl = 4;       // ft/s; the least it holds back to behind a moving rider
constexpr double kSlow = 8;        // ft/s: a rider slower than this is gone round, not followed
constexpr double kClear = 4.5;     // feet between frames side by side that keeps bikes apart
constexpr double kNoseToTail = 8;  // feet between frames one behind the other
constexpr double kStopping = 8;    // ft/s^2 of braking for a stopped rider ahead
constexpr double kPassSpeed = 12;  // ft/s going round a stopped rider
constexpr double kBeside = 2;      // feet ahead within which a rider counts as alongside
constexpr double kMostShift = 8;   // feet: further aside than this it waits instead

struct Seen {
  double x, z, vx, vz, heading;
};

Seen seen(const Bike& bike) {
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  dVector3 f;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 0, -1, f);
  return {p[0], p[2], v[0], v[2], std::atan2(-f[0], -f[2])};
}

double project(const Footprint& f, double ax, double az) {
  // Half the strip's extent along the axis (ax, az).
  double along = std::fabs(f.ux * ax + f.uz * az) * f.half_length;
  double across = std::fabs(-f.uz * ax + f.ux * az) * f.half_width;
  return along + across;
}

}  // namespace

Footprint footprint(double x, double z, double vx, double vz, double heading) {
  Footprint f;
  double speed = std::hypot(vx, vz);
  if (speed > 0.5) {
    f.ux = vx / speed, f.uz = vz / speed;
  } else {
    f.ux = -std::sin(heading), f.uz = -std::cos(heading);
  }
  double front = kAhead + speed, back = kBehind;
  f.half_length = (front + back) / 2;
  f.half_width = kHalfWidth;
  double shift = (front - back) / 2;
  f.cx = x + f.ux * shift, f.cz = z + f.uz * shift;
  return f;
}

bool footprints_overlap(const Footprint& a, const Footprint& b) {
  double dx = b.cx - a.cx, dz = b.cz - a.cz;
  const double axes[4][2] = {{a.ux, a.uz}, {-a.uz, a.ux}, {b.ux, b.uz}, {-b.uz, b.ux}};
  for (const auto& ax : axes) {
    double gap = std::fabs(dx * ax[0] + dz * ax[1]);
    if (gap > project(a, ax[0], ax[1]) + project(b, ax[0], ax[1])) return false;
  }
  return true;
}

bool is_ahead(double ax, double az, double aux, double auz, double bx, double bz, double bux,
              double buz) {
  double dx = bx - ax, dz = bz - az;
  double mx = aux + bux, mz = auz + buz;
  // Head on there is no mean direction: each sees the other ahead and both give way.
  if (mx * mx + mz * mz < 1e-4) return dx * aux + dz * auz > 0;
  return dx * mx + dz * mz > 0;
}

namespace {

struct Obstacle {
  double along, lat;  // feet ahead of the robot and to its left
  bool in_path;       // its strip overlaps the robot's
};

// Whether moving `shift` feet sideways puts the robot within reach of an obstacle that is
// level with the one it goes round (`front` feet ahead).
bool side_blocked(const std::vector<Obstacle>& all, double front, double shift) {
  for (const Obstacle& o : all) {
    if (o.along > front + kNoseToTail) continue;
    if (std::fabs(o.lat - shift) < kClear) return true;
  }
  return false;
}

}  // namespace

TrafficCall traffic(const World& w, int slot, double wanted) {
  TrafficCall call;
  call.speed = wanted;
  const Bike* own = w.slots[size_t(slot)].bike.get();
  if (!own) return call;
  Seen me = seen(*own);
  Footprint mine = footprint(me.x, me.z, me.vx, me.vz, me.heading);
  double lx = mine.uz, lz = -mine.ux;  // to its left
  double reach = 2 * (mine.half_length + 4 + 40);
  // Kept from step to step so that no step allocates; the simulation is single-threaded.
  static std::vector<Obstacle> obstacles;
  obstacles.clear();
  const Obstacle* front = nullptr;
  for (int i = 0; i < kRiderSlots; ++i) {
    if (i == slot) continue;
    const RiderSlot& other = w.slots[size_t(i)];
    if (!other.bike || other.bike->opacity <= 0.25f) continue;
    Seen them = seen(*other.bike);
    double dx = them.x - me.x, dz = them.z - me.z;
    if (std::fabs(dx) > reach || std::fabs(dz) > reach) continue;
    Footprint theirs = footprint(them.x, them.z, them.vx, them.vz, them.heading);
    bool slow = std::hypot(them.vx, them.vz) < kSlow || other.bike->state.crash_timer > 0;
    if (slow) {
      Obstacle o{dx * mine.ux + dz * mine.uz, dx * lx + dz * lz, false};
      // Kept in mind until it is behind: alongside, the robot must not swing back into it.
      if (o.along <= -kNoseToTail || std::fabs(o.lat) >= kClear + kMostShift) continue;
      // Right behind the robot it is the other one's to mind.
      if (o.along < -kBeside && std::fabs(o.lat) < kHalfWidth) continue;
      o.in_path = o.along <= kBeside ? std::fabs(o.lat) < kClear + kHalfWidth
                                     : footprints_overlap(mine, theirs);
      obstacles.push_back(o);
      continue;
    }
    // Only riders ahead hold it back; those behind are theirs to mind.
    if (!is_ahead(me.x, me.z, mine.ux, mine.uz, them.x, them.z, theirs.ux, theirs.uz)) continue;
    if (!footprints_overlap(mine, theirs)) continue;
    double pace = them.vx * mine.ux + them.vz * mine.uz;
    call.speed = std::min(call.speed, std::max(pace * kHoldBack, kCrawl));
  }
  const Obstacle* side = nullptr;
  for (const Obstacle& o : obstacles) {
    if (!o.in_path) continue;
    if (o.along > kBeside && std::fabs(o.lat) < kClear) {
      if (!front || o.along < front->along) front = &o;
    } else if (o.along <= kBeside) {
      if (!side || std::fabs(o.lat) < std::fabs(side->lat)) side = &o;
    }
  }
  if (!front && !side) return call;
  call.obstacle = true;
  if (!front) {
    // Only riders beside it: keep clear of the closest.
    if (std::fabs(side->lat) < kClear) {
      call.shift = side->lat > 0 ? side->lat - kClear : side->lat + kClear;
    }
    return call;
  }
  // Round the nearest one in its path, on the nearer side that is free; with neither free
  // it stops short and waits.
  double right = front->lat - kClear, left = front->lat + kClear;
  double first = std::fabs(right) <= std::fabs(left) ? right : left;
  double second = first == right ? left : right;
  double gap = front->along - kNoseToTail;
  call.speed = std::min(call.speed, kPassSpeed);
  if (!side_blocked(obstacles, front->along, first) && std::fabs(first) <= kMostShift) {
    call.shift = first;
  } else if (!side_blocked(obstacles, front->along, second) && std::fabs(second) <= kMostShift) {
    call.shift = second;
  } else {
    call.shift = 0;
  }
  // Not yet clear of it: no faster than it can stop short of it.
  call.speed = std::min(call.speed, std::sqrt(2 * kStopping * std::max(0.0, gap)));
  return call;
}

}  // namespace br
