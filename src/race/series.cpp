#include "race/series.h"

#include <algorithm>
#include <numeric>

#include "files/data_file.h"
#include "files/data_index.h"
#include "platform/log.h"
#include "race/cutting_penalty.h"
#include "race/laps.h"
#include "race/standings.h"
#include "track/text_lines.h"

namespace br {
namespace {

constexpr std::string_view kSeriesSuffix = ".series";

// Where the participants with the worst previous places start first: every other position
// from 6 for a small field, outward from position 10 for a large one.
int pick_position(int participants_before, int k) {
  constexpr int kSmallField = 14;
  if (participants_before <= kSmallField) return 6 + 2 * k;
  if (k < 20) return k % 2 == 1 ? 10 - (k + 1) / 2 : 10 + k / 2;
  // The table runs out at 40 entries; a field beyond it takes the positions after them rather
  // than reading past the table's end.
  return k;
}

// Points tables have 40 places; anybody placed beyond them scores nothing.
int points_at(const std::array<int, kSeriesPointPlaces>& table, int index) {
  return index >= 0 && index < kSeriesPointPlaces ? table[static_cast<size_t>(index)] : 0;
}

// The events of each round: the indices of the closing event and of those before it.
std::vector<std::vector<int>> rounds_of(const Series& s) {
  std::vector<std::vector<int>> rounds;
  std::vector<int> current;
  for (int e = 0; e < static_cast<int>(s.events.size()); ++e) {
    current.push_back(e);
    if (s.events[static_cast<size_t>(e)].closes_round()) {
      rounds.push_back(current);
      current.clear();
    }
  }
  return rounds;
}

std::string rider_number(const Series& s, int participant, const std::string& player_number) {
  if (participant == static_cast<int>(s.riders.size())) return player_number;
  return std::to_string(s.riders[static_cast<size_t>(participant)]);
}

std::string round_cell(const Series& s, const std::vector<int>& round, int participant) {
  auto place = [&](int e) {
    return s.events[static_cast<size_t>(e)].places[static_cast<size_t>(participant)] + 1;
  };
  int closing = round.back();
  std::string cell;
  if (closing < s.completed) {
    const SeriesEvent& ev = s.events[static_cast<size_t>(closing)];
    int rank = ev.round_ranks[static_cast<size_t>(participant)];
    appendf(cell, "%d (", points_at(ev.round_points, rank));
    if (round.size() == 1) {
      appendf(cell, "%d", rank + 1);
    } else {
      for (size_t i = 0; i < round.size(); ++i) appendf(cell, i ? "-%d" : "%d", place(round[i]));
    }
    return cell + ")";
  }
  if (round.front() >= s.completed) return "-";
  cell = "- (";
  for (int e : round) {
    if (e >= s.completed) break;
    appendf(cell, "%d-", place(e));
  }
  return cell + ")";
}

}  // namespace

SeriesState& series_state() {
  static SeriesState state;
  return state;
}

void load_series(const World& w) {
  SeriesState& state = series_state();
  state = SeriesState{};
  bool debug = w.options.debug_level >= 1;
  const std::vector<std::string>& dirs = w.track.list.dirs;
  TrackLookup lookup = [&dirs](const std::string& dir) -> std::optional<int> {
    auto it = std::find(dirs.begin(), dirs.end(), dir);
    if (it == dirs.end()) return std::nullopt;
    return static_cast<int>(it - dirs.begin());
  };
  for (const std::string& name : data_file_list()) {
    if (!name.ends_with(kSeriesSuffix)) continue;
    std::optional<std::string> text = read_text_file("@" + name);
    if (!text) continue;
    std::optional<Series> s = parse_series(*text, name, lookup, debug);
    if (!s) {
      kota::log_printf("Warning: points series '%s' is broken and left out\n", name.c_str());
      continue;
    }
    if (std::optional<std::string> standings = read_text_file(s->standings_file)) {
      s->completed = parse_standings(*standings, *s);
    }
    compute_round_ranks(*s);
    state.list.push_back(std::move(*s));
  }
}

Lineup series_lineup(const Series& s) {
  Lineup lineup{};
  const int r = static_cast<int>(s.riders.size());
  auto code = [&](int participant) {
    return participant == r ? int{kLineupHuman}
                            : kLineupRobotNumber + s.riders[static_cast<size_t>(participant)];
  };
  if (s.completed == 0) {
    for (int p = 0; p <= r && p < kLineupSize; ++p) lineup[static_cast<size_t>(p)] = code(p);
    return lineup;
  }
  const std::vector<int>& before = s.events[static_cast<size_t>(s.completed - 1)].places;
  int k = 0;
  for (int i = r; i >= 0; --i) {
    for (int p = 0; p <= r; ++p) {
      if (std::min(before[static_cast<size_t>(p)], r) != i) continue;
      int at = pick_position(r, k++);
      if (at < kLineupSize) lineup[static_cast<size_t>(at)] = code(p);
    }
  }
  return lineup;
}

bool start_series_event(World& w, int series, bool practice) {
  SeriesState& state = series_state();
  if (series < 0 || series >= static_cast<int>(state.list.size())) return false;
  Series& s = state.list[static_cast<size_t>(series)];
  if (s.completed >= static_cast<int>(s.events.size())) return false;
  const SeriesEvent& ev = s.events[static_cast<size_t>(s.completed)];
  w.settings.track.value = ev.track_dir;
  w.settings.track_choice.select(ev.track_dir);
  Lineup practice_lineup{};
  practice_lineup[0] = kLineupHuman;
  w.lineup = practice ? practice_lineup : series_lineup(s);
  SessionStart start;
  start.lineup = &w.lineup;
  start.laps = std::max(ev.laps, 1);
  start.duration_frames = static_cast<int32_t>(std::max(ev.minutes, 0) * 60 / w.step);
  start.skill = s.skill;
  // Starting a session records whatever event was running before; this one only counts
  // from here.
  if (!start_session(w, start)) return false;
  if (!practice) {
    state.active_series = series;
    state.active_event = s.completed;
  }
  return true;
}

void take_event_places(const World& w, Series& s, int event) {
  const int r = static_cast<int>(s.riders.size());
  std::vector<int>& places = s.events[static_cast<size_t>(event)].places;
  places.assign(static_cast<size_t>(r + 1), r);
  LapShape shape = lap_shape(w.track.timing);
  std::vector<const RiderTiming*> riders = standings_timings(w);
  int c = 0;
  for (const RiderOrderEntry& e : w.order) {
    const RiderSlot& slot = w.slots[static_cast<size_t>(e.slot)];
    if (slot.control == kControlLocal) {
      bool placed = w.session.results_final;
      if (!placed && slot.timing.finished) {
        // Left before the results were final: only a clean finish counts.
        CuttingPenalty p = cutting_penalty(shape, riders, slot.timing, w.race_start_frame);
        placed = p.steps == 0 && p.laps_lost == 0;
      }
      if (placed) places[static_cast<size_t>(r)] = c++;
    }
    for (int k = 0; k < r; ++k) {
      if (std::to_string(s.riders[static_cast<size_t>(k)]) == slot.identity.number) {
        places[static_cast<size_t>(k)] = c++;
        break;
      }
    }
  }
}

void record_series_event(World& w) {
  SeriesState& state = series_state();
  int series = state.active_series, event = state.active_event;
  state.active_series = state.active_event = -1;
  if (series < 0 || series >= static_cast<int>(state.list.size())) return;
  Series& s = state.list[static_cast<size_t>(series)];
  if (event != s.completed || event >= static_cast<int>(s.events.size())) return;
  take_event_places(w, s, event);
  s.completed += 1;
  compute_round_ranks(s);
  if (!write_standings(s)) {
    kota::log_printf("Can't write '%s'\n", s.standings_file.c_str());
  }
}

void compute_round_ranks(Series& s) {
  const int n = s.participants();
  std::vector<int64_t> sums(static_cast<size_t>(n), 0);
  for (int e = 0; e < s.completed && e < static_cast<int>(s.events.size()); ++e) {
    SeriesEvent& ev = s.events[static_cast<size_t>(e)];
    for (int p = 0; p < n; ++p) {
      sums[static_cast<size_t>(p)] += points_at(ev.moto_points, ev.places[static_cast<size_t>(p)]);
    }
    if (!ev.closes_round()) continue;
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      if (sums[size_t(a)] != sums[size_t(b)]) return sums[size_t(a)] > sums[size_t(b)];
      return ev.places[size_t(a)] < ev.places[size_t(b)];
    });
    for (int k = 0; k < n; ++k) ev.round_ranks[static_cast<size_t>(order[size_t(k)])] = k;
    // The next round starts from nothing for everybody.
    std::fill(sums.begin(), sums.end(), 0);
  }
}

