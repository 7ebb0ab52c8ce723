#include "bike/crash.h"

#include <algorithm>
#include <cmath>

#include "bike/bike_contacts.h"
#include "bike/physics_world.h"

namespace br {
namespace {

using V3 = std::array<double, 3>;

constexpr double kTornApart = 31 * 31;        // (ft/s)^2
constexpr double kSlammed = 1376.0 * 1376.0;  // (ft/s^2)^2, 43 g
constexpr double kAtRest = 2 * 2;             // (ft/s)^2: the crash clock runs below it
constexpr double kRopeK = 5000, kRopeC = 500;
constexpr double kHandRopeFactor = 0.875;
constexpr double kLeashLength = 8;
const Vec3f kLeashOnRider{0, -0.570887f, 0.670607f};
const Vec3f kLeashOnFork{0, 1.145f, 10.753f};

V3 to_v3(const dReal* v) {
  return {v[0], v[1], v[2]};
}

double square(const V3& v) {
  return v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
}

V3 point_on(dBodyID body, const Vec3f& p) {
  dVector3 out;
  dBodyGetRelPointPos(body, p.x, p.y, p.z, out);
  return to_v3(out);
}

V3 cross(const V3& a, const V3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

}  // namespace

bool rider_thrown(const World& w, const Bike& bike) {
  if (bike.state.crash_timer != 0 || bike.state.collision_cooldown < 0) return false;
  dBodyID rider = bike.bodies[kBodyRider];
  V3 at = to_v3(dBodyGetPosition(rider));
  V3 v = to_v3(dBodyGetLinearVel(rider));
  dVector3 frame_v;
  dBodyGetPointVel(bike.bodies[kBodyFrame], at[0], at[1], at[2], frame_v);
  V3 apart = {v[0] - frame_v[0], v[1] - frame_v[1], v[2] - frame_v[2]};
  if (square(apart) > kTornApart) return true;

  const V3& before = bike.state.rider_velocities[static_cast<uint32_t>(w.frame) % 4];
  double span = 4 * w.step;
  V3 a = {(v[0] - before[0]) / span, (v[1] - before[1]) / span - kGravity,
          (v[2] - before[2]) / span};
  return square(a) > kSlammed;
}

void crash_rider(World& w, Bike& bike) {
  // The fall stays marked until the rider's next gate, so the marshals wave for him.
  for (RiderSlot& slot : w.slots) {
    if (slot.bike.get() == &bike) slot.timing.crashed = true;
  }
  dJointAttach(bike.joints[kJointRiderMount], nullptr, nullptr);
  for (int side = 0; side < 2; ++side) {
    bike.state.crash_grips[side] = point_on(bike.bodies[kBodyForkUpper], bike.entry.grips[side]);
  }
  bike.state.crash_timer =
      kCrashTicks + w.knockout_ticks[std::min(bike.crash_count, kKnockoutEntries - 1)];
  bike.crash_count += 1;
}

void tie_rope(World& w, dBodyID a, const Vec3f& at_a, dBodyID b, const Vec3f& at_b, double length) {
  V3 pa = point_on(a, at_a);
  V3 pb = point_on(b, at_b);
  V3 gap = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
  double distance = std::sqrt(square(gap));
  if (distance <= length) return;
  SoftContact soft = soft_contact(kRopeK, kRopeC, w.step);
  dContact contact{};
  contact.surface.mode = dContactSoftERP | dContactSoftCFM;
  contact.surface.mu = 0;
  contact.surface.soft_erp = soft.erp;
  contact.surface.soft_cfm = soft.cfm;
  for (int i = 0; i < 3; ++i) {
    contact.geom.pos[i] = pa[i];
    contact.geom.normal[i] = gap[i] / distance;  // pulls the first body toward the second
  }
  contact.geom.depth = distance - length;
  dJointID j = dJointCreateContact(w.physics.world, w.physics.contacts, &contact);
  dJointAttach(j, a, b);
}

void step_crashed_rider(World& w, Bike& bike) {
  BikeWorkingState& s = bike.state;
  if (s.crash_timer <= 0) return;
  dBodyID rider = bike.bodies[kBodyRider];
  dBodyID fork = bike.bodies[kBodyForkUpper];
  const BikeEntry& e = bike.entry;
  if (square(to_v3(dBodyGetLinearVel(rider))) >= kAtRest) {
    double arm = kHandRopeFactor * (e.upper_arm + e.forearm);
    for (int side = 0; side < 2; ++side)
      tie_rope(w, rider, e.hands[side], fork, e.grips[side], arm);
    if (s.crash_timer > kRealignTicks) {
      tie_rope(w, rider, kLeashOnRider, fork, kLeashOnFork, kLeashLength);
    }
    rider_against_own_bike(w, bike);
    return;
  }
  s.crash_timer -= 1;
  if (s.crash_timer == 0) seat_rider(bike);
}

void track_velocities(const World& w, Bike& bike) {
  BikeWorkingState& s = bike.state;
  bool riding = s.crash_timer == 0;
  dBodyID rider = bike.bodies[kBodyRider];
  dBodyID fork = bike.bodies[kBodyForkUpper];
  for (int side = 0; side < 2; ++side) {
    V3 at = point_on(fork, bike.entry.grips[side]);
    dVector3 v;
    dBodyGetPointVel(riding ? rider : fork, at[0], at[1], at[2], v);
    s.grip_positions[side] = at;
    s.grip_velocities[side] = to_v3(v);
  }
  s.rider_velocities[static_cast<uint32_t>(w.frame) % 4] = to_v3(dBodyGetLinearVel(rider));
}

void cancel_drift(Bike& bike) {
  dBodyID frame = bike.bodies[kBodyFrame];
  V3 centre = to_v3(dBodyGetPosition(frame));
  V3 force{}, moment{};
  for (int j = 0; j < kJointCount; ++j) {
    const dJointFeedback& f = bike.feedback[j];
    for (int side = 0; side < 2; ++side) {
      dBodyID body = dJointGetBody(bike.joints[j], side);
      if (!body) continue;  // a detached rider mount
      V3 push = to_v3(side == 0 ? f.f1 : f.f2);
      V3 turn = to_v3(side == 0 ? f.t1 : f.t2);
      V3 at = to_v3(dBodyGetPosition(body));
      V3 arm = {at[0] - centre[0], at[1] - centre[1], at[2] - centre[2]};
      V3 about = cross(arm, push);
      for (int i = 0; i < 3; ++i) {
        force[i] += push[i];
        moment[i] += turn[i] + about[i];
      }
    }
  }
  dBodyAddForce(frame, -force[0], -force[1], -force[2]);
  dBodyAddTorque(frame, -moment[0], -moment[1], -moment[2]);
}

}  // namespace br
