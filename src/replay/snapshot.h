// The rider snapshot: one rider at one instant in 39 little-endian bytes, shared byte for byte
// by the state histories, demo files and network state packets. This header holds the layout
// and the arithmetic on raw snapshots; posing a bike from one is snapshot_pose.h's.
#pragma once

#include <array>
#include <cstdint>

namespace br {

constexpr int kSnapshotBytes = 39;
// Demo version 4 stored no rider pose of its own, only a lean.
constexpr int kOldSnapshotBytes = 26;
using Snapshot = std::array<uint8_t, kSnapshotBytes>;

// Byte offsets of the fields.
constexpr int kSnapFrameX = 0;        // 3-byte fraction of [0, S]
constexpr int kSnapFrameY = 3;        // 3-byte fraction of [B, B + S]
constexpr int kSnapFrameZ = 6;        // 3-byte fraction of [0, S]
constexpr int kSnapFrameQuat = 9;     // four signed units w, x, y, z
constexpr int kSnapSteering = 17;     // byte fraction of [-pi/4, pi/4]
constexpr int kSnapSwingarm = 18;     // byte fraction of [-travel, 0]; bit 0 is the packed mark
constexpr int kSnapFork = 19;         // byte fraction of [-travel, 0]; bit 0 always clear
constexpr int kSnapRiderOffset = 20;  // three 2-byte fractions of [-16, 16] ft
constexpr int kSnapRiderQuat = 26;    // four signed units w, x, y, z
constexpr int kSnapFrontWheel = 34;   // byte fraction of [-pi, pi]
constexpr int kSnapRearWheel = 35;    // byte fraction of [-pi, pi]
constexpr int kSnapStatus = 36;       // gear, throttle, crash state
constexpr int kSnapEngineSpeed = 37;  // 2-byte fraction of [0, 32768] rpm

// The same fields in the version 4 layout, where they differ.
constexpr int kOldSnapLean = 20;
constexpr int kOldSnapFrontWheel = 21;
constexpr int kOldSnapRearWheel = 22;
constexpr int kOldSnapStatus = 23;
constexpr int kOldSnapEngineSpeed = 24;

constexpr uint8_t kPackedMark = 0x01;     // bit 0 of the swingarm byte
constexpr int kStatusCrashed = 7;         // the gear bits of a fallen rider
constexpr double kRiderOffsetRange = 16;  // ft either way of the frame
constexpr double kMaxSnapshotRpm = 32768;

// Unsigned fraction of `bytes` bytes: clamp v to [0, 1], store floor(v * (2^(8n) - 1)).
void put_fraction(uint8_t* p, int bytes, double v);
double get_fraction(const uint8_t* p, int bytes);
// Signed unit of 2 bytes: clamp v to [-1, 1], store floor((v + 1) * 0.5 * 65535).
void put_unit(uint8_t* p, double v);
double get_unit(const uint8_t* p);

using Quat = std::array<double, 4>;  // w, x, y, z
void put_quat(uint8_t* p, const Quat& q);
Quat get_quat(const uint8_t* p);

// The horizontal size S and base height B of the terrain that positions are fractions of.
struct SnapshotBox {
  double size = 1;
  double base = 0;
};

// What the status byte says.
struct SnapshotStatus {
  bool crashed = false;
  int crash_counter = 0;  // the count the crashed code restores, from 1
  int gear = 0;           // 0..6 as stored
  bool rider_down = false;
  double throttle = 0;  // 0..1
};
SnapshotStatus decode_status(uint8_t status);
// A riding rider: gear clamped to 0..6, throttle in fifteenths.
uint8_t encode_riding_status(int gear, bool rider_down, double throttle);
// A fallen rider with crash counter c > 0.
uint8_t encode_crashed_status(int crash_counter);

// The snapshot between a (t = 0) and b (t = 1). Only the frame position follows a t above 1;
// everything else stops at b. With `copy_only` (a version 4 demo is playing) the result is a.
void interpolate_snapshot(Snapshot& out, const Snapshot& a, const Snapshot& b, double t,
                          bool copy_only = false);

}  // namespace br
