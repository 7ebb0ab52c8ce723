// A live bike to a snapshot and back: packing reads the seven bodies and the joints,
// unpacking places the bodies from the model's geometry so that only the frame needs a full
// pose in the record.
#pragma once

#include "replay/snapshot.h"
#include "track/terrain.h"

namespace br {

struct Bike;

SnapshotBox snapshot_box(const Terrain& t);

void pack_snapshot(const Bike& bike, const SnapshotBox& box, Snapshot& out);

// Places the seven bodies (velocities untouched) and takes over the crash state, gear,
// throttle and engine speed. `version` 4 reads the 26-byte layout of the oldest demos.
void unpack_snapshot(Bike& bike, const uint8_t* snapshot, int version, const SnapshotBox& box);

// The frame body's position and orientation alone, for pulling a released rider.
struct FramePose {
  std::array<double, 3> position{};
  Quat orientation{1, 0, 0, 0};
};
FramePose snapshot_frame(const uint8_t* snapshot, const SnapshotBox& box);

// The status byte and engine speed of either layout, as unpacking takes them.
void unpack_status(Bike& bike, const uint8_t* snapshot, int version);

}  // namespace br
