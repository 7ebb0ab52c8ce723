#include "replay/snapshot.h"

#include <algorithm>
#include <cmath>

namespace br {
namespace {

// Decoding r / d and encoding back must give r again, yet (r / d) * d can land a hair below r
// in floating point (1 / 49 * 49 < 1); this much of a step is added before the floor.
constexpr double kStepSlack = 1e-7;

uint32_t max_raw(int bytes) {
  return bytes >= 4 ? 0xffffffffu : (1u << (8 * bytes)) - 1;
}

uint32_t get_raw(const uint8_t* p, int bytes) {
  uint32_t r = 0;
  for (int i = 0; i < bytes; ++i) r |= static_cast<uint32_t>(p[i]) << (8 * i);
  return r;
}

void put_raw(uint8_t* p, int bytes, uint32_t r) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(r >> (8 * i));
}

double lerp(double a, double b, double t) {
  return a + t * (b - a);
}

void blend_fraction(uint8_t* out, const uint8_t* a, const uint8_t* b, int bytes, double t) {
  put_fraction(out, bytes, lerp(get_fraction(a, bytes), get_fraction(b, bytes), t));
}

void blend_quat(uint8_t* out, const uint8_t* a, const uint8_t* b, double t) {
  Quat qa = get_quat(a), qb = get_quat(b);
  double dot = 0;
  for (int i = 0; i < 4; ++i) dot += qa[i] * qb[i];
  // The same rotation has two quaternions; blend along the shorter way.
  if (dot < 0) {
    for (double& c : qa) c = -c;
  }
  Quat q;
  double length = 0;
  for (int i = 0; i < 4; ++i) {
    q[i] = lerp(qa[i], qb[i], t);
    length += q[i] * q[i];
  }
  length = std::sqrt(length);
  if (length > 0) {
    for (double& c : q) c /= length;
  } else {
    q = qb;
  }
  put_quat(out, q);
}

// Wheels turn forward far more often than backward, so a jump of more than an eighth of a
// turn backward is read as the wheel having come round forward.
void blend_wheel(uint8_t* out, uint8_t a_raw, uint8_t b_raw, double t) {
  double a = a_raw / 255.0, b = b_raw / 255.0;
  if (b < a - 0.125) {
    a -= 1;
  } else if (b > a + 0.875) {
    b -= 1;
  }
  double v = lerp(a, b, t);
  if (v < 0) v += 1;
  put_fraction(out, 1, v);
}

}  // namespace

void put_fraction(uint8_t* p, int bytes, double v) {
  if (!(v > 0)) v = 0;  // NaN too
  v = std::min(v, 1.0);
  double top = max_raw(bytes);
  put_raw(p, bytes, static_cast<uint32_t>(std::floor(v * top + kStepSlack)));
}

double get_fraction(const uint8_t* p, int bytes) {
  return get_raw(p, bytes) / static_cast<double>(max_raw(bytes));
}

void put_unit(uint8_t* p, double v) {
  if (!(v > -1)) v = -1;
  v = std::min(v, 1.0);
  put_raw(p, 2, static_cast<uint32_t>(std::floor((v + 1) * 0.5 * 65535 + kStepSlack)));
}

double get_unit(const uint8_t* p) {
  return get_raw(p, 2) / 65535.0 * 2 - 1;
}

void put_quat(uint8_t* p, const Quat& q) {
  for (int i = 0; i < 4; ++i) put_unit(p + 2 * i, q[i]);
}

Quat get_quat(const uint8_t* p) {
  return {get_unit(p), get_unit(p + 2), get_unit(p + 4), get_unit(p + 6)};
}

SnapshotStatus decode_status(uint8_t status) {
  SnapshotStatus s;
  int code = status & 7;
  int high = status >> 4;
  if (code == kStatusCrashed) {
    s.crashed = true;
    s.crash_counter = high * 127 / 15 + 1;
    return s;
  }
  s.gear = code;
  s.rider_down = (status & 8) != 0;
  s.throttle = std::clamp(high / 15.0, 0.0, 1.0);
  return s;
}

uint8_t encode_riding_status(int gear, bool rider_down, double throttle) {
  int g = std::clamp(gear, 0, 6);
  double scaled = throttle * 15;
  int t = scaled > 0 ? std::min(static_cast<int>(scaled), 15) : 0;
  return static_cast<uint8_t>(g | (rider_down ? 8 : 0) | (t << 4));
}

uint8_t encode_crashed_status(int crash_counter) {
  int high = std::clamp((crash_counter * 15 - 15) / 127, 0, 15);
  return static_cast<uint8_t>(kStatusCrashed | (high << 4));
}

void interpolate_snapshot(Snapshot& out, const Snapshot& a, const Snapshot& b, double t,
                          bool copy_only) {
  if (t == 0 || copy_only || !std::isfinite(t)) {
    out = a;
    return;
  }
  Snapshot r{};
  for (int field : {kSnapFrameX, kSnapFrameY, kSnapFrameZ}) {
    blend_fraction(&r[field], &a[field], &b[field], 3, t);
  }
  t = std::min(t, 1.0);
  blend_quat(&r[kSnapFrameQuat], &a[kSnapFrameQuat], &b[kSnapFrameQuat], t);
  for (int field : {kSnapSteering, kSnapSwingarm, kSnapFork}) {
    blend_fraction(&r[field], &a[field], &b[field], 1, t);
  }
  for (int i = 0; i < 3; ++i) {
    int field = kSnapRiderOffset + 2 * i;
    blend_fraction(&r[field], &a[field], &b[field], 2, t);
  }
  blend_quat(&r[kSnapRiderQuat], &a[kSnapRiderQuat], &b[kSnapRiderQuat], t);
  blend_wheel(&r[kSnapFrontWheel], a[kSnapFrontWheel], b[kSnapFrontWheel], t);
  blend_wheel(&r[kSnapRearWheel], a[kSnapRearWheel], b[kSnapRearWheel], t);
  r[kSnapStatus] = a[kSnapStatus];
  blend_fraction(&r[kSnapEngineSpeed], &a[kSnapEngineSpeed], &b[kSnapEngineSpeed], 2, t);
  // An interpolated snapshot is never taken for a packed one.
  r[kSnapSwingarm] &= static_cast<uint8_t>(~kPackedMark);
  out = r;
}

}  // namespace br
