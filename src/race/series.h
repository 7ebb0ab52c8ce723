// Points series: the series found in the game data with their standings, the start line-up of
// a series event, recording an event's finishing places, round ranks, totals, and what the
// standings screen shows.
#pragma once

#include <string>
#include <vector>

#include "race/series_format.h"
#include "race/session.h"
#include "world/world.h"

namespace br {

// The series of this run, read once at start-up, and the event being raced (-1: none).
struct SeriesState {
  std::vector<Series> list;
  int active_series = -1;
  int active_event = -1;
};
SeriesState& series_state();

// Start-up: every data file ending in ".series", in the data list's order, with its standings.
// A broken file is left out (the debug log shows how far it was read).
void load_series(const World& w);

// The line-up of the series' next event: start position -> line-up code (a roster robot by
// number, the player as "Human").
Lineup series_lineup(const Series& series);

// Starts the next event of `series` on its track, or, for practice, the player alone there
// with no event to record. False when the series is done or the track does not load.
bool start_series_event(World& w, int series, bool practice = false);

// Takes the finishing places of the active event from the standings, once; clears the active
// event in every case.
void record_series_event(World& w);

// Takes places from the standings order of `w` into event `event` of `series` (the work of
// record_series_event, without the bookkeeping).
void take_event_places(const World& w, Series& series, int event);

// Running sums per round over the completed events; ranks set on the events that close one.
void compute_round_ranks(Series& series);

// Back to no events run; the standings file is rewritten at the next recorded event.
void reset_series(Series& series);

// Writes the standings file in one piece; an old file stays whole when that fails.
bool write_standings(const Series& series);

// The standings screen.
std::string standings_title(const Series& series);
struct StandingsRow {
  int participant = 0;  // R = the player
  int total = 0;
  std::vector<std::string> cells;  // "No.", "Total", then one per round
};
std::vector<std::string> standings_header(const Series& series);
// `player_number` is shown in the player's "No." cell.
std::vector<StandingsRow> standings_rows(const Series& series, const std::string& player_number);
int rounds_in(const Series& series);

}  // namespace br
