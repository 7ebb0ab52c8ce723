// The main menu and the screens that start the game's modes.
#include <algorithm>

#include "ui/menu_entries.h"
#include "ui/menu_screens.h"
#include "ui/modes.h"

namespace br {
namespace {

MenuScreen main_menu() {
  MenuScreen s;
  s.id = kMenuMain;
  s.title = "Main Menu";
  s.entries = {
      open_button("New Race", kMenuNewRace),
      open_button("Playback Race", kMenuPlayback),
      open_button("Points Series", kMenuSeriesList),
      open_button("Time Trial", kMenuTimeTrial),
      open_button("Multiplayer", kMenuMultiplayer),
      open_button("Bike Setup", kMenuBikeSetup),
      open_button("Graphics/Sound Setup", kMenuGraphicsSound),
      open_button("Customize Controls", kMenuControls),
      button("Quit", MenuAction::kQuit),
  };
  return s;
}

// The track, shown by its long name; Enter opens the list of tracks.
MenuEntry track_entry(World& w) {
  MenuEntry e = chooser_entry("Track", w.settings.track_choice, kMenuChooseTrack);
  e.shown = w.track.list.long_names;
  return e;
}

void add_page_buttons(MenuScreen& s) {
  s.entries.push_back(button("Next Page", MenuAction::kNextPage));
  s.entries.push_back(button("Prev Page", MenuAction::kPrevPage));
}

MenuScreen new_race(World& w) {
  Settings& set = w.settings;
  MenuScreen s;
  s.title = "New Race";
  s.pages = page_count(static_cast<int>(set.slots.size()), kGatesPerPage);
  int page = std::clamp(w.menu_state.page, 0, s.pages - 1);
  s.entries = {track_entry(w), choice_entry(set.skill), number_entry(set.laps),
               number_entry(set.minutes), choice_entry(set.record)};
  int first = page * kGatesPerPage;
  int last = std::min(first + kGatesPerPage, static_cast<int>(set.slots.size()));
  for (int i = first; i < last; ++i) s.entries.push_back(choice_entry(set.slots[i]));
  add_page_buttons(s);
  s.entries.push_back(button("Start", MenuAction::kStartRace));
  s.entries.push_back(button("Back to Main Menu", MenuAction::kBack));
  s.notes.push_back("Gates " + std::to_string(first + 1) + " to " + std::to_string(last) +
                    " (page " + std::to_string(page + 1) + " of " + std::to_string(s.pages) + ")");
  return s;
}

MenuScreen choose_track(World& w) {
  MenuScreen s;
  s.title = "Choose Track";
  const TrackList& list = w.track.list;
  int count = static_cast<int>(list.dirs.size());
  s.pages = page_count(count, kChoicesPerPage);
  int first = std::clamp(w.menu_state.page, 0, s.pages - 1) * kChoicesPerPage;
  for (int i = first; i < std::min(first + kChoicesPerPage, count); ++i) {
    MenuEntry e = button(list.long_names[static_cast<size_t>(i)], MenuAction::kChoose, i);
    e.choice = &w.settings.track_choice;
    e.marked = w.settings.track_choice.index == i;
    s.entries.push_back(e);
  }
  if (s.pages > 1) add_page_buttons(s);
  s.entries.push_back(button("Back", MenuAction::kBack));
  return s;
}

MenuScreen time_trial(World& w) {
  Settings& set = w.settings;
  MenuScreen s;
  s.title = "Time Trial";
  s.entries = {track_entry(w), choice_entry(set.time_trial_abort),
               number_entry(set.ghost_fade_distance), button("Start", MenuAction::kStartTimeTrial),
               button("Back to Main Menu", MenuAction::kBack)};
  return s;
}

MenuScreen playback(World& w) {
  Settings& set = w.settings;
  const DemoList& demos = w.demos;
  MenuScreen s;
  s.title = "Playback Race";
  s.entries = {choice_entry(set.playback_mode), number_entry(set.ghost_fade_distance)};
  int count = static_cast<int>(demos.names.size());
  s.pages = page_count(count, kDemosPerPage);
  int first = std::clamp(w.menu_state.page, 0, s.pages - 1) * kDemosPerPage;
  for (int i = first; i < std::min(first + kDemosPerPage, count); ++i) {
    MenuEntry e = button(demos.short_names[static_cast<size_t>(i)], MenuAction::kPickDemo, i);
    e.marked = w.menu_state.demo == i;
    s.entries.push_back(e);
  }
  if (count == 0) s.notes.push_back("No demos found");
  if (s.pages > 1) add_page_buttons(s);
  s.entries.push_back(button("Start", MenuAction::kStartPlayback));
  s.entries.push_back(button("Back to Main Menu", MenuAction::kBack));
  return s;
}

MenuScreen series_list(World& w) {
  MenuScreen s;
  s.title = "Points Series";
  std::vector<std::string> names = points_series_names(w);
  for (size_t i = 0; i < names.size(); ++i) {
    s.entries.push_back(button(names[i], MenuAction::kOpenSeries, static_cast<int>(i)));
  }
  if (names.empty()) s.notes.push_back("No points series found");
  s.entries.push_back(button("Back to Main Menu", MenuAction::kBack));
  return s;
}

MenuScreen standings(World& w) {
  MenuScreen s;
  StandingsView view = points_series_standings(w, w.menu_state.series);
  s.title = view.title.empty() ? "Points Series" : view.title;
  s.table = std::move(view.table);
  s.entries = {button("Reset Points", MenuAction::kResetSeries),
               button("Practice Next Event", MenuAction::kPracticeSeries),
               button("Enter Next Event", MenuAction::kEnterSeries),
               button("Back to Points Series List", MenuAction::kBack)};
  return s;
}

MenuScreen multiplayer(World& w) {
  MenuScreen s;
  s.title = "Multiplayer";
  s.entries = {text_entry(w.settings.server_name),
               button(w.connected ? "Disconnect" : "Connect", MenuAction::kConnect),
               button("Request Restart", MenuAction::kRequestRestart),
               button("Back to Main Menu", MenuAction::kBack)};
  s.table.headings = {"Slot", "Ping", "No.", "Bike", "Name"};
  s.table.rows = connected_rider_rows(w);
  return s;
}

MenuScreen quit_screen() {
  MenuScreen s;
  s.title = "Press any key to exit or ESC to keep playing";
  return s;
}

MenuScreen disclaimer() {
  MenuScreen s;
  s.title = "Bermrider";
  s.notes = {"Although this software depicts real objects and places, it is not",
             "endorsed by or affiliated with any of the subjects depicted."};
  return s;
}

}  // namespace

int page_count(int count, int per_page) {
  return std::max(1, (count + per_page - 1) / per_page);
}

MenuScreen play_screen(World& w, int id) {
  MenuScreen s;
  switch (id) {
    case kMenuNewRace:
      s = new_race(w);
      break;
    case kMenuChooseTrack:
      s = choose_track(w);
      break;
    case kMenuTimeTrial:
      s = time_trial(w);
      break;
    case kMenuPlayback:
      s = playback(w);
      break;
    case kMenuSeriesList:
      s = series_list(w);
      break;
    case kMenuStandings:
      s = standings(w);
      break;
    case kMenuMultiplayer:
      s = multiplayer(w);
      break;
    case kMenuQuit:
      s = quit_screen();
      break;
    case kMenuDisclaimer:
      s = disclaimer();
      break;
    default:
      return main_menu();
  }
  s.id = id;
  return s;
}

MenuScreen build_menu_screen(World& w, int id) {
  bool setup = id >= kMenuBikeSetup && id <= kMenuControls && id != kMenuChat;
  return setup ? setup_screen(w, id) : play_screen(w, id);
}

}  // namespace br
