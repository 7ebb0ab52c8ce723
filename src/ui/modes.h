// The game's modes as the menus start them. Each mode has one function here; a mode whose
// subsystem is not in the game yet answers that it is not available, and its function is where
// that subsystem plugs in.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/menu_screen.h"
#include "world/world.h"

namespace br {

struct ModeOutcome {
  bool started = false;
  std::string message;  // for the player: why nothing started, or what happened
};

// The race's line-up from the 40 gates of the race menu; the positions beyond them are empty.
std::array<int, kLineupSize> menu_lineup(const Settings& s);

// New Race: the chosen track with the gates' line-up, laps, minutes, skill and recording.
ModeOutcome start_new_race(World& w);
// Time Trial: the player alone on the chosen track, racing his fastest lap.
ModeOutcome start_time_trial(World& w);
// Playback Race: the demo `demo_name` (a data name), alone or raced against.
ModeOutcome start_demo_playback(World& w, const std::string& demo_name, bool race_against);

// Points series: the series on offer, one series' standings as the standings screen shows
// them, and its events.
std::vector<std::string> points_series_names(const World& w);
struct StandingsView {
  std::string title;  // "Next Event: ..." or "... Final Standings"
  MenuTable table;    // "No.", "Total", then one column per round
};
StandingsView points_series_standings(const World& w, int series);
ModeOutcome play_series_event(World& w, int series, bool practice);
ModeOutcome reset_series_points(World& w, int series);

// Multiplayer: connecting to the `server_name` setting, leaving, asking for a restart, and
// the riders of the server's race as rows of "Slot", "Ping", "No.", "Bike", "Name".
ModeOutcome connect_to_server(World& w);
ModeOutcome disconnect_from_server(World& w);
ModeOutcome request_race_restart(World& w);
std::vector<std::vector<std::string>> connected_rider_rows(const World& w);

// On connecting, the server name goes to the front of the history unless it is already the
// newest entry; the oldest entry falls off the end.
void remember_server_name(Settings& s);

}  // namespace br
