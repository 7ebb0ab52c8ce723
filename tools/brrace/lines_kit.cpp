// lines_kit: makes the robots' first lines for the default data set, with the game's own
// riders. For every track and skill the scripted pilot rides laps as a person would, a little
// differently each lap, and the game learns them as lines; then tester robots ride those
// lines to give them their statistics. The files go into the data directory beside the
// tracks. Same build, same files: every race is seeded and the simulation deterministic.
//   lines_kit DATA_DIR
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
constexpr int kPilotRuns = 3;
constexpr int kPilotLaps = 4;
constexpr int kTesterRuns = 2;
constexpr int kTesters = 8;
constexpr int kTesterLaps = 3;
constexpr double kRaceLimitSeconds = 900;  // a race that takes longer is abandoned

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

brrace::RaceSetup tester_race(int skill, int run, double step) {
  brrace::RaceSetup setup;
  for (int i = 0; i < kTesters; ++i) setup.lineup[static_cast<size_t>(i)] = br::kLineupRobot;
  setup.seed = static_cast<uint32_t>(100 + run * 7 + skill);
  setup.start.laps = kTesterLaps;
  setup.start.skill = skill;
  setup.step_limit = static_cast<int64_t>(kRaceLimitSeconds / step);
  return setup;
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
      brrace::RaceHooks none;
      w.options.practice = false;
      for (int run = 0; run < kPilotRuns; ++run)
        brrace::run_race(w, pilot_race(skill, run, w.step), none);
      w.options.practice = true;
      for (int run = 0; run < kTesterRuns; ++run)
        brrace::run_race(w, tester_race(skill, run, w.step), none);
      br::save_lines(w);
      std::printf("lines_kit: %s %s: %d lines\n", track, br::line_file_name(skill),
                  br::count_lines(w.lines));
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
