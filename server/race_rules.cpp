#include "race_rules.h"

#include <algorithm>
#include <bitset>

namespace brserver {
namespace {

std::bitset<br::kRiderSlots> g_riding;
bool g_final = false;

void rebuild_order(br::World& w) {
  w.order.clear();
  for (int i = 0; i < br::kRiderSlots; ++i) {
    if (g_riding.test(static_cast<size_t>(i))) {
      w.order.push_back({i, w.slots[static_cast<size_t>(i)].timing.gates_passed});
    }
  }
  std::stable_sort(w.order.begin(), w.order.end(),
                   [](const br::RiderOrderEntry& a, const br::RiderOrderEntry& b) {
                     return a.progress > b.progress;
                   });
}

}  // namespace

void rules_new_race(br::World& w, const RaceSetup& r) {
  g_riding.reset();
  g_final = false;
  w.race_start_frame = r.start_step;
  w.session.duration_frames = r.duration;
  w.session.race_laps = r.laps;
  for (br::RiderSlot& slot : w.slots) slot.timing = br::RiderTiming{};
  w.order.clear();
}

void rules_set_rider(br::World& w, int slot, bool riding) {
  g_riding.set(static_cast<size_t>(slot), riding);
  rebuild_order(w);
}

void rules_record(br::World& w, int slot, int index, int32_t step, int32_t) {
  br::RiderTiming& t = w.slots[static_cast<size_t>(slot)].timing;
  t.gate_times.resize(static_cast<size_t>(index) + 1, -1);
  t.gate_times[static_cast<size_t>(index)] = step;
  t.gates_passed = index + 1;
  rebuild_order(w);
}

void rules_update(br::World& w, int32_t) {
  rebuild_order(w);
}

bool rules_final(const br::World&) {
  return g_final;
}

void rules_force_final(br::World& w, int32_t) {
  rebuild_order(w);
  g_final = true;
}

}  // namespace brserver
