// A time trial on the default track ridden by the scripted pilot: every lap is recorded, the
// faster one is kept, and the next lap is raced against it as a ghost.
#include <gtest/gtest.h>

#include <filesystem>

#include "pilot/pilot.h"
#include "race/laps.h"
#include "race/session_fixture.h"
#include "race/time_trial.h"
#include "replay/demo_format.h"
#include "replay/demo_player.h"
#include "replay/demo_recorder.h"
#include "shell/world_tick.h"

namespace br {
namespace {

class TimeTrial : public br_test::SessionTest {
 protected:
  std::string home_file(const char* name) { return dirs.home("rabbithill/" + std::string(name)); }
  // The steps between the first and last states of a demo.
  int32_t demo_steps(const std::string& path) {
    DemoSummary s;
    std::string error;
    EXPECT_TRUE(summarise_demo(path.c_str(), s, error)) << error;
    return s.last_step - s.first_step;
  }
};

TEST(TimeTrialLap, TimedFromTheLapStartItWasAlignedTo) {
  LapShape shape{3, 2};
  RiderTiming t;
  t.gates_passed = 7;
  t.gate_times = {10, 20, 30, 40, 50, 60, 70};
  align_to_lap_start(shape, t, 500);
  EXPECT_EQ(t.gates_passed, 3);
  EXPECT_EQ(t.gate_times.back(), 500);
  EXPECT_EQ(time_trial_lap_steps(shape, t), 0);  // not round yet
  t.gates_passed = 5;
  t.gate_times.insert(t.gate_times.end(), {600, 700});
  EXPECT_EQ(time_trial_lap_steps(shape, t), 200);
  t.gate_times[3] = -1;  // a gate missed: no time
  EXPECT_EQ(time_trial_lap_steps(shape, t), 0);
}

TEST_F(TimeTrial, EveryLapIsRecordedAndTheFasterRacedAsAGhost) {
  std::filesystem::create_directory_symlink(BR_DATA_DIR "/rabbithill", dirs.game("rabbithill"));
  data_files_reset();
  World& w = g_world;
  w.settings.track.value = "rabbithill";
  SessionStart start;  // no line-up: a time trial
  start.laps = 1000;
  ASSERT_TRUE(start_session(w, start));
  ASSERT_TRUE(w.session.time_trial);
  LapShape shape = lap_shape(w.track.timing);
  ASSERT_TRUE(shape.timed());

  Pilot pilot = pilot_take(w, 0);
  const RiderTiming& mine = w.slots[0].timing;
  std::vector<int32_t> laps;  // the player's lap times, run-up first
  std::string first_lap_demo;
  int previous = mine.gates_passed;
  constexpr int kStepLimit = 128 * 500;
  for (int i = 0; i < kStepLimit; ++i) {
    pilot_drive(pilot, w);
    world_tick(w);
    bool crossed = mine.gates_passed == shape.first && previous != shape.first;
    previous = mine.gates_passed;
    if (!crossed) continue;
    laps.push_back(w.session.last_lap_frames);
    // Each lap is recorded from the line on; the ghost is the fastest lap so far.
    EXPECT_TRUE(recording(w));
    EXPECT_TRUE(std::filesystem::exists(home_file(kLastLapDemo)));
    if (laps.size() == 1) {
      EXPECT_EQ(laps[0], 0);  // the run-up to the line is no lap
      EXPECT_FALSE(w.slots[1].bike);
      continue;
    }
    ASSERT_TRUE(std::filesystem::exists(home_file(kFastLapDemo)));
    ASSERT_TRUE(w.slots[1].bike);
    EXPECT_EQ(w.slots[1].control, kControlPlayedBack);
    EXPECT_EQ(w.slots[1].timing.gates_passed, shape.first);
    if (laps.size() == 2) {
      first_lap_demo = home_file(kFastLapDemo) + ".lap1";
      std::filesystem::copy_file(home_file(kFastLapDemo), first_lap_demo);
      EXPECT_NEAR(demo_steps(first_lap_demo), laps[1], kWriteEvery);
    }
    if (laps.size() == 3) break;
  }
  ASSERT_EQ(laps.size(), 3u) << "the pilot did not ride two laps";
  ASSERT_GT(laps[1], 0);
  ASSERT_GT(laps[2], 0);
  int32_t faster = std::min(laps[1], laps[2]);
  EXPECT_NEAR(demo_steps(home_file(kFastLapDemo)), faster, kWriteEvery);
  bool kept_first = laps[1] <= laps[2];
  EXPECT_EQ(kept_first, std::filesystem::file_size(home_file(kFastLapDemo)) ==
                            std::filesystem::file_size(first_lap_demo));
  // The ghost's lap counts as well: the best is the faster lap, as its ghost rode it.
  EXPECT_NEAR(w.session.best_lap_frames, faster, kWriteEvery);

  // The third lap is raced against the faster one's ghost, which rides through the gates.
  for (int i = 0; i < 128 * 20; ++i) {
    pilot_drive(pilot, w);
    world_tick(w);
  }
  ASSERT_TRUE(w.slots[1].bike);
  EXPECT_GT(w.slots[1].timing.gates_passed, shape.first);
}

}  // namespace
}  // namespace br
