// Races recorded through the race controller and played back through it: the demo's blocks,
// its backups and names, riders posed where they rode, and seeking a second either way.
#include <gtest/gtest.h>
#include <ode/ode.h>

#include <filesystem>
#include <map>

#include "bike/controls.h"
#include "files/little_endian.h"
#include "files/messages.h"
#include "race/session_fixture.h"
#include "replay/demo_format.h"
#include "replay/demo_player.h"
#include "replay/demo_recorder.h"
#include "shell/world_tick.h"

namespace br {
namespace {

using Position = std::array<double, 3>;

Position frame_position(const Bike& bike) {
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  return {p[0], p[1], p[2]};
}

double distance(const Position& a, const Position& b) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

// How far a played-back pose strays from the ridden one. Across the ground: the 24-bit steps
// of the 1024 ft box and the curve between 4-step samples. Upward it may stand higher by as
// much as the tyre sank into the ground, as a posed rider is lifted clear of it; so the error
// counts only what goes beyond that.
double stray(const Position& posed, const Position& ridden) {
  double across = std::hypot(posed[0] - ridden[0], posed[2] - ridden[2]);
  double up = posed[1] - ridden[1];
  constexpr double kTyreSink = 0.2;  // ft
  return std::max({across, -up, up - kTyreSink});
}

// Whether one of the latest message lines holds `text`.
bool said(const std::string& text) {
  for (int i = 0; i < 5; ++i) {
    if (std::string(message_line(i)).find(text) != std::string::npos) return true;
  }
  return false;
}

class DemoSession : public br_test::SessionTest {
 protected:
  // 1024 ft of flat ground with one starting gate at (500, 600), facing -z.
  void write_big_track() {
    br_test::SmallTrack t;
    t.header = TerrainHeader{8, 4.0f, 0.0f, 10.0f};
    int side = terrain_side(8);
    t.samples.assign(static_cast<size_t>(side) * side, 0);
    t.tilemap.assign(static_cast<size_t>(side / 2) * (side / 2), 0);
    br_test::write_small_track(dirs, "big", t);
    br_test::DataDirs::put(dirs.game("big/timing_gates"),
                           "startinggate:\n[500 0 600] 0 null null null\n");
  }
  // A race of the player and a robot, recorded, the player riding off at part throttle for
  // `ticks` steps. Returns the player's frame position after each step, by frame counter.
  std::map<int32_t, Position> record_race(int ticks) {
    write_big_track();
    g_world.settings.track.value = "big";
    Lineup lineup{};
    lineup[0] = kLineupHuman;
    lineup[1] = kLineupRobot;
    SessionStart s;
    s.lineup = &lineup;
    s.record = true;
    EXPECT_TRUE(start_session(g_world, s));
    std::map<int32_t, Position> rode;
    Bike& bike = *g_world.slots[0].bike;
    for (int i = 0; i < ticks; ++i) {
      set_throttle(bike, 0.4f);
      world_tick(g_world);
      rode[g_world.frame] = frame_position(bike);
    }
    return rode;
  }
  std::string demo_path(const std::string& name = "default.brdemo") {
    return dirs.home("demos/" + name);
  }
};

TEST_F(DemoSession, ARecordedRaceWritesABlockOfFourStatesPerRiderEverySixteenSteps) {
  record_race(40);
  // The file is whole at every block while the race still runs: a game killed now leaves it
  // readable to its end.
  DemoSummary live;
  std::string error;
  ASSERT_TRUE(summarise_demo(demo_path().c_str(), live, error)) << error;
  EXPECT_EQ(live.trailing_bytes, 0);
  EXPECT_EQ(live.last_step, 32);

  DataFilePtr f(data_open(demo_path().c_str(), "rb"));
  ASSERT_TRUE(f);
  DemoHeader h;
  ASSERT_TRUE(read_demo_header(f.get(), h, error));
  EXPECT_EQ(h.riders, 2);
  EXPECT_EQ(h.track, "big");
  EXPECT_EQ(h.start_step, g_world.race_start_frame);
  // One state each as the race starts, then 4 each every 16 steps: 8 entries, 352 bytes.
  uint32_t expect[] = {2 * kEntryBytes, 8 * kEntryBytes, 8 * kEntryBytes};
  int32_t steps[] = {0, 16, 32};
  uint32_t last = 0;
  for (int i = 0; i < 3; ++i) {
    uint8_t head[kBlockHeaderBytes];
    ASSERT_EQ(data_read(f.get(), head, sizeof head), sizeof head);
    BlockHeader b = get_block_header(head);
    EXPECT_EQ(b.link, last ^ expect[i]) << i;
    EXPECT_EQ(b.step, steps[i]);
    EXPECT_EQ(b.type, kBlockStates);
    std::string payload(expect[i], '\0');
    ASSERT_EQ(data_read(f.get(), payload.data(), expect[i]), expect[i]);
    // Rider by rider, oldest first.
    EXPECT_EQ(payload[0], 0);
    EXPECT_EQ(payload[expect[i] - kEntryBytes], 1);
    last = expect[i];
  }
}

TEST_F(DemoSession, PlaybackPosesTheRiderWhereHeRodeAndSeeksASecondEitherWay) {
  std::map<int32_t, Position> rode = record_race(520);
  int32_t start_frame = g_world.race_start_frame;
  ASSERT_TRUE(start_demo(g_world, demo_path(), false));
  ASSERT_TRUE(playing(g_world));
  EXPECT_EQ(g_world.race_start_frame, start_frame);
  ASSERT_TRUE(g_world.slots[0].bike);
  EXPECT_EQ(g_world.slots[0].control, kControlPlayedBack);
  EXPECT_EQ(g_world.slots[1].control, kControlPlayedBack);
  const Bike& ghost = *g_world.slots[0].bike;

  // A tick at frame F poses the rider as he was after the recorded tick that ended at F.
  double worst = 0;
  while (g_world.frame < 400) {
    int32_t f = g_world.frame;
    world_tick(g_world);
    if (f > 0) worst = std::max(worst, stray(frame_position(ghost), rode[f]));
  }
  EXPECT_LT(worst, 0.01);
  EXPECT_GT(distance(rode[400], rode[1]), 10);  // he did ride somewhere

  ASSERT_TRUE(seek_demo(g_world, -1, world_tick));
  EXPECT_EQ(g_world.frame, 400 - 128);
  EXPECT_LT(stray(frame_position(ghost), rode[400 - 129]), 0.01);
  ASSERT_TRUE(seek_demo(g_world, 1, world_tick));
  EXPECT_EQ(g_world.frame, 400);
  EXPECT_LT(stray(frame_position(ghost), rode[399]), 0.01);

  // Racing against the demo, the player's own rider is simulated: no seeking then.
  ASSERT_TRUE(start_demo(g_world, demo_path(), true));
  EXPECT_EQ(g_world.slots[0].control, kControlLocal);
  EXPECT_EQ(g_world.slots[1].control, kControlPlayedBack);
  EXPECT_EQ(g_world.slots[2].control, kControlPlayedBack);
  EXPECT_TRUE(g_world.slots[2].bike);
  EXPECT_FALSE(seek_demo(g_world, -1, world_tick));
}

TEST_F(DemoSession, RecordingTheDemoBeingPlayedIsRefused) {
  record_race(20);
  g_world.settings.record.index = 1;
  ASSERT_TRUE(start_demo(g_world, "demos/default.brdemo", true));
  EXPECT_TRUE(said("Can't record and play from same file - recording disabled"));
  EXPECT_FALSE(recording(g_world));
  EXPECT_TRUE(playing(g_world));
}

TEST_F(DemoSession, ADemoOfATrackThatIsNotInstalledSaysSoAndTheGameGoesOn) {
  record_race(20);
  close_recording(g_world);
  std::string bytes = "BR06 0 0 0 0\nnosuchtrack\n";
  br_test::DataDirs::put(demo_path("elsewhere.brdemo"), bytes);
  ASSERT_TRUE(start_demo(g_world, demo_path("elsewhere.brdemo"), false));
  EXPECT_FALSE(playing(g_world));
  EXPECT_EQ(g_world.track.dir, "big");
  EXPECT_TRUE(said("\"nosuchtrack\" is not installed"));
}

TEST_F(DemoSession, BackupsMoveOnePlaceAndANamedDemoKeepsItsName) {
  World& w = g_world;
  w.settings.demo_backups.value = 3;
  for (int i = 0; i < 5; ++i) {
    open_recording(w);
    ASSERT_TRUE(recording(w));
    write_text_block(w, "recording " + std::to_string(i));
    close_recording(w);
  }
  namespace fs = std::filesystem;
  for (const char* name :
       {"default.brdemo", "default00.brdemo", "default01.brdemo", "default02.brdemo"}) {
    EXPECT_TRUE(fs::exists(demo_path(name))) << name;
  }
  EXPECT_FALSE(fs::exists(demo_path("default03.brdemo")));

  name_demo(w, "lap1");
  EXPECT_STREQ(message_line(0), "Not currently recording a demo");
  for (const char* given : {"lap1", "  lap1.brdemo and more"}) {
    open_recording(w);
    name_demo(w, given);
    EXPECT_STREQ(message_line(0), "Demo name updated");
    close_recording(w);
    EXPECT_TRUE(fs::exists(demo_path("lap1.brdemo"))) << given;
    fs::remove(demo_path("lap1.brdemo"));
  }
  open_recording(w);
  name_demo(w, "../../escape");
  EXPECT_STREQ(message_line(0), "Bad demo name");
  name_demo(w, std::string(1020, 'n'));
  EXPECT_STREQ(message_line(0), "Name too long");
  close_recording(w);
  EXPECT_TRUE(fs::exists(demo_path("default.brdemo")));

  set_demo_backups(w, 250);
  EXPECT_EQ(w.settings.demo_backups.value, 100);
  EXPECT_STREQ(message_line(0), "Now keeping 100 demo backups");
}

}  // namespace
}  // namespace br
