// brrace: the headless race runner. Runs a race on a track with the game's own race
// controller, world tick and timing, as fast as the processor allows, with no window and no
// sound; prints every lap, the standings and how fast it ran.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "headless.h"
#include "net/client.h"
#include "net_race.h"
#include "race/series.h"
#include "race_options.h"
#include "race_report.h"
#include "race_run.h"
#include "robot/robot_lines.h"
#include "world/render_detail.h"

namespace {

constexpr int kExitBadOptions = 1;
constexpr int kExitUnfinished = 2;
constexpr int kExitNoServer = 3;
// Time allowed before a race counts as one that will not finish: the start, then five
// minutes for every lap, after the time limit of a timed race.
constexpr double kStartAllowance = 60.0;  // seconds
constexpr double kLapAllowance = 300.0;   // seconds

int fail(const std::string& message) {
  std::fprintf(stderr, "brrace: %s\n", message.c_str());
  return kExitBadOptions;
}

brrace::RaceSetup race_setup(const brrace::RaceOptions& o, const br::World& w) {
  brrace::RaceSetup setup;
  int at = 0;
  if (o.pilot) {
    setup.lineup[0] = br::kLineupHuman;
    setup.pilot_slot = 0;
    setup.pilot_pace = o.pilot_pace;
    setup.pilot_swing = o.pilot_swing;
    at = 1;
  }
  for (int i = 0; i < o.robots && at < br::kLineupSize; ++i)
    setup.lineup[size_t(at++)] = br::kLineupRobot;
  setup.start.skill = o.skill;
  setup.seed = o.seed;
  setup.start.record = !o.record_file.empty();
  setup.start.duration_frames = static_cast<int32_t>(o.minutes * 60 / w.step);
  setup.start.laps = o.laps;
  double seconds = o.limit_seconds > 0
                       ? o.limit_seconds
                       : o.minutes * 60 + kStartAllowance + kLapAllowance * (o.laps + 1);
  setup.step_limit = static_cast<int64_t>(seconds / w.step);
  return setup;
}

// Lines flushed as they come: a network race runs in real time, watched from its log.
brrace::RaceHooks race_hooks(const brrace::RaceOptions& o) {
  brrace::RaceHooks hooks;
  if (!o.quiet) {
    hooks.lap_done = [](const br::World& world, int slot, int lap) {
      std::fputs(brrace::lap_line(world, slot, lap).c_str(), stdout);
      std::fflush(stdout);
    };
  }
  if (o.positions) {
    hooks.after_step = [](const br::World& world) {
      if (world.frame % brrace::kPositionEvery == 0) {
        std::fputs(brrace::position_lines(world).c_str(), stdout);
        std::fflush(stdout);
      }
    };
  }
  return hooks;
}

// A game server's race, joined as a client and ridden by the pilot.
int network_race(br::World& w, const brrace::RaceOptions& o) {
  w.options.fake_lag_seconds = o.fake_lag_ms * 0.001f;
  w.options.fake_loss_percent = o.fake_loss;
  // Load clients run many to a machine and may want no roost, which nobody here sees.
  w.options.roost_frequency = o.roost_frequency;
  w.detail = br::derive_render_detail(w.settings);
  br::apply_detail_options(w.detail, w.options);
  brrace::NetRaceSetup setup;
  setup.address = o.connect;
  setup.password = o.password;
  setup.name = o.name;
  setup.number = o.number;
  setup.limit_seconds = o.limit_seconds;
  brrace::NetRaceRun run = brrace::run_network_race(w, setup, race_hooks(o));
  int status = 0;
  switch (run.end) {
    case brrace::NetRaceEnd::kFinal:
      std::fputs(brrace::standings_table(w).c_str(), stdout);
      // The riders whose states reached us through the server.
      for (const br::RiderSlot& s : w.slots) {
        if (s.bike && s.control == br::kControlPlayedBack && s.last_server_frame > 0) {
          std::printf("saw rider %s\n", s.identity.number.c_str());
        }
      }
      std::fputs(brrace::timing_line(run.steps * w.step, run.seconds).c_str(), stdout);
      break;
    case brrace::NetRaceEnd::kLimit:
      std::fprintf(stderr, "brrace: the server's race did not finish within %.0f s\n",
                   o.limit_seconds);
      status = kExitUnfinished;
      break;
    case brrace::NetRaceEnd::kNoConnection:
    case brrace::NetRaceEnd::kDisconnected:
      std::fprintf(stderr, "brrace: %s\n",
                   run.end == brrace::NetRaceEnd::kNoConnection ? "can't reach the server"
                                                                : "the server ended the connection");
      status = kExitNoServer;
      break;
  }
  br::net_shutdown(w);
  return status;
}

std::string player_number(const br::World& w) {
  const std::string& n = w.settings.setup.number.value;
  return n.empty() ? "999" : n;
}

// The series' next event: its laps and minutes, every bike ridden by the scripted pilot.
brrace::RaceSetup series_setup(const brrace::RaceOptions& o, const br::World& w, int series) {
  const br::Series& s = br::series_state().list[static_cast<size_t>(series)];
  const br::SeriesEvent& ev = s.events[static_cast<size_t>(s.completed)];
  brrace::RaceOptions event = o;
  event.laps = std::max(ev.laps, 1);
  event.minutes = std::max(ev.minutes, 0);
  event.pilot = false;
  brrace::RaceSetup setup = race_setup(event, w);
  setup.series = series;
  return setup;
}

}  // namespace

