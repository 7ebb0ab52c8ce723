#include "ui/modes.h"

#include "files/messages.h"
#include "net/client.h"
#include "race/series.h"
#include "race/session.h"

namespace br {
namespace {

ModeOutcome session_outcome(const World& w, bool started) {
  if (started) return {true, ""};
  return {false, "Can't load track '" + w.settings.track_choice.text() + "'"};
}

// A race of our own cannot share the world with a server's: the server hears goodbye first.
void leave_server(World& w) {
  if (w.connected) net_shutdown(w);
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
  leave_server(w);
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
  leave_server(w);
  SessionStart start;  // no line-up: the player alone against the clock
  start.skill = w.settings.skill.index;
  return session_outcome(w, start_session(w, start));
}

ModeOutcome start_demo_playback(World& w, const std::string& demo_name, bool race_against) {
  leave_server(w);
  if (!start_demo(w, demo_name, race_against)) return {false, "Can't play " + demo_name};
  return {true, ""};
}

std::vector<std::string> points_series_names(const World&) {
  std::vector<std::string> names;
  for (const Series& s : series_state().list) names.push_back(s.name);
  return names;
}

StandingsView points_series_standings(const World& w, int series) {
  const std::vector<Series>& list = series_state().list;
  if (series < 0 || series >= static_cast<int>(list.size())) return {};
  const Series& s = list[static_cast<size_t>(series)];
  StandingsView view;
  view.title = standings_title(s);
  view.table.headings = standings_header(s);
  const std::string& number = w.settings.setup.number.value;
  for (StandingsRow& row : standings_rows(s, number.empty() ? "999" : number)) {
    view.table.rows.push_back(std::move(row.cells));
  }
  return view;
}

ModeOutcome play_series_event(World& w, int series, bool practice) {
  const std::vector<Series>& list = series_state().list;
  if (series < 0 || series >= static_cast<int>(list.size())) return {false, "No such series"};
  const Series& s = list[static_cast<size_t>(series)];
  if (s.completed >= static_cast<int>(s.events.size())) {
    return {false, "The series is over: reset the points to ride it again"};
  }
  leave_server(w);
  if (start_series_event(w, series, practice)) return {true, ""};
  return {false, "Can't load track '" + s.events[static_cast<size_t>(s.completed)].track_dir + "'"};
}

ModeOutcome reset_series_points(World&, int series) {
  std::vector<Series>& list = series_state().list;
  if (series < 0 || series >= static_cast<int>(list.size())) return {false, "No such series"};
  reset_series(list[static_cast<size_t>(series)]);
  return {true, ""};
}

ModeOutcome connect_to_server(World& w) {
  const std::string address = w.settings.server_name.value;
  if (!net_connect(w, address, w.options.password.value_or(""))) {
    // The message area has just been told why; the menu says it too.
    std::string why = message_line(0);
    while (!why.empty() && why.back() == '\n') why.pop_back();
    return {false, why.empty() ? "Can't connect to " + address : why};
  }
  return {true, "Connecting to " + address};
}

ModeOutcome disconnect_from_server(World& w) {
  if (!w.connected) return {false, "Not connected to server"};
  net_disconnect(w);
  return {true, "Disconnecting"};
}

ModeOutcome request_race_restart(World& w) {
  if (!w.connected) return {false, "Not connected to server"};
  if (!net_request_restart(w)) return {false, "A restart can be asked for during a race"};
  return {true, "Requesting restart"};
}

std::vector<std::vector<std::string>> connected_rider_rows(const World& w) {
  std::vector<std::vector<std::string>> rows;
  if (!w.connected) return rows;
  for (int i = 0; i < kRiderSlots; ++i) {
    const RiderSlot& s = w.slots[static_cast<size_t>(i)];
    if (!s.bike) continue;
    int ping_steps = i == w.local_slot ? w.net.ping : w.net.rider_ping[static_cast<size_t>(i)];
    int ping_ms = static_cast<int>(ping_steps * w.step * 1000 + 0.5);
    rows.push_back({std::to_string(i), std::to_string(ping_ms), s.identity.number,
                    s.identity.bike_model, s.identity.name});
  }
  return rows;
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
