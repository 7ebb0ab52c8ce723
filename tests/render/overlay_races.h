// Races whose standings are written out by hand, for the overlay's tests: the final results
// of a three-lap race with a lapped and a penalised rider, and four riders close together in
// the middle of a race. Both on a track of one gate a lap, so lap k ends at position k - 1.
#pragma once

#include <string>
#include <vector>

#include "world/world.h"

namespace br_test {

inline void one_gate_track(br::World& w) {
  br::TrackTiming& t = w.track.timing;
  t.gates.resize(1);
  t.first_lap = {0};
  t.normal_lap = {0};
  t.active = true;
  w.race_start_frame = 0;
}

// A rider in `slot` who passed the line at these steps.
inline void set_rider(br::World& w, int slot, const char* number, const char* name,
                      std::vector<int32_t> times, bool finished) {
  br::RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  s.identity.number = number;
  s.identity.name = name;
  s.timing.gates_passed = static_cast<int>(times.size());
  s.timing.gate_times = std::move(times);
  s.timing.finished = finished;
}

// The winner (laps of 100, 83.453 and 84.375 s), a rider a lap down, and one who rode three
// laps but gave two back and 4.5 s for cutting the track. The lapped rider is viewed.
inline void final_results(br::World& w) {
  one_gate_track(w);
  set_rider(w, 2, "12", "Alexander", {12800, 23482, 34282}, true);
  set_rider(w, 5, "3", "Cyrus", {13000, 24500}, true);
  set_rider(w, 1, "7", "Bob", {12900, 23600, 34500}, true);
  w.order = {{2, 3, 34282, 0, 0}, {5, 2, 24500, 0, 0}, {1, 1, 34500 + 576, 576, 2}};
  w.session.results_final = true;
  w.viewed_slot = 5;
}

// End of lap 1: the viewed rider (slot 3) is 1.6 s behind the third and 2.3 s behind the
// second, who is 3.1 s behind the leader.
inline void close_racing(br::World& w) {
  one_gate_track(w);
  set_rider(w, 0, "1", "Fastest", {800}, false);
  set_rider(w, 1, "2", "Leonardo", {1200}, false);
  set_rider(w, 2, "3", "Seconda", {1300}, false);
  set_rider(w, 3, "4", "Me", {1500}, false);
  w.order = {{0, 1, 800}, {1, 1, 1200}, {2, 1, 1300}, {3, 1, 1500}};
  w.viewed_slot = 3;
  w.frame = 1600;
}

}  // namespace br_test
