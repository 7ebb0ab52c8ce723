#include "track/ruts.h"

#include <cmath>

#include "track/terrain_deform.h"

namespace br {
namespace {

WheelTouch wheel_touch(const WheelContact& wc) {
  WheelTouch touch;
  if (!wc.body) return touch;
  const dReal* v = dBodyGetLinearVel(wc.body);
  touch.x = static_cast<float>(wc.point[0]);
  touch.z = static_cast<float>(wc.point[2]);
  touch.depth = static_cast<float>(wc.depth);
  touch.speed = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
  // The contact joint holds the wheel against the static world, so its first body is the wheel.
  touch.fx = static_cast<float>(wc.feedback.f1[0]);
  touch.fz = static_cast<float>(wc.feedback.f1[2]);
  return touch;
}

}  // namespace

float erosion_rate(const World& w) {
  return w.options.erode.value_or(0.0f);
}

void apply_ruts(World& w, Bike& bike) {
  Terrain& t = w.track.terrain;
  for (int wheel : {kFrontWheel, kRearWheel}) {
    record_wheel_mark(t, wheel_touch(bike.wheels[wheel]), bike.state.marks);
  }
  const dReal* frame = dBodyGetPosition(bike.bodies[kBodyFrame]);
  work_off_marks(t, w.track.lod, bike.state.marks, static_cast<float>(frame[0]),
                 static_cast<float>(frame[2]), erosion_rate(w));
}

void erode_terrain(World& w) {
  if (!(erosion_rate(w) > 0.0f) || !w.track.terrain.loaded()) return;
  for (RiderSlot& slot : w.slots) {
    if (!slot.bike || slot.control == kControlPlayedBack) continue;
    // A bike switched off had no contacts this step; its wheel records are old.
    if (slot.bike->state.presence <= kBarelyPresent) continue;
    apply_ruts(w, *slot.bike);
  }
}

}  // namespace br
