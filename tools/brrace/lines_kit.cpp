// lines_kit: makes the robots' first lines for the default data set, with the game's own
// riders. For every track and skill the scripted pilot rides laps as a person would, a little
// differently each lap, and the game learns them as lines; then tester robots ride those
// lines to give them their statistics. The files go into the data directory beside the
// tracks. Same build, same files: every race is seeded and the simulation deterministic.
//   lines_kit DATA_DIR
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "files/data_index.h"
#include "headless.h"
#include "race_run.h"
#include "robot/line_file.h"
#include "robot/robot_lines.h"

namespace {

namespace fs = std::filesystem;

const char* const kTracks[] = {"rabbithill", "foundry"};
// The pilot's pace per skill: novices learn from a slower rider than experts do.
constexpr double kSkillPace[3] = {0.8, 0.9, 1.0};
constexpr double kSwingFeet = 2.5;
// Three runs of three laps give each lap section six lines and each first-lap section three;
// two races of eight testers over two laps then ride every line about five times, the tests a
// racing robot wants before it trusts a line. More of either costs build time: the six
// tracks-and-skills take two to three minutes on one core as it is.
constexpr int kPilotRuns = 3;
constexpr int kPilotLaps = 3;
constexpr int kTesterRuns = 2;
constexpr int kTesters = 8;
constexpr int kTesterLaps = 2;
constexpr double kRaceLimitSeconds = 900;  // a pilot's race that takes longer is abandoned
// Testers still out when the person would have ridden their laps half again are called in:
// their unfinished runs count as failures, and lost robots must not hold up the build.
constexpr int64_t kTesterSlack = 3;  // halves

brrace::RaceSetup pilot_race(int skill, int run, double step) {
  brrace::RaceSetup setup;
  setup.lineup[0] = br::kLineupHuman;
  setup.pilot_slot = 0;
  setup.pilot_pace = kSkillPace[skill] * (1.0 + 0.04 * (run - 1));
  setup.pilot_swing = kSwingFeet;
  setup.seed = static_cast<uint32_t>(run * 7 + skill);
  setup.start.laps = kPilotLaps;
  setup.start.skill = skill;
  setup.step_limit = static_cast<int64_t>(kRaceLimitSeconds / step);
  return setup;
}

// `pilot_steps`: the steps of the pilot's slowest race of the same skill.
brrace::RaceSetup tester_race(int skill, int run, int64_t pilot_steps) {
  brrace::RaceSetup setup;
  for (int i = 0; i < kTesters; ++i) setup.lineup[static_cast<size_t>(i)] = br::kLineupRobot;
  setup.seed = static_cast<uint32_t>(100 + run * 7 + skill);
  setup.start.laps = kTesterLaps;
  setup.start.skill = skill;
  setup.step_limit = pilot_steps * kTesterLaps * kTesterSlack / (kPilotLaps * 2);
  return setup;
}

struct Tally {
  int lines = 0, tests = 0, failures = 0;
};

Tally tally(const br::LineDatabase& db) {
  Tally t;
  for (const br::LineSection& section : db.sections) {
    for (const br::LineRecord& line : section) {
      if (line.points.empty()) continue;
      ++t.lines;
      t.tests += line.tests;
      t.failures += line.failures;
    }
  }
  return t;
}

// Line files already in the data set (from an earlier run over it) would be learned on and
// make this run's files differ from a run over fresh data.
bool remove_old_lines(const fs::path& dir) {
  bool ok = true;
  for (int skill = 0; skill < 3; ++skill) {
    std::error_code error;
    fs::remove(dir / br::line_file_name(skill), error);
    if (error) {
      std::fprintf(stderr, "lines_kit: %s: %s\n", (dir / br::line_file_name(skill)).c_str(),
                   error.message().c_str());
      ok = false;
    }
  }
  return ok;
}

bool copy_lines(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
  if (error) std::fprintf(stderr, "lines_kit: %s: %s\n", to.c_str(), error.message().c_str());
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: lines_kit DATA_DIR\n", stderr);
    return 1;
  }
  const fs::path data = fs::absolute(argv[1]);
  std::string pattern = (fs::temp_directory_path() / "brlines-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("lines_kit: home");
    return 1;
  }
  const fs::path home = pattern;
  // The races read the data set being made, and learn into a throw-away home.
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  setenv("BR_HOME", data.c_str(), 1);
  br::data_files_reset();

  int status = 0;
  for (const char* track : kTracks) {
    if (!remove_old_lines(data / track)) status = 1;
  }
  br::World& w = br::g_world;
  for (const char* track : kTracks) {
    std::string error;
    if (!brrace::headless_start(w, error) || !brrace::choose_track(w, track)) {
      std::fprintf(stderr, "lines_kit: %s: %s\n", track,
                   error.empty() ? "no track" : error.c_str());
      status = 1;
      brrace::headless_stop(w);
      continue;
    }
    w.options.learn = true;
    for (int skill = 0; skill < 3; ++skill) {
      auto began = std::chrono::steady_clock::now();
      brrace::RaceHooks none;
      w.options.practice = false;
      int64_t pilot_steps = 0;
      for (int run = 0; run < kPilotRuns; ++run) {
        brrace::RaceRun ridden = brrace::run_race(w, pilot_race(skill, run, w.step), none);
        pilot_steps = std::max(pilot_steps, ridden.steps);
      }
      w.options.practice = true;
      int unfinished = 0;
      for (int run = 0; run < kTesterRuns; ++run) {
        brrace::RaceRun ridden = brrace::run_race(w, tester_race(skill, run, pilot_steps), none);
        if (ridden.end != brrace::RaceEnd::kFinal) ++unfinished;
      }
      br::save_lines(w);
      Tally t = tally(w.lines);
      double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
      std::printf("lines_kit: %s %s: %d lines, %d tests, %d failures, %d of %d tester races "
                  "called in (%.1f s)\n",
                  track, br::line_file_name(skill), t.lines, t.tests, t.failures, unfinished,
                  kTesterRuns, seconds);
      std::fflush(stdout);
    }
    brrace::headless_stop(w);
    for (int skill = 0; skill < 3; ++skill) {
      const char* name = br::line_file_name(skill);
      fs::path learned = home / "Bermrider" / track / name;
      if (!fs::exists(learned)) {
        std::fprintf(stderr, "lines_kit: %s: no %s learned\n", track, name);
        status = 1;
        continue;
      }
      if (!copy_lines(learned, data / track / name)) status = 1;
    }
  }
  std::error_code ignored;
  fs::remove_all(home, ignored);
  return status;
}
