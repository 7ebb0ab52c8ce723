#include "ui/modes.h"

#include "race/session.h"

namespace br {
namespace {

ModeOutcome not_available(const char* mode) {
  return {false, std::string(mode) + " is not available yet"};
}

ModeOutcome session_outcome(const World& w, bool started) {
  if (started) return {true, ""};
  return {false, "Can't load track '" + w.settings.track_choice.text() + "'"};
}

}  // namespace

std::array<int, kLineupSize> menu_lineup(const Settings& s) {
  std::array<int, kLineupSize> lineup{};
  for (int i = 0; i < kLineupSlots && i < static_cast<int>(s.slots.size()); ++i) {
    // The gate texts are listed in line-up code order: "Empty", "Human", "Robot", ...
    lineup[static_cast<size_t>(i)] = s.slots[static_cast<size_t>(i)].index;
  }
  return lineup;
}

ModeOutcome start_new_race(World& w) {
  const Settings& s = w.settings;
  w.lineup = menu_lineup(s);
  SessionStart start;
  start.lineup = &w.lineup;
  start.record = s.record.text() == "Yes";
  start.duration_frames = static_cast<int32_t>(s.minutes.value * 60 / w.step);
  start.laps = static_cast<int>(s.laps.value);
  start.skill = s.skill.index;
  return session_outcome(w, start_session(w, start));
}

ModeOutcome start_time_trial(World& w) {
  SessionStart start;  // no line-up: the player alone against the clock
  start.skill = w.settings.skill.index;
  return session_outcome(w, start_session(w, start));
}

ModeOutcome start_demo_playback(World&, const std::string&, bool) {
  return not_available("Demo playback");
}

std::vector<std::string> points_series_names(const World&) {
  return {};
}

StandingsView points_series_standings(const World&, int) {
  return {};
}

ModeOutcome play_series_event(World&, int, bool) {
  return not_available("Points series");
}

ModeOutcome reset_series_points(World&, int) {
  return not_available("Points series");
}

ModeOutcome connect_to_server(World&) {
  return not_available("Multiplayer");
}

ModeOutcome disconnect_from_server(World&) {
  return not_available("Multiplayer");
}

ModeOutcome request_race_restart(World&) {
  return not_available("Multiplayer");
}

std::vector<std::vector<std::string>> connected_rider_rows(const World&) {
  return {};
}

void remember_server_name(Settings& s) {
  std::vector<TextSetting>& hist = s.server_name_hist;
  const std::string& name = s.server_name.value;
  if (hist.empty() || name.empty() || hist.front().value == name) return;
  // A name too long for a history line would be dropped when the file is read back.
  if (name.size() > kServerHistoryEntryMax) return;
  for (size_t i = hist.size() - 1; i > 0; --i) hist[i].value = hist[i - 1].value;
  hist.front().value = name;
}

}  // namespace br
