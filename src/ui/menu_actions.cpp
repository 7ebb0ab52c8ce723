#include "ui/menu_actions.h"

#include <algorithm>

#include "bike/apply_setup.h"
#include "shell/bike_setup.h"
#include "shell/graphics_presets.h"
#include "shell/stability.h"
#include "shell/startup_settings.h"
#include "ui/binding_capture.h"
#include "ui/menu.h"
#include "ui/menu_hooks.h"
#include "ui/menu_screens.h"
#include "ui/modes.h"

namespace br {
namespace {

constexpr const char* kMechanicRefused = "Settings not applied.  Mechanic can't keep up error.";

int first_selectable(const MenuScreen& s) {
  for (size_t i = 0; i < s.entries.size(); ++i) {
    if (s.entries[i].selectable()) return static_cast<int>(i);
  }
  return 0;
}

// Opens `id` on top of the open screen, remembering the way back.
void open_sub_screen(World& w, int id, int page = 0) {
  MenuState& st = w.menu_state;
  st.trail.push_back({w.menu, w.menu_selection, st.page});
  w.menu = id;
  st.page = page;
  st.notice.clear();
  MenuScreen s = build_menu_screen(w, id);
  w.menu_selection = first_selectable(s);
  // A list opens on the line of the current choice.
  for (size_t i = 0; i < s.entries.size(); ++i) {
    if (s.entries[i].marked) w.menu_selection = static_cast<int>(i);
  }
}

// A mode started: the game goes on without menus.
void close_after_start(World& w, const ModeOutcome& outcome) {
  if (outcome.started) {
    menu_close(w);
  } else {
    w.menu_state.notice = outcome.message;
  }
}

void turn_page(World& w, const MenuScreen& screen, int direction) {
  MenuState& st = w.menu_state;
  st.page = std::clamp(st.page + direction, 0, screen.pages - 1);
}

void start_playback(World& w) {
  const DemoList& demos = w.demos;
  int demo = w.menu_state.demo;
  if (demo < 0 || demo >= static_cast<int>(demos.names.size())) {
    w.menu_state.notice = "No demo chosen";
    return;
  }
  bool race_against = w.settings.playback_mode.text() == "Race Against";
  close_after_start(w,
                    start_demo_playback(w, demos.names[static_cast<size_t>(demo)], race_against));
}

void connect_or_disconnect(World& w) {
  if (w.connected) {
    w.menu_state.notice = disconnect_from_server(w).message;
    return;
  }
  ModeOutcome outcome = connect_to_server(w);
  if (outcome.started) remember_server_name(w.settings);
  w.menu_state.notice = outcome.message;
}

void switch_video_mode(World& w) {
  const MenuHooks& hooks = menu_hooks();
  w.menu_state.notice = hooks.switch_video_mode ? hooks.switch_video_mode(w)
                                                : "The video mode changes at the next start";
}

void use_preset(World& w, int preset) {
  auto p = static_cast<GraphicsPreset>(preset);
  apply_graphics_preset(w.settings, p);
  apply_setting_effect(w, SettingEffect::kGraphics);
  w.menu_state.notice = std::string(graphics_preset_name(p)) + " settings in use";
}

void act(World& w, const MenuScreen& screen, const MenuEntry& e) {
  MenuState& st = w.menu_state;
  switch (e.action) {
    case MenuAction::kNone:
      break;
    case MenuAction::kOpen: {
      // A chooser opens on the page that holds the current choice.
      int page = e.choice ? std::max(e.choice->index, 0) / kChoicesPerPage : 0;
      open_sub_screen(w, e.arg, page);
      break;
    }
    case MenuAction::kBack:
      menu_back(w);
      break;
    case MenuAction::kNextPage:
      turn_page(w, screen, +1);
      break;
    case MenuAction::kPrevPage:
      turn_page(w, screen, -1);
      break;
    case MenuAction::kChoose:
      if (e.choice && e.arg >= 0 && e.arg < static_cast<int>(e.choice->texts.size())) {
        e.choice->index = e.arg;
        apply_setting_effect(w, e.effect);
      }
      menu_back(w);
      break;
    case MenuAction::kStartRace:
      close_after_start(w, start_new_race(w));
      break;
    case MenuAction::kStartTimeTrial:
      close_after_start(w, start_time_trial(w));
      break;
    case MenuAction::kStartPlayback:
      start_playback(w);
      break;
    case MenuAction::kPickDemo:
      st.demo = e.arg;
      break;
    case MenuAction::kOpenSeries:
      st.series = e.arg;
      open_sub_screen(w, kMenuStandings);
      break;
    case MenuAction::kResetSeries:
      st.notice = reset_series_points(w, st.series).message;
      break;
    case MenuAction::kPracticeSeries:
      close_after_start(w, play_series_event(w, st.series, true));
      break;
    case MenuAction::kEnterSeries:
      close_after_start(w, play_series_event(w, st.series, false));
      break;
    case MenuAction::kConnect:
      connect_or_disconnect(w);
      break;
    case MenuAction::kRequestRestart:
      st.notice = request_race_restart(w).message;
      break;
    case MenuAction::kSwitchVideoMode:
      switch_video_mode(w);
      break;
    case MenuAction::kPreset:
      use_preset(w, e.arg);
      break;
    case MenuAction::kCaptureBinding:
      begin_binding_capture(w, e.arg);
      break;
    case MenuAction::kQuit:
      open_sub_screen(w, kMenuQuit);
      break;
  }
}

}  // namespace

void apply_setting_effect(World& w, SettingEffect effect) {
  BikeSetup& setup = w.settings.setup;
  switch (effect) {
    case SettingEffect::kNone:
      return;
    case SettingEffect::kBikeModel:
      // A new model brings its own graphics; the bike itself changes at the next start.
      rebuild_bike_texture_choice(w.settings);
      return;
    case SettingEffect::kStability:
      apply_stability(setup, setup.stability.value);
      break;
    case SettingEffect::kBikeSetup:
      break;
    case SettingEffect::kGraphics:
      refresh_render_detail(w);
      return;
  }
  // The mechanic puts the changed setup on the player's bike, if it stands still.
  RiderSlot& viewed = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (viewed.bike && viewed.control == kControlLocal &&
      !apply_bike_setup(*viewed.bike, setup, w.frame * w.step)) {
    w.menu_state.notice = kMechanicRefused;
  }
}

void adjust_entry(World& w, const MenuEntry& e, int direction) {
  if (e.kind == EntryKind::kNumber && e.number) {
    number_step(*e.number, direction);
  } else if (e.kind == EntryKind::kChoice && e.choice) {
    choice_step(*e.choice, direction);
  } else {
    return;
  }
  apply_setting_effect(w, e.effect);
}

void activate_entry(World& w, const MenuScreen& screen, int index) {
  if (index < 0 || index >= static_cast<int>(screen.entries.size())) return;
  const MenuEntry& e = screen.entries[static_cast<size_t>(index)];
  w.menu_state.notice.clear();
  switch (e.kind) {
    case EntryKind::kButton:
    case EntryKind::kBinding:
      act(w, screen, e);
      break;
    case EntryKind::kChoice:
      if (e.action == MenuAction::kOpen) {
        act(w, screen, e);
      } else {
        adjust_entry(w, e, +1);
      }
      break;
    case EntryKind::kNumber:
      adjust_entry(w, e, +1);
      break;
    case EntryKind::kText:
      begin_text_edit(w, index);
      break;
    case EntryKind::kNote:
      break;
  }
}

void menu_back(World& w) {
  MenuState& st = w.menu_state;
  st.notice.clear();
  if (st.trail.empty()) {
    if (w.menu == kMenuMain) {
      menu_close(w);
    } else {
      menu_open(w, kMenuMain);
    }
    return;
  }
  MenuReturn back = st.trail.back();
  st.trail.pop_back();
  w.menu = back.menu;
  w.menu_selection = back.selection;
  st.page = back.page;
}

void begin_text_edit(World& w, int index) {
  MenuScreen screen = build_menu_screen(w, w.menu);
  if (index < 0 || index >= static_cast<int>(screen.entries.size())) return;
  const MenuEntry& e = screen.entries[static_cast<size_t>(index)];
  if (e.kind != EntryKind::kText || !e.text) return;
  MenuState& st = w.menu_state;
  st.editing = index;
  st.text_before = e.text->value;
  st.history_position = -1;
}

void end_text_edit(World& w, const MenuScreen& screen, bool keep) {
  MenuState& st = w.menu_state;
  if (st.editing < 0) return;
  if (st.editing < static_cast<int>(screen.entries.size())) {
    const MenuEntry& e = screen.entries[static_cast<size_t>(st.editing)];
    if (e.text) {
      if (!keep) e.text->value = st.text_before;
      apply_setting_effect(w, e.effect);
    }
  }
  st.editing = -1;
  st.text_before.clear();
  st.history_position = -1;
}

}  // namespace br
