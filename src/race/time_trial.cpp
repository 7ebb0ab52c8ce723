#include "race/time_trial.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/data_file.h"
#include "platform/log.h"
#include "race/rider_timing.h"
#include "race/session.h"
#include "race/standings.h"
#include "replay/demo_player.h"
#include "replay/demo_recorder.h"

namespace br {
namespace {

constexpr int kLocalSlot = 0;
constexpr int kGhostSlot = 1;

int laps_of(const World& w, LapShape shape, int slot) {
  const RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  return s.bike ? laps_completed(shape, s.timing.gates_passed) : 0;
}

void keep_if_best(World& w, int32_t lap) {
  int32_t& best = w.session.best_lap_frames;
  if (lap > 0 && (best == 0 || lap < best)) best = lap;
}

// The lap just recorded becomes the fastest. Written whole beside the old one and renamed
// over it, so a crash mid-copy never leaves a fastest lap that cannot be played.
void keep_last_lap_as_fastest(const std::string& track) {
  std::string last = track_home_file(track, kLastLapDemo);
  std::string fast = track_home_file(track, kFastLapDemo);
  std::optional<std::vector<uint8_t>> bytes = data_read_whole(last.c_str());
  if (!bytes) return;
  std::string_view contents(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  if (!data_replace_file(fast.c_str(), contents)) {
    kota::log_printf("Can't keep the lap as \"%s\"\n", fast.c_str());
  }
}

}  // namespace

TimeTrialLaps time_trial_laps(const World& w) {
  LapShape shape = lap_shape(w.track.timing);
  return {laps_of(w, shape, kLocalSlot), laps_of(w, shape, kGhostSlot)};
}

int32_t time_trial_lap_steps(LapShape shape, const RiderTiming& rider) {
  if (!shape.timed()) return 0;
  size_t begin = static_cast<size_t>(shape.first - 1);
  size_t end = begin + static_cast<size_t>(shape.normal);
  if (rider.gates_passed <= static_cast<int>(end) || rider.gate_times.size() <= end) return 0;
  for (size_t c = begin; c <= end; ++c) {
    if (rider.gate_times[c] == -1) return 0;
  }
  return rider.gate_times[end] - rider.gate_times[begin];
}

void align_to_lap_start(LapShape shape, RiderTiming& rider, int32_t start_step) {
  if (!shape.timed()) return;
  auto line = static_cast<size_t>(shape.first - 1);
  reset_rider_gates(rider, shape.first);
  rider.gate_times.resize(line + 1, -1);
  rider.gate_times[line] = start_step;
}

void time_trial_step(World& w, const TimeTrialLaps& before) {
  LapShape shape = lap_shape(w.track.timing);
  RiderSlot& local = w.slots[kLocalSlot];
  RiderSlot& ghost = w.slots[kGhostSlot];
  if (laps_of(w, shape, kGhostSlot) != before.ghost) {
    keep_if_best(w, time_trial_lap_steps(shape, ghost.timing));
  }
  if (laps_of(w, shape, kLocalSlot) == before.local) return;

  // The player is over the line: the lap's demo ends here, with the ghost's.
  int local_gates = local.timing.gates_passed;
  int ghost_gates = ghost.bike ? ghost.timing.gates_passed : 0;
  close_playback(w);
  record_step(w, true);
  close_recording(w);
  release_riders_after(w, kLocalSlot);
  if (!shape.timed()) return;

  int32_t lap = time_trial_lap_steps(shape, local.timing);
  w.session.last_lap_frames = lap;
  keep_if_best(w, lap);
  const std::string& track = w.track.dir;
  std::string fast = track_home_file(track, kFastLapDemo);
  bool have_fastest = DataFilePtr(data_open(fast.c_str(), "rb")) != nullptr;
  // The ghost was behind when the player had passed more gates than it had.
  if (!have_fastest || (ghost_gates < local_gates && lap > 0)) keep_last_lap_as_fastest(track);

  // The lap that starts now: the player against the fastest lap's ghost.
  int32_t lap_line = local.timing.gate_times.empty() ? w.frame : local.timing.gate_times.back();
  if (open_playback(w, fast)) {
    add_demo_ghosts(w, kGhostSlot);
    for (int i = kGhostSlot; i < kRiderSlots; ++i) {
      RiderSlot& s = w.slots[static_cast<size_t>(i)];
      if (s.bike) align_to_lap_start(shape, s.timing, lap_line);
    }
    playback_step(w);
  }
  align_to_lap_start(shape, local.timing, lap_line);
  // The robots learn from the player's lap here once they ride.
  open_recording(w);
  record_step(w, true);
  update_standings(w);
  // The results file is written here once results are kept.
}

}  // namespace br