int main(int argc, char** argv) {
  brrace::RaceOptions options;
  std::string error;
  switch (
      brrace::parse_race_options(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case brrace::ParseResult::kHelp:
      std::fputs(brrace::race_usage().c_str(), stdout);
      return 0;
    case brrace::ParseResult::kBad:
      return fail(error + " (brrace --help lists the options)");
    case brrace::ParseResult::kRun:
      break;
  }

  br::World& w = br::g_world;
  if (!brrace::headless_start(w, error)) return fail(error);
  if (!options.connect.empty()) {
    int status = network_race(w, options);
    brrace::headless_stop(w);
    return status;
  }
  if (!brrace::choose_track(w, options.track)) {
    brrace::headless_stop(w);
    return fail("no track '" + options.track + "' in the game data");
  }

  w.options.practice = options.practice;
  w.options.learn = options.learn;
  // A series event names its own track.
  int series = -1;
  if (!options.series.empty()) {
    const std::vector<br::Series>& list = br::series_state().list;
    for (size_t i = 0; i < list.size(); ++i) {
      if (list[i].file == options.series) series = static_cast<int>(i);
    }
    if (series < 0) {
      brrace::headless_stop(w);
      return fail("no points series '" + options.series + "' in the game data");
    }
    br::Series& s = br::series_state().list[static_cast<size_t>(series)];
    if (options.reset_series) br::reset_series(s);
    if (s.completed >= static_cast<int>(s.events.size())) {
      std::printf("every event of '%s' has been run (--reset-series starts it over)\n",
                  s.name.c_str());
      std::fputs(brrace::series_table(s, player_number(w)).c_str(), stdout);
      brrace::headless_stop(w);
      return 0;
    }
    options.track = s.events[static_cast<size_t>(s.completed)].track_dir;
  }
  w.options.erode = options.erode;
  w.options.roost_frequency = options.roost_frequency;
  w.detail = br::derive_render_detail(w.settings);
  br::apply_detail_options(w.detail, w.options);

  brrace::RaceHooks hooks = race_hooks(options);
  w.replay.recorder.fixed_path = options.record_file;
  brrace::RaceSetup setup =
      series >= 0 ? series_setup(options, w, series) : race_setup(options, w);
  auto began = std::chrono::steady_clock::now();
  brrace::RaceRun run = brrace::run_race(w, setup, hooks);
  std::chrono::duration<double> wall = std::chrono::steady_clock::now() - began;

  int status = 0;
  if (run.end == brrace::RaceEnd::kNoSession) {
    status = fail("can't set up a race on '" + options.track + "'");
  } else {
    std::fputs(brrace::standings_table(w).c_str(), stdout);
    std::fputs(brrace::falls_line(w).c_str(), stdout);
    std::fputs(brrace::ground_line(w.track.terrain).c_str(), stdout);
    std::fputs(brrace::timing_line(run.steps * w.step, wall.count()).c_str(), stdout);
    if (series >= 0) {
      // As the game does when it quits: an event cut short counts as far as it got.
      br::record_series_event(w);
      std::fputs("\n", stdout);
      std::fputs(brrace::series_table(br::series_state().list[static_cast<size_t>(series)],
                                      player_number(w))
                     .c_str(),
                 stdout);
    }
    if (run.end == brrace::RaceEnd::kStepLimit) {
      std::fprintf(stderr, "brrace: the race did not finish within %.0f s\n",
                   setup.step_limit * w.step);
      status = kExitUnfinished;
    }
  }
  // What the race taught the robots goes back to the track's line file, as the game does when
  // a session ends.
  if (options.learn) br::save_lines(w);
  brrace::headless_stop(w);
  return status;
}
