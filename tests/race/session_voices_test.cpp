// Riders' engine voices through sessions: given with every bike while there is a sound
// output, given back with the bikes, and heard at the volumes of the frame.
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/audio_device.h"
#include "audio/audio_recording.h"
#include "audio/world_sound.h"
#include "race/session.h"
#include "race/session_fixture.h"
#include "shell/world_tick.h"
#include "support/temp_dir.h"

namespace br {
namespace {

using br_test::SessionTest;

class SessionVoices : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    // The engines' tables and recordings live in a folder of their own.
    std::filesystem::create_directory_symlink(std::filesystem::path(BR_DATA_DIR) / "sounds",
                                              dirs.game("sounds"));
    data_files_reset();
    device_ = audio_open_readback(kAudioMixRate, kAudioFramesPerStep);
    g_world.audio = device_;
  }
  void TearDown() override {
    release_all_voices(g_world);
    audio_close(device_);
    g_world.audio = nullptr;
    SessionTest::TearDown();
  }
  size_t streams() const { return device_->mixer.streams.size(); }

  AudioDevice* device_ = nullptr;
};

int voiced_bikes() {
  int n = 0;
  for (const RiderSlot& s : g_world.slots) {
    EXPECT_EQ(s.voice != nullptr, s.bike != nullptr);
    n += s.voice != nullptr;
  }
  return n;
}

TEST_F(SessionVoices, EveryBikeHasAVoiceUntilItGoes) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupHuman;
  lineup[1] = kLineupRobot125;
  lineup[2] = kLineupRobot250;
  ASSERT_TRUE(start(&lineup));
  EXPECT_EQ(voiced_bikes(), 3);
  EXPECT_EQ(streams(), 3u);
  // The robots' paint has no sound of its own: their class's file of the data set speaks.
  EXPECT_EQ(g_world.slots[1].voice->tuning.table->name, "@sounds/125.soundtable");

  ASSERT_TRUE(start(&lineup));
  EXPECT_EQ(streams(), 3u) << "the last session's voices were given back";
  restart_attempt(g_world);
  EXPECT_EQ(voiced_bikes(), 1);
  EXPECT_EQ(streams(), 1u);

  // Without a sound output nobody is given a voice.
  g_world.audio = nullptr;
  ASSERT_TRUE(start(&lineup));
  for (const RiderSlot& s : g_world.slots) EXPECT_FALSE(s.voice);
  g_world.audio = device_;
}

TEST_F(SessionVoices, TheFrameSetsVolumesAndTheStepsRecord) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = kLineupHuman;
  lineup[1] = kLineupRobot;
  ASSERT_TRUE(start(&lineup));
  World& w = g_world;
  w.view_mode = kViewChase;
  w.menu = kNoMenu;
  EXPECT_FLOAT_EQ(sound_master_factor(w), 1);
  EXPECT_FLOAT_EQ(rider_volume(w, 0, 1), 1);
  EXPECT_FLOAT_EQ(rider_volume(w, 1, 1), 0.8f);
  w.menu = kMainMenu;
  EXPECT_FLOAT_EQ(sound_master_factor(w), 0) << "a menu over the ride silences it";
  w.viewed_slot = 1;
  EXPECT_FLOAT_EQ(sound_master_factor(w), 0.25f) << "a menu over a watched race quietens it";
  w.menu = kNoMenu;
  w.paused = true;
  EXPECT_FLOAT_EQ(sound_master_factor(w), 0);
  w.paused = false;
  w.view_mode = kViewEditor;
  EXPECT_FLOAT_EQ(sound_master_factor(w), 0);
  w.view_mode = kViewChase;

  br_test::TempDir dir;
  auto recording = recording_open(dir.file("ride.raw"), kAudioMixRate);
  ASSERT_NE(recording, nullptr);
  w.audio_recording = recording.get();
  for (int frame = 0; frame < 30; ++frame) {
    update_world_sound(w);
    for (int step = 0; step < 2; ++step) {
      world_tick(w);
      record_audio_step(w);
    }
  }
  // The watched robot near the camera plays loudest; the player's bike is a competitor now.
  EXPECT_GT(w.slots[1].voice->stream->volume, w.slots[0].voice->stream->volume);
  EXPECT_GT(w.slots[0].voice->stream->volume, 0);
  recording_close(*recording);
  w.audio_recording = nullptr;
  EXPECT_EQ(br_test::read_file(dir.file("ride.raw")).size(), 60u * 2 * kAudioFramesPerStep);
}

}  // namespace
}  // namespace br
