#include "results.h"

#include <cstdio>
#include <ctime>

#include "files/data_file.h"
#include "race/laps.h"

namespace brserver {
namespace {

std::string clock_text(int32_t steps) {
  long ms = static_cast<long>(static_cast<double>(steps) * 1000 / kStepsPerSecond);
  if (ms < 0) ms = 0;
  long minutes = ms / 60000;
  char text[64];
  std::snprintf(text, sizeof text, "%3ld:%02ld.%03ld", minutes, ms / 1000 - minutes * 60,
                ms % 1000);
  return text;
}

}  // namespace

std::string race_results_text(const Server& s, long date) {
  const br::World& w = br::g_world;
  const Race& r = s.race;
  std::string out;
  char line[512];
  std::snprintf(line, sizeof line, "Race=%u|Time=%.2f|Laps=%d|Track=%s|Date=%ld\r\n", r.number,
                r.duration / static_cast<double>(kStepsPerSecond), r.laps, r.track.c_str(), date);
  out += line;
  std::snprintf(line, sizeof line, "%4s | %12s | %4s | %10s | %s\r\n", "No.", "Bike", "Laps",
                "Total Time", "Name");
  out += line;
  br::LapShape shape = br::lap_shape(w.track.timing);
  for (const br::RiderOrderEntry& e : w.order) {
    const br::RiderSlot& slot = w.slots[static_cast<size_t>(e.slot)];
    const br::RiderIdentity& who = r.riders[static_cast<size_t>(e.slot)];
    int laps = br::laps_completed(shape, e.progress);
    // The standings' own time, a cutting penalty included.
    std::string total = slot.timing.finished ? clock_text(e.last_step - r.start_step) : "DNF";
    std::snprintf(line, sizeof line, "%4s | %12s | %4d | %10s | %s\r\n", who.number.c_str(),
                  who.bike_model.c_str(), laps, total.c_str(), who.name.c_str());
    out += line;
  }
  return out;
}

std::string write_race_results(Server& s) {
  char name[64];
  std::snprintf(name, sizeof name, "@results/race%05u.txt", s.race.number);
  if (!br::data_replace_file(name, race_results_text(s, static_cast<long>(std::time(nullptr))))) {
    return "";
  }
  s.race.results_written = true;
  return name + 1;
}

}  // namespace brserver
