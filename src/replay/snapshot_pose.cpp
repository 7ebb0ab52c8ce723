#include "replay/snapshot_pose.h"

#include <ode/ode.h>

#include <algorithm>
#include <cmath>

#include "bike/bike.h"

namespace br {
namespace {

using V3 = std::array<double, 3>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kSteeringRange = kPi / 4;  // either way
constexpr double kRpmPerRadPerSec = 9.549296585513721;
constexpr double kRadPerSecPerRpm = 0.10471975511965977;
constexpr int kTopGear = 5;  // a stored 6 is a sixth gear no model has

V3 sub(const Vec3f& a, const Vec3f& b) {
  return {double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z};
}

V3 normalised(const V3& v) {
  double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (n <= 0) return {0, 1, 0};
  return {v[0] / n, v[1] / n, v[2] / n};
}

// A rigid pose: position and rotation quaternion (w, x, y, z).
struct Pose {
  V3 p{};
  dQuaternion q{1, 0, 0, 0};
};

V3 rotate(const dQuaternion q, const V3& v) {
  dMatrix3 r;
  dRfromQ(r, q);
  dVector3 in = {v[0], v[1], v[2], 0}, out;
  dMultiply0_331(out, r, in);
  return {out[0], out[1], out[2]};
}

// Where a point given relative to the pose's origin lands.
V3 carry(const Pose& pose, const V3& local) {
  V3 r = rotate(pose.q, local);
  return {pose.p[0] + r[0], pose.p[1] + r[1], pose.p[2] + r[2]};
}

// The pose's rotation followed by a turn of `angle` about `axis` in its own frame.
void turn(dQuaternion out, const dQuaternion q, const V3& axis, double angle) {
  dQuaternion about;
  dQFromAxisAndAngle(about, axis[0], axis[1], axis[2], angle);
  dQMultiply0(out, q, about);
}

void set_pose(dBodyID body, const Pose& pose) {
  dBodySetPosition(body, pose.p[0], pose.p[1], pose.p[2]);
  dBodySetQuaternion(body, pose.q);
}

void to_quaternion(dQuaternion out, const Quat& q) {
  double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  if (!(n > 0)) {
    out[0] = 1;
    out[1] = out[2] = out[3] = 0;
    return;
  }
  for (int i = 0; i < 4; ++i) out[i] = q[static_cast<size_t>(i)] / n;
}

// Between -travel and 0 as a fraction of the travel from full compression.
double travel_fraction(double value, double travel) {
  if (!(travel > 0)) return 0;
  return (std::clamp(value, -travel, 0.0) + travel) / travel;
}

int present_gear(const BikeEntry& e, int g) {
  g = std::min(g, kTopGear);
  while (g > 0 && !(e.gears[static_cast<size_t>(g)] > 0)) --g;
  return std::max(g, 0);
}

}  // namespace

SnapshotBox snapshot_box(const Terrain& t) {
  // A world with no ground yet still packs into a sane box.
  return {t.extent > 0 ? t.extent : 1.0, t.min_height};
}

void pack_snapshot(const Bike& bike, const SnapshotBox& box, Snapshot& out) {
  const BikeEntry& e = bike.entry;
  Snapshot s{};
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  float x = static_cast<float>(p[0]), y = static_cast<float>(p[1]), z = static_cast<float>(p[2]);
  put_fraction(&s[kSnapFrameX], 3, x / box.size);
  put_fraction(&s[kSnapFrameY], 3, (y - box.base) / box.size);
  put_fraction(&s[kSnapFrameZ], 3, z / box.size);
  const dReal* q = dBodyGetQuaternion(bike.bodies[kBodyFrame]);
  put_quat(&s[kSnapFrameQuat], {q[0], q[1], q[2], q[3]});

  double steer = std::clamp<double>(dJointGetHingeAngle(bike.joints[kJointSteering]),
                                    -kSteeringRange, kSteeringRange);
  put_fraction(&s[kSnapSteering], 1, (steer + kSteeringRange) / (2 * kSteeringRange));
  put_fraction(
      &s[kSnapSwingarm], 1,
      travel_fraction(dJointGetHingeAngle(bike.joints[kJointSwingarmPivot]), e.swingarm_travel));
  put_fraction(
      &s[kSnapFork], 1,
      travel_fraction(dJointGetSliderPosition(bike.joints[kJointForkSlider]), e.fork_travel));

  const dReal* r = dBodyGetPosition(bike.bodies[kBodyRider]);
  for (int i = 0; i < 3; ++i) {
    double offset = static_cast<float>(r[i]) - static_cast<float>(p[i]);
    put_fraction(&s[kSnapRiderOffset + 2 * i], 2,
                 (offset + kRiderOffsetRange) / (2 * kRiderOffsetRange));
  }
  const dReal* rq = dBodyGetQuaternion(bike.bodies[kBodyRider]);
  put_quat(&s[kSnapRiderQuat], {rq[0], rq[1], rq[2], rq[3]});

  put_fraction(&s[kSnapFrontWheel], 1,
               (dJointGetHingeAngle(bike.joints[kJointFrontAxle]) + kPi) / (2 * kPi));
  put_fraction(&s[kSnapRearWheel], 1,
               (dJointGetHingeAngle(bike.joints[kJointRearAxle]) + kPi) / (2 * kPi));

  const BikeWorkingState& st = bike.state;
  s[kSnapStatus] = st.crash_timer > 0 ? encode_crashed_status(st.crash_timer)
                                      : encode_riding_status(bike.controls.gear, st.rider_down > 0,
                                                             bike.controls.throttle);
  double rpm = std::clamp(st.engine_speed * kRpmPerRadPerSec, 0.0, kMaxSnapshotRpm);
  put_fraction(&s[kSnapEngineSpeed], 2, rpm / kMaxSnapshotRpm);

  s[kSnapSwingarm] |= kPackedMark;
  s[kSnapFork] &= static_cast<uint8_t>(~kPackedMark);
  out = s;
}

FramePose snapshot_frame(const uint8_t* s, const SnapshotBox& box) {
  FramePose f;
  f.position = {get_fraction(s + kSnapFrameX, 3) * box.size,
                get_fraction(s + kSnapFrameY, 3) * box.size + box.base,
                get_fraction(s + kSnapFrameZ, 3) * box.size};
  f.orientation = get_quat(s + kSnapFrameQuat);
  return f;
}

void unpack_status(Bike& bike, const uint8_t* s, int version) {
  bool old = version == 4;
  SnapshotStatus st = decode_status(s[old ? kOldSnapStatus : kSnapStatus]);
  BikeWorkingState& state = bike.state;
  dJointID mount = bike.joints[kJointRiderMount];
  if (st.crashed) {
    dJointAttach(mount, nullptr, nullptr);
    state.crash_timer = st.crash_counter;
  } else {
    if (state.crash_timer != 0) {
      // Back on the bike: the mount is made at the seat, then the rider takes the pose the
      // snapshot gives him.
      dBodyID rider = bike.bodies[kBodyRider];
      const dReal* p = dBodyGetPosition(rider);
      V3 at = {p[0], p[1], p[2]};
      dQuaternion q;
      dBodyCopyQuaternion(rider, q);
      seat_rider(bike);
      dBodySetPosition(rider, at[0], at[1], at[2]);
      dBodySetQuaternion(rider, q);
      state.crash_timer = 0;
    }
    bike.controls.gear = present_gear(bike.entry, st.gear);
    bike.controls.throttle = static_cast<float>(st.throttle);
  }
  double rpm =
      get_fraction(s + (old ? kOldSnapEngineSpeed : kSnapEngineSpeed), 2) * kMaxSnapshotRpm;
  state.engine_speed = rpm * kRadPerSecPerRpm;
}

void unpack_snapshot(Bike& bike, const uint8_t* s, int version, const SnapshotBox& box) {
  const BikeEntry& e = bike.entry;
  bool old = version == 4;
  auto& b = bike.bodies;

  FramePose fp = snapshot_frame(s, box);
  Pose frame;
  frame.p = fp.position;
  to_quaternion(frame.q, fp.orientation);
  set_pose(b[kBodyFrame], frame);

  // The steering turns about the fork axis, from the lower fork up to the head.
  V3 fork_up = normalised(sub(e.steering_head, e.fork_lower_position));
  double steer = get_fraction(s + kSnapSteering, 1) * 2 * kSteeringRange - kSteeringRange;
  Pose upper;
  upper.p = carry(frame, sub(e.steering_head, e.frame_position));
  turn(upper.q, frame.q, fork_up, steer);
  set_pose(b[kBodyForkUpper], upper);

  double swing = get_fraction(s + kSnapSwingarm, 1) * e.swingarm_travel - e.swingarm_travel;
  Pose arm;
  {
    dQuaternion about;
    dQFromAxisAndAngle(about, 1, 0, 0, swing);
    V3 rest = rotate(about, sub(e.swingarm_position, e.swingarm_pivot));
    V3 local = {rest[0] + e.swingarm_pivot.x - e.frame_position.x,
                rest[1] + e.swingarm_pivot.y - e.frame_position.y,
                rest[2] + e.swingarm_pivot.z - e.frame_position.z};
    arm.p = carry(frame, local);
    dQMultiply0(arm.q, frame.q, about);
  }
  set_pose(b[kBodySwingarm], arm);

  // Compression moves the lower fork up the axis towards the head.
  double fork = get_fraction(s + kSnapFork, 1) * e.fork_travel - e.fork_travel;
  Pose lower;
  {
    V3 rel = sub(e.fork_lower_position, e.steering_head);
    for (int i = 0; i < 3; ++i) rel[i] -= fork_up[i] * fork;
    lower.p = carry(upper, rel);
    for (int i = 0; i < 4; ++i) lower.q[i] = upper.q[i];
  }
  set_pose(b[kBodyForkLower], lower);

  Pose rider;
  if (old) {
    // The oldest demos kept only how far the rider leaned along his mount's travel.
    V3 along = normalised({0, e.rider_lengths[0], e.rider_lengths[1]});
    double u =
        e.rider_factors[0] + (e.rider_factors[1] - e.rider_factors[0]) * (s[kOldSnapLean] / 255.0);
    V3 local = sub(e.rider_position, e.frame_position);
    for (int i = 0; i < 3; ++i) local[i] += u * along[i];
    rider.p = carry(frame, local);
    for (int i = 0; i < 4; ++i) rider.q[i] = frame.q[i];
  } else {
    for (int i = 0; i < 3; ++i) {
      double offset =
          get_fraction(s + kSnapRiderOffset + 2 * i, 2) * 2 * kRiderOffsetRange - kRiderOffsetRange;
      rider.p[i] = frame.p[i] + offset;
    }
    to_quaternion(rider.q, get_quat(s + kSnapRiderQuat));
  }
  set_pose(b[kBodyRider], rider);

  const V3 backward_axle = {-1, 0, 0};
  double front = get_fraction(s + (old ? kOldSnapFrontWheel : kSnapFrontWheel), 1) * 2 * kPi - kPi;
  double rear = get_fraction(s + (old ? kOldSnapRearWheel : kSnapRearWheel), 1) * 2 * kPi - kPi;
  Pose wheel;
  wheel.p = carry(lower, sub(e.front_axle, e.fork_lower_position));
  turn(wheel.q, lower.q, backward_axle, front);
  set_pose(b[kBodyFrontWheel], wheel);
  wheel.p = carry(arm, sub(e.rear_axle, e.swingarm_position));
  turn(wheel.q, arm.q, backward_axle, rear);
  set_pose(b[kBodyRearWheel], wheel);

  unpack_status(bike, s, version);
}

}  // namespace br
