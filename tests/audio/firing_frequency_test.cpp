// The engines of the default data set heard through the whole chain (synthesis, stream,
// mixer, readback) at steady engine speeds: the strongest low frequency of what comes out
// must be the firing frequency, rpm / 60 x firings per revolution.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "audio/audio_device.h"
#include "audio/engine_sound.h"
#include "support/data_dirs.h"
#include "support/pitch.h"

#ifndef BR_DEFAULT_DATA_DIR
#error "the firing test listens to the default data set"
#endif

namespace br {
namespace {

constexpr int kMixRate = 88320;
constexpr int kBlockFrames = 690;  // one simulation step
constexpr double kFramesPerSecond = 60;

// Holds an engine at `rpm` with `torque` for `seconds`, as the game's loop would at 60 frames
// a second, and returns the recording after the first second.
std::vector<float> hold_engine(const std::string& engine_class, float rpm, float torque,
                               double seconds) {
  AudioDevice* device = audio_open_readback(kMixRate, kBlockFrames);
  EXPECT_NE(device, nullptr);
  if (!device) return {};
  EngineSound sound;
  EXPECT_TRUE(init_engine_sound(sound, device, engine_class, ""));
  EngineReading bike;
  bike.rpm = rpm;
  bike.torque = torque;
  Listener listener;
  listener.position = {0, 5, 10};

  std::vector<float> recording;
  const double steps_per_frame = 128 / kFramesPerSecond;
  double owed = 0;
  for (int frame = 0; frame < seconds * kFramesPerSecond; ++frame) {
    engine_sound_frame(sound, bike, 1.0f, listener);
    for (owed += steps_per_frame; owed >= 1; owed -= 1) {
      for (int16_t v : audio_readback(device)) recording.push_back(v / 32768.0f);
    }
  }
  free_engine_sound(sound);
  audio_close(device);
  recording.erase(recording.begin(), recording.begin() + kMixRate);
  return recording;
}

struct Engine {
  const char* engine_class;
  float firings_per_rev;
  float torque;  // lb-ft, a rider pulling through the gears
  float speeds[3];
};

TEST(FiringFrequency, StrongestLowFrequencyIsTheFiringRate) {
  br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
  const Engine engines[] = {
      {"450f", 0.5f, 25, {3000, 6000, 9000}},
      {"250", 1.0f, 22, {3000, 6000, 9000}},
      {"50", 1.0f, 3, {5000, 9000, 13000}},
  };
  for (const Engine& e : engines) {
    for (float rpm : e.speeds) {
      std::vector<float> heard = hold_engine(e.engine_class, rpm, e.torque, 3.0);
      double expected = rpm / 60 * e.firings_per_rev;
      double found = br_test::strongest_frequency(heard, kMixRate, 15, 400);
      std::printf("%-4s %5.0f rpm: firing %6.2f Hz, strongest %6.2f Hz (%+.1f%%), rms %.3f\n",
                  e.engine_class, rpm, expected, found, (found / expected - 1) * 100,
                  br_test::rms(heard));
      EXPECT_NEAR(found, expected, expected * 0.05) << e.engine_class << " at " << rpm << " rpm";
    }
  }
  br_test::restore_data_directories();
}

TEST(FiringFrequency, EveryClassHasItsOwnVoice) {
  br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
  // Each class's tuning brings the data set's table of that engine.
  for (const char* engine_class : {"450f", "250f", "250", "125", "50"}) {
    EngineSound s;
    AudioDevice* device = audio_open_readback(kMixRate, kBlockFrames);
    ASSERT_TRUE(init_engine_sound(s, device, engine_class, ""));
    EXPECT_EQ(s.tuning.table->name, std::string("@sounds/") + engine_class + ".soundtable");
    EXPECT_GE(s.tuning.table->rows, 6) << engine_class;
    free_engine_sound(s);
    audio_close(device);
  }
  // At one engine speed the big four-stroke is the darkest and the little two-stroke the
  // brightest: its small pipe rings high.
  double bright[3];
  const char* classes[3] = {"450f", "250", "50"};
  for (int i = 0; i < 3; ++i) {
    std::vector<float> heard = hold_engine(classes[i], 6000, 10, 2.0);
    bright[i] = br_test::share_above(heard, kMixRate, 1000);
    std::printf("%-4s at 6000 rpm: %.3f of the rms above 1 kHz\n", classes[i], bright[i]);
  }
  EXPECT_LT(bright[0], bright[1]);
  EXPECT_LT(bright[1], bright[2]);
  br_test::restore_data_directories();
}

}  // namespace
}  // namespace br
