#include "http_json.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "server.h"

namespace brserver {
namespace {

using nlohmann::json;

// Whole milliseconds, exact for steps of 1/128 s.
int64_t steps_ms(int64_t steps) {
  return steps * 1000 / kStepsPerSecond;
}

// null for "none", so that the page can't mistake a missing time for 0:00.
json time_or_null(int32_t steps) {
  return steps > 0 ? json(steps_ms(steps)) : json(nullptr);
}

const char* phase_name(RacePhase p) {
  switch (p) {
    case RacePhase::kWarmup:
      return "warmup";
    case RacePhase::kRacing:
      return "racing";
    case RacePhase::kFinished:
      return "finished";
  }
  return "";
}

std::string dump(const json& j) {
  // Names are bytes a rider chose: invalid UTF-8 must not end the answer (or the thread).
  return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

std::string live_json(const StandingsView& v, int32_t clock) {
  if (v.final) clock = v.step;
  json out;
  out["race"] = v.race;
  out["track"] = v.track;
  out["phase"] = phase_name(v.phase);
  out["started"] = v.started;
  out["final"] = v.final;
  // Counted from the gate drop: negative while the riders wait at the gate.
  out["clock_ms"] = v.phase == RacePhase::kWarmup ? 0 : steps_ms(clock - v.start_step);
  out["laps"] = v.laps;
  out["time_limit_ms"] = v.duration > 0 ? json(steps_ms(v.duration)) : json(nullptr);
  int leader_laps = v.rows.empty() ? 0 : v.rows.front().laps;
  int total = v.duration > 0 ? v.total_laps : v.laps;
  out["laps_left"] = v.phase == RacePhase::kWarmup || total <= 0
                         ? json(nullptr)
                         : json(std::max(0, total - leader_laps));
  out["time_left_ms"] = nullptr;
  if (v.duration > 0 && v.started && !v.final) {
    out["time_left_ms"] = std::max<int64_t>(0, steps_ms(v.duration - (clock - v.start_step)));
  }
  out["version"] = v.version;
  json riders = json::array();
  int position = 0;
  for (const StandingRow& r : v.rows) {
    json row;
    row["position"] = ++position;
    row["slot"] = r.slot;
    row["number"] = r.number;
    row["name"] = r.name;
    row["bike"] = r.bike;
    row["laps"] = r.laps;
    row["last_lap_ms"] = time_or_null(r.last_lap);
    row["best_lap_ms"] = time_or_null(r.best_lap);
    row["best_lap"] = r.best_lap_number;
    row["gap_ms"] = steps_ms(r.gap_steps);
    row["laps_down"] = r.laps_down;
    row["penalty_ms"] = steps_ms(r.penalty_steps);
    row["laps_lost"] = r.laps_lost;
    row["finished"] = r.finished;
    row["connected"] = r.connected;
    riders.push_back(std::move(row));
  }
  out["riders"] = std::move(riders);
  return dump(out);
}

std::string history_json(const std::vector<PastRace>& races) {
  json list = json::array();
  for (const PastRace& r : races) {
    json race;
    race["race"] = r.race;
    race["track"] = r.track;
    race["laps"] = r.laps;
    race["time_limit_s"] = r.time_limit;
    race["date"] = r.date;
    json rows = json::array();
    int position = 0;
    for (const PastRow& p : r.rows) {
      rows.push_back({{"position", ++position},
                      {"number", p.number},
                      {"bike", p.bike},
                      {"laps", p.laps},
                      {"total", p.total},
                      {"finished", p.finished},
                      {"name", p.name}});
    }
    race["riders"] = std::move(rows);
    list.push_back(std::move(race));
  }
  return dump(json{{"races", std::move(list)}});
}

}  // namespace brserver
