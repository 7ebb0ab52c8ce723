// Where the connection meets the replay: the own rider packed into a snapshot for the server,
// the others' snapshots into their histories, the server's lines into the demo.
#include "bike/bike.h"
#include "net/client_parts.h"
#include "replay/demo_recorder.h"
#include "replay/history.h"
#include "replay/snapshot_pose.h"

namespace br {

static_assert(kSnapshotWireBytes == kSnapshotBytes, "state packets carry whole snapshots");

bool pack_own_state(World& w, WireSnapshot& out) {
  if (w.local_slot < 0) return false;
  const RiderSlot& slot = w.slots[static_cast<size_t>(w.local_slot)];
  if (!slot.bike || slot.control != kControlLocal) return false;
  Snapshot s;
  pack_snapshot(*slot.bike, snapshot_box(w.track.terrain), s);
  std::copy(s.begin(), s.end(), out.begin());
  return true;
}

void store_received_state(World& w, int slot, const WireSnapshot& s, int32_t step) {
  Snapshot snapshot;
  std::copy(s.begin(), s.end(), snapshot.begin());
  add_state_to_history(w, slot, snapshot, step);
}

void clear_received_states(World& w) {
  reset_histories(w);
  for (RiderSlot& slot : w.slots) slot.last_server_frame = 0;
}

void note_server_text(World& w, const std::string& text) {
  if (recording(w)) write_text_block(w, text);
}

}  // namespace br
