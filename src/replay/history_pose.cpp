#include "replay/history_pose.h"

#include <ode/ode.h>

#include <algorithm>
#include <cmath>

#include "bike/bike.h"
#include "replay/history.h"
#include "replay/snapshot_pose.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

using V3 = std::array<double, 3>;

constexpr int kCurrentVersion = 5;     // 39-byte snapshots
constexpr int kOldestVersion = 4;      // 26-byte snapshots, never interpolated
constexpr int32_t kCarryOnSteps = 64;  // a rider whose data stops moves on this long
constexpr int32_t kShownAround = 128;  // steps before or after its data a rider is drawn
constexpr double kRiderDownPerStep = 8.0 / 128;
constexpr double kMaxPull = 2500;  // lb, and lb-ft
constexpr double kPullSpring = 5000, kPullSpringHeld = 45000, kPullDamping = -500;

V3 body_position(dBodyID b) {
  const dReal* p = dBodyGetPosition(b);
  return {p[0], p[1], p[2]};
}

// The rotation (axis times angle) that turns orientation `from` into `to`, in world axes.
V3 rotation_between(const dReal* from, const dReal* to) {
  dQuaternion inverse = {from[0], -from[1], -from[2], -from[3]};
  dQuaternion d;
  dQMultiply0(d, to, inverse);
  if (d[0] < 0) {
    for (int i = 0; i < 4; ++i) d[i] = -d[i];
  }
  double s = std::sqrt(d[1] * d[1] + d[2] * d[2] + d[3] * d[3]);
  if (s < 1e-12) return {2 * d[1], 2 * d[2], 2 * d[3]};
  double angle = 2 * std::atan2(s, d[0]);
  return {d[1] / s * angle, d[2] / s * angle, d[3] / s * angle};
}

V3 capped(V3 v, double limit) {
  double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (n > limit) {
    for (double& c : v) c *= limit / n;
  }
  return v;
}

void set_bodies_enabled(Bike& bike, bool enabled) {
  for (dBodyID b : bike.bodies) {
    if (!b) continue;
    // Forces gathered while a body was off must not all land in its first step back.
    if (enabled != static_cast<bool>(dBodyIsEnabled(b))) {
      dBodySetForce(b, 0, 0, 0);
      dBodySetTorque(b, 0, 0, 0);
    }
    if (enabled) {
      dBodyEnable(b);
    } else {
      dBodyDisable(b);
    }
  }
}

// A wheel below the ground would be pushed out violently by the contacts once released.
void keep_rear_wheel_up(const World& w, Bike& bike) {
  const Terrain& t = w.track.terrain;
  if (!t.loaded()) return;
  dVector3 down;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, -1, 0, down);
  double radius = bike.entry.rear_ring_radius + bike.entry.rear_tube_radius;
  V3 c = body_position(bike.bodies[kBodyRearWheel]);
  V3 low = {c[0] + down[0] * radius, c[1] + down[1] * radius, c[2] + down[2] * radius};
  double ground = terrain_height(t, static_cast<float>(low[0]), static_cast<float>(low[2]));
  if (ground <= low[1]) return;
  double lift = ground - low[1];
  for (dBodyID b : bike.bodies) {
    V3 p = body_position(b);
    dBodySetPosition(b, p[0], p[1] + lift, p[2]);
  }
}

void pull_towards(World& w, Bike& bike, const uint8_t* cur, const uint8_t* prev,
                  const uint8_t* next, int steps, int version) {
  double level = bike.state.presence;
  double k = 0, c = 0;
  if (level > 0.75) {
    // Just released: the rider is left to the physics alone.
  } else if (level >= 0.5) {
    double q = std::clamp((0.75 - level) * 4, 0.0, 1.0);
    k = kPullSpring * q;
    c = kPullDamping * q;
  } else {
    double q = std::clamp((0.5 - level) * 2, 0.0, 1.0);
    k = kPullSpring + kPullSpringHeld * q;
    c = kPullDamping;
  }
  SnapshotBox box = snapshot_box(w.track.terrain);
  FramePose target = snapshot_frame(cur, box);
  FramePose from = snapshot_frame(prev, box), to = snapshot_frame(next, box);
  double span = std::max(steps, 1) * w.step;
  dBodyID frame = bike.bodies[kBodyFrame];
  V3 p = body_position(frame);
  const dReal* v = dBodyGetLinearVel(frame);
  V3 force;
  for (int i = 0; i < 3; ++i) {
    double wanted = (to.position[i] - from.position[i]) / span;
    force[i] = c * (v[i] - wanted) + k * (target.position[i] - p[i]);
  }
  force = capped(force, kMaxPull);
  dQuaternion goal = {target.orientation[0], target.orientation[1], target.orientation[2],
                      target.orientation[3]};
  dNormalize4(goal);
  V3 turn = rotation_between(dBodyGetQuaternion(frame), goal);
  const dReal* spin = dBodyGetAngularVel(frame);
  V3 torque;
  for (int i = 0; i < 3; ++i) torque[i] = c * spin[i] + k * w.step * turn[i];
  torque = capped(torque, kMaxPull);
  dBodyAddForce(frame, force[0], force[1], force[2]);
  dBodyAddTorque(frame, torque[0], torque[1], torque[2]);
  unpack_status(bike, cur, version);
}

}  // namespace

int playing_version(const World& w) {
  const DemoPlayer& p = w.replay.player;
  return p.file ? p.header.version : kCurrentVersion;
}