void reset_series(Series& s) {
  s.completed = 0;
  compute_round_ranks(s);
}

bool write_standings(const Series& s) {
  return data_replace_file(s.standings_file.c_str(), format_standings(s));
}

std::string standings_title(const Series& s) {
  std::string title;
  if (s.completed < static_cast<int>(s.events.size())) {
    appendf(title, "Next Event: %.900s", s.events[static_cast<size_t>(s.completed)].name.c_str());
  } else {
    appendf(title, "%.900s Final Standings", s.name.c_str());
  }
  return title;
}

int rounds_in(const Series& s) { return static_cast<int>(rounds_of(s).size()); }

std::vector<std::string> standings_header(const Series& s) {
  std::vector<std::string> header = {"No.", "Total"};
  for (int k = 1; k <= rounds_in(s); ++k) header.push_back("Rd " + std::to_string(k));
  return header;
}

std::vector<StandingsRow> standings_rows(const Series& s, const std::string& player_number) {
  std::vector<std::vector<int>> rounds = rounds_of(s);
  int last_closed = -1;
  for (int e = 0; e < s.completed && e < static_cast<int>(s.events.size()); ++e) {
    if (s.events[static_cast<size_t>(e)].closes_round()) last_closed = e;
  }
  std::vector<StandingsRow> rows;
  for (int p = 0; p < s.participants(); ++p) {
    StandingsRow row;
    row.participant = p;
    for (int e = 0; e <= last_closed; ++e) {
      const SeriesEvent& ev = s.events[static_cast<size_t>(e)];
      if (ev.closes_round()) row.total += points_at(ev.round_points, ev.round_ranks[size_t(p)]);
    }
    row.cells = {rider_number(s, p, player_number), std::to_string(row.total)};
    for (const std::vector<int>& round : rounds) row.cells.push_back(round_cell(s, round, p));
    rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(), [&](const StandingsRow& a, const StandingsRow& b) {
    if (a.total != b.total) return a.total > b.total;
    if (last_closed < 0) return false;
    const std::vector<int>& ranks = s.events[static_cast<size_t>(last_closed)].round_ranks;
    return ranks[size_t(a.participant)] < ranks[size_t(b.participant)];
  });
  return rows;
}

}  // namespace br
