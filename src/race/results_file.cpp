#include "race/results_file.h"

#include <algorithm>
#include <ctime>

#include "files/data_file.h"
#include "race/laps.h"
#include "track/text_lines.h"

namespace br {
namespace {

constexpr double kStepsPerSecond = 128.0;

// "  m:ss.mmm" from whole milliseconds.
void append_time(std::string& out, int64_t steps) {
  int64_t ms = steps * 1000 / 128;
  int64_t minutes = ms / 60000;
  appendf(out, "%3d:%02d.%03d", static_cast<int>(minutes),
          static_cast<int>(ms / 1000 - minutes * 60), static_cast<int>(ms % 1000));
}

}  // namespace

std::string results_text(const World& w, int64_t date) {
  const LapShape shape = lap_shape(w.track.timing);
  std::string out;
  appendf(out, "Time=%.2f|Laps=%d|Track=%s|Date=%ld\r\n",
          w.session.duration_frames / kStepsPerSecond, w.session.race_laps, w.track.dir.c_str(),
          static_cast<long>(date));
  appendf(out, "%4s | %12s | %4s | %10s | %4s | %10s\r\n", "No.", "Bike", "Laps", "Total Time",
          "BLap", "Best Time");
  for (const RiderOrderEntry& e : w.order) {
    const RiderSlot& s = w.slots[static_cast<size_t>(e.slot)];
    if (!s.timing.finished) continue;
    appendf(out, "%4s | %12s | %4d | ", s.identity.number.c_str(), s.identity.bike_model.c_str(),
            laps_completed(shape, e.progress));
    append_time(out, int64_t{e.last_step} - w.race_start_frame);
    BestLap best = best_lap(shape, s.timing, w.race_start_frame);
    appendf(out, " | %4d | ", best.lap);
    append_time(out, best.steps);
    out += "\r\n";
  }
  for (const RiderOrderEntry& e : w.order) {
    const RiderTiming& t = w.slots[static_cast<size_t>(e.slot)].timing;
    if (!t.finished) continue;
    int passed = std::min<int>(t.gates_passed, static_cast<int>(t.gate_times.size()));
    appendf(out, "\r\n%d\r\n", passed);
    auto lap_of = [&](int pos) { return pos < shape.first ? 0 : (pos - shape.first) / shape.normal + 1; };
    for (int pos = 0; pos < passed; ++pos) {
      int32_t time = t.gate_times[static_cast<size_t>(pos)];
      if (time == -1) {
        appendf(out, "%8d", -1);
      } else {
        appendf(out, "%8.3f", (time - w.race_start_frame) / kStepsPerSecond);
      }
      bool same_lap = pos + 1 < passed && lap_of(pos + 1) == lap_of(pos);
      out += same_lap ? " " : "\r\n";
    }
  }
  return out;
}

void write_results(const World& w) {
  data_replace_file("@results.txt", results_text(w, static_cast<int64_t>(std::time(nullptr))));
}

}  // namespace br