void apply_snapshot(World& w, Bike& bike, const uint8_t* cur, const uint8_t* prev,
                    const uint8_t* next, int steps, int version) {
  if (bike.state.presence > kBarelyPresent) {
    pull_towards(w, bike, cur, prev, next, steps, version);
    return;
  }
  SnapshotBox box = snapshot_box(w.track.terrain);
  bool was_crashed = bike.state.crash_timer > 0;

  std::array<V3, kBodyCount> at;
  std::array<dQuaternion, kBodyCount> facing;
  unpack_snapshot(bike, prev, version, box);
  for (int i = 0; i < kBodyCount; ++i) {
    at[i] = body_position(bike.bodies[i]);
    dBodyCopyQuaternion(bike.bodies[i], facing[i]);
  }
  unpack_snapshot(bike, next, version, box);
  double span = (steps < 2 ? 1 : steps) * w.step;
  for (int i = 0; i < kBodyCount; ++i) {
    dBodyID b = bike.bodies[i];
    V3 p = body_position(b);
    dBodySetLinearVel(b, (p[0] - at[i][0]) / span, (p[1] - at[i][1]) / span,
                      (p[2] - at[i][2]) / span);
    V3 turn = rotation_between(facing[i], dBodyGetQuaternion(b));
    dBodySetAngularVel(b, turn[0] / span, turn[1] / span, turn[2] / span);
  }
  unpack_snapshot(bike, cur, version, box);
  keep_rear_wheel_up(w, bike);

  BikeWorkingState& s = bike.state;
  if (!was_crashed && s.crash_timer > 0) {
    dVector3 grip;
    for (int side = 0; side < 2; ++side) {
      const Vec3f& g = bike.entry.grips[static_cast<size_t>(side)];
      dBodyGetRelPointPos(bike.bodies[kBodyForkUpper], g.x, g.y, g.z, grip);
      s.crash_grips[static_cast<size_t>(side)] = {grip[0], grip[1], grip[2]};
    }
  }
  uint8_t status = cur[version == kOldestVersion ? kOldSnapStatus : kSnapStatus];
  bool down = (status & 7) == kStatusCrashed || (status & 8) != 0;
  // A recorded rider's foot goes back up once the record says he rides on.
  double change = down ? kRiderDownPerStep : -kRiderDownPerStep;
  s.rider_down = static_cast<float>(std::clamp(s.rider_down + change, 0.0, 1.0));
}

void pose_from_history(World& w, int slot, int32_t time) {
  if (slot < 0 || slot >= kRiderSlots) return;
  Bike* bike = w.slots[static_cast<size_t>(slot)].bike.get();
  if (!bike) return;
  const StateHistory& h = w.replay.histories[static_cast<size_t>(slot)];
  time = std::max(time, 0);
  HistoryBracket b = bracket_history(h, time);
  if (!b.found) return;
  int version = playing_version(w);
  const Snapshot& prev = h.states[static_cast<size_t>(b.previous)];
  const Snapshot& next = h.states[static_cast<size_t>(b.next)];
  int32_t tp = h.times[static_cast<size_t>(b.previous)];
  int32_t tn = h.times[static_cast<size_t>(b.next)];
  if (tp == tn || time <= tp) {
    apply_snapshot(w, *bike, prev.data(), prev.data(), prev.data(), 1, version);
  } else if (time == tn) {
    apply_snapshot(w, *bike, next.data(), prev.data(), next.data(), tn - tp, version);
  } else {
    int32_t until = std::min(time, tn + kCarryOnSteps);
    Snapshot s;
    interpolate_snapshot(s, prev, next, double(until - tp) / double(tn - tp),
                         version == kOldestVersion);
    apply_snapshot(w, *bike, s.data(), prev.data(), next.data(), tn - tp, version);
  }
}

void release(Bike& bike) {
  bike.state.presence = 1;
  set_bodies_enabled(bike, true);
}

void hold(Bike& bike) {
  bike.state.presence = 0;
  set_bodies_enabled(bike, false);
}

void toggle_release(Bike& bike) {
  float& level = bike.state.presence;
  if (level == 0 || level > kBarelyPresent) {
    level = 1;
    set_bodies_enabled(bike, true);
  } else {
    level = kBarelyPresent;
    set_bodies_enabled(bike, false);
  }
}

void decay_release(Bike& bike) {
  float& level = bike.state.presence;
  if (level > 0) level -= 1.0f / 128;
  level = std::clamp(level, 0.0f, 1.0f);
  set_bodies_enabled(bike, level > kBarelyPresent);
}

bool history_rider_hidden(const World& w, int slot) {
  if (slot < 0 || slot >= kRiderSlots) return true;
  const RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  if (!s.bike) return true;
  bool spectating = w.connected && w.local_slot < 0;
  if (s.control == kControlLocal) return spectating && slot != w.viewed_slot;
  if (s.control != kControlPlayedBack) return false;
  const StateHistory& h = w.replay.histories[static_cast<size_t>(slot)];
  int32_t now = std::max(w.frame, 0);
  HistoryBracket b = bracket_history(h, now);
  if (!b.found) return true;
  int32_t tp = h.times[static_cast<size_t>(b.previous)];
  int32_t tn = h.times[static_cast<size_t>(b.next)];
  if (now < tp - kShownAround || now > tn + kShownAround) return true;
  // A server rider whose states stopped coming has left or lost its connection.
  if (w.connected && w.local_slot >= 0 && now - s.last_server_frame >= kShownAround) return true;
  return false;
}

}  // namespace br
