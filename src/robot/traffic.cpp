#include "robot/traffic.h"

#include <algorithm>
#include <cmath>

#include "bike/bike.h"

namespace br {
namespace {

constexpr double kBehind = 4;       // feet of the strip behind the frame
constexpr double kAhead = 4;        // feet ahead, plus a second of travel
constexpr double kHalfWidth = 2;    // feet either side
constexpr double kHoldBack = 0.9;  // of the pace of the rider ahead
constexpr double kCrawl = 4;       // ft/s; a fallen rider ahead is passed at a crawl

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

double traffic_speed(const World& w, int slot, double wanted) {
  const Bike* own = w.slots[size_t(slot)].bike.get();
  if (!own) return wanted;
  Seen me = seen(*own);
  Footprint mine = footprint(me.x, me.z, me.vx, me.vz, me.heading);
  double reach = 2 * (mine.half_length + 4 + 40);
  double speed = wanted;
  for (int i = 0; i < kRiderSlots; ++i) {
    if (i == slot) continue;
    const RiderSlot& other = w.slots[size_t(i)];
    if (!other.bike || other.bike->opacity <= 0.25f) continue;
    Seen them = seen(*other.bike);
    double dx = them.x - me.x, dz = them.z - me.z;
    if (std::fabs(dx) > reach || std::fabs(dz) > reach) continue;
    // Only riders ahead hold it back; those behind are theirs to mind.
    if (dx * mine.ux + dz * mine.uz <= 0) continue;
    if (!footprints_overlap(mine, footprint(them.x, them.z, them.vx, them.vz, them.heading))) {
      continue;
    }
    double pace = them.vx * mine.ux + them.vz * mine.uz;
    speed = std::min(speed, std::max(pace * kHoldBack, kCrawl));
  }
  return speed;
}

}  // namespace br
