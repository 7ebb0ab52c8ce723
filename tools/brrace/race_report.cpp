#include "race_report.h"

#include <ode/ode.h>

#include <algorithm>
#include <vector>

#include "bike/bike.h"

#include "race/cutting_penalty.h"
#include "race/laps.h"
#include "race/series.h"
#include "track/terrain_deform.h"
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

std::string position_lines(const br::World& w) {
  std::string out;
  for (int i = 0; i < br::kRiderSlots; ++i) {
    const br::RiderSlot& s = w.slots[static_cast<size_t>(i)];
    if (!s.bike) continue;
    const dReal* p = dBodyGetPosition(s.bike->bodies[br::kBodyFrame]);
    br::appendf(out, "position %d slot %d %.3f %.3f %.3f\n", w.frame, i, p[0], p[1], p[2]);
  }
  return out;
}

std::string falls_line(const br::World& w) {
  int total = 0;
  std::string riders;
  for (const br::RiderOrderEntry& e : w.order) {
    const br::RiderSlot& s = w.slots[static_cast<size_t>(e.slot)];
    if (!s.bike || s.bike->crash_count == 0) continue;
    total += s.bike->crash_count;
    br::appendf(riders, " %s:%d", s.identity.number.c_str(), s.bike->crash_count);
  }
  std::string out;
  br::appendf(out, "falls %d%s\n", total, riders.c_str());
  return out;
}

std::string ground_line(const br::Terrain& t) {
  const br::TerrainChange change = br::terrain_change(t);
  std::string out;
  br::appendf(out, "ground %d height samples changed, deepest cut %.2f ft\n", change.samples,
              change.deepest_cut);
  return out;
}

std::string timing_line(double simulated_seconds, double wall_seconds) {
  std::string out;
  double factor = wall_seconds > 0 ? simulated_seconds / wall_seconds : 0;
  br::appendf(out, "time %.2f s simulated, %.2f s wall, %.1f x real time\n", simulated_seconds,
              wall_seconds, factor);
  return out;
}

std::string series_table(const br::Series& series, const std::string& player_number) {
  std::vector<std::vector<std::string>> table = {br::standings_header(series)};
  for (br::StandingsRow& row : br::standings_rows(series, player_number)) {
    table.push_back(std::move(row.cells));
  }
  std::vector<size_t> width(table.front().size(), 0);
  for (const auto& row : table) {
    for (size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
  }
  std::string out = br::standings_title(series) + "\n";
  for (const auto& row : table) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      std::string cell = row[c];
      // Numbers line up on the right, the round cells on the left.
      if (c < 2) cell.insert(0, width[c] - cell.size(), ' ');
      else cell.resize(width[c], ' ');
      line += (c ? "  " : "") + cell;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

}  // namespace brrace
