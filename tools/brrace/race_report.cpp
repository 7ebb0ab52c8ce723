#include "race_report.h"

#include "race/cutting_penalty.h"
#include "race/laps.h"
#include "track/text_lines.h"

namespace brrace {

std::string lap_line(const br::World& w, int slot, int lap) {
  const br::RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  int32_t steps =
      br::lap_time_steps(br::lap_shape(w.track.timing), s.timing, w.race_start_frame, lap);
  std::string out;
  br::appendf(out, "lap %d rider %s time %.2f\n", lap, s.identity.number.c_str(), steps * w.step);
  return out;
}

std::string standings_table(const br::World& w) {
  br::LapShape shape = br::lap_shape(w.track.timing);
  std::string out = "pos rider laps      time  best lap  name\n";
  std::string notes;
  int position = 0;
  for (const br::RiderOrderEntry& e : w.order) {
    const br::RiderSlot& s = w.slots[static_cast<size_t>(e.slot)];
    int laps = br::laps_completed(shape, e.progress);
    br::appendf(out, "%3d %5s %4d ", ++position, s.identity.number.c_str(), laps);
    if (laps > 0) {
      br::appendf(out, "%9.2f ", (e.last_step - w.race_start_frame) * w.step);
    } else {
      out += "        - ";
    }
    br::BestLap best = br::best_lap(shape, s.timing, w.race_start_frame);
    if (best.lap > 0) {
      br::appendf(out, "%9.2f ", best.steps * w.step);
    } else {
      out += "        - ";
    }
    out += " " + s.identity.name + (s.timing.finished ? "" : " (not finished)") + "\n";
    std::string note = br::penalty_report(e, s.identity.number, w.step);
    if (!note.empty()) notes += note + "\n";
  }
  return out + notes;
}

std::string timing_line(double simulated_seconds, double wall_seconds) {
  std::string out;
  double factor = wall_seconds > 0 ? simulated_seconds / wall_seconds : 0;
  br::appendf(out, "time %.2f s simulated, %.2f s wall, %.1f x real time\n", simulated_seconds,
              wall_seconds, factor);
  return out;
}

}  // namespace brrace
