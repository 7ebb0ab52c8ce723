#include "audio/engine_sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "audio/audio_device.h"

namespace br {
namespace {

// A sound with no stream, on the built-in tables or on `table`, engine speed settled at `rpm`.
EngineSound bare_sound(const std::string& engine_class, float rpm, SoundTablePtr table = nullptr) {
  EngineSound s;
  s.tuning = class_tuning(engine_class);
  if (table) s.tuning.table = table;
  s.previous_rpm = rpm;
  return s;
}

// Runs `samples` one at a time and lists the firing frequency after every firing.
std::vector<float> firings(EngineSound& s, float rpm, float load, int samples) {
  std::vector<float> hz;
  float y = 0;
  for (int i = 0; i < samples; ++i) {
    uint32_t before = s.cycle_count;
    synthesise(s, rpm, load, std::span<float>(&y, 1));
    if (s.cycle_count != before) hz.push_back(s.firing_hz);
  }
  return hz;
}

// One row of cells whose cycle j holds the value j / 8 throughout, `cycles` cycles of 100.
SoundTablePtr counting_table(int rows, std::vector<int> remap) {
  auto t = std::make_shared<SoundTable>();
  t->rows = rows;
  t->columns = 1;
  for (int r = 0; r < rows; ++r) t->row_keys.push_back(1000.0f * (r + 1));
  t->column_keys = {0};
  std::vector<float> samples(400);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(i / 100) / 8;
  auto shared = std::make_shared<const std::vector<float>>(samples);
  for (int r = 0; r < rows; ++r) t->cells.push_back({shared, 4, remap});
  return t;
}

TEST(BuiltinTables, QuietAndLoudCyclesOfTheTwoEngines) {
  SoundTablePtr four = builtin_sound_table(false), two = builtin_sound_table(true);
  EXPECT_EQ(four->name, "default_four_stroke");
  EXPECT_EQ(two->name, "default_two_stroke");
  for (const SoundTablePtr& t : {four, two}) {
    ASSERT_EQ(t->rows, 1);
    ASSERT_EQ(t->columns, 2);
    EXPECT_EQ(t->column_keys, (std::vector<float>{0, 1}));
    const std::vector<float>& quiet = *t->cell(0, 0).samples;
    const std::vector<float>& loud = *t->cell(0, 1).samples;
    ASSERT_EQ(loud.size(), 1024u);
    for (size_t i = 0; i < loud.size(); ++i) EXPECT_FLOAT_EQ(quiet[i], loud[i] * 0.25f);
  }
  const std::vector<float>& two_loud = *two->cell(0, 1).samples;
  // The two-stroke's bang is over in the first quarter of its cycle.
  for (size_t i = 256; i < 1024; ++i) EXPECT_EQ(two_loud[i], 0.0f);
  EXPECT_NEAR(two_stroke_wave(1.0f / 16), std::sin(M_PI / 2) * 0.75, 1e-6);
  EXPECT_NEAR(four_stroke_wave(0.5f), (std::fabs(std::sin(1.5 * M_PI + 0.5246)) - 0.5) * 0.5, 1e-6);
  EXPECT_NEAR(
      four_stroke_wave(1.0f / 32),
      (std::fabs(std::sin(3 * M_PI / 32 + 0.5246)) - 0.5) * 0.5 + std::sin(M_PI / 2) * 0.875, 1e-6);
}

TEST(EngineSound, FiresAtTheFiringRateOfItsEngine) {
  // 6000 rpm on a four-stroke: 50 firings a second, once the first has set the pace.
  EngineSound four = bare_sound("450f", 6000);
  firings(four, 6000, 1, kEngineSampleRate / 5);
  std::vector<float> hz = firings(four, 6000, 1, kEngineSampleRate);
  ASSERT_FALSE(hz.empty());
  EXPECT_NEAR(static_cast<double>(hz.size()), 50, 1);
  EXPECT_FLOAT_EQ(hz.back(), 50);

  // Below the minimum speed the engine still fires at the minimum's rate.
  EngineSound slow = bare_sound("250", 300);
  hz = firings(slow, 300, 0, kEngineSampleRate);
  EXPECT_FLOAT_EQ(hz.back(), 1000.0f / 60);

  // And never below 5 firings a second, whatever the minimum.
  EngineSound stalled = bare_sound("250", 0);
  stalled.tuning.min_rpm = 0;
  hz = firings(stalled, 0, 0, kEngineSampleRate);
  EXPECT_FLOAT_EQ(hz.back(), kMinFiringHz);
}

TEST(EngineSound, BiasAndScaleRepeatOnTheirOwnPeriods) {
  EngineSound s = bare_sound("250", 6000);
  s.tuning.bias = {0, 600, -600};
  s.tuning.scale = {1, 0.5f};
  std::vector<float> hz = firings(s, 6000, 0.5f, kEngineSampleRate);
  ASSERT_GE(hz.size(), 12u);
  // Firing c (counted from 0) runs at scale[c % 2] x (bias[c % 3] + 6000) rpm.
  for (size_t c = 0; c < 12; ++c) {
    float bias = s.tuning.bias[c % 3], scale = s.tuning.scale[c % 2];
    EXPECT_FLOAT_EQ(hz[c], scale * (bias + 6000) / 60) << "firing " << c;
  }
}

TEST(EngineSound, RemappedCyclesPlayInTheListedOrder) {
  EngineSound s = bare_sound("250", 2000, counting_table(1, {2, 0, 3, 1}));
  std::vector<int> played;
  float y = 0;
  for (int i = 0; i < kEngineSampleRate / 2; ++i) {
    uint32_t before = s.cycle_count;
    synthesise(s, 2000, 0, std::span<float>(&y, 1));
    if (s.cycle_count != before) {
      played.push_back(static_cast<int>((s.voices[0].phase >> kVoiceFractionBits) / 100));
    }
  }
  ASSERT_GE(played.size(), 8u);
  const int next[4] = {3, 2, 0, 1};  // 2 -> 0 -> 3 -> 1 -> 2
  for (size_t i = 1; i < played.size(); ++i) EXPECT_EQ(played[i], next[played[i - 1]]);
}

TEST(EngineSound, CellsMixByBilinearWeights) {
  // One row: every firing plays that row at full weight between its columns.
  auto one_row = std::make_shared<SoundTable>(*builtin_sound_table(false));
  EngineSound s = bare_sound("450f", 3000, one_row);
  firings(s, 3000, 0.25f, 5000);
  EXPECT_FLOAT_EQ(s.voices[0].weight, 0);
  EXPECT_FLOAT_EQ(s.voices[1].weight, 0.75f);
  EXPECT_FLOAT_EQ(s.voices[2].weight, 0);
  EXPECT_FLOAT_EQ(s.voices[3].weight, 0.25f);

  // Two rows at 1000 and 2000 rpm: 1250 rpm is a quarter of the way up.
  EngineSound t = bare_sound("250", 1250, counting_table(2, {}));
  t.tuning.bias = {0};
  firings(t, 1250, 0, 5000);
  EXPECT_FLOAT_EQ(t.voices[0].weight + t.voices[2].weight, 0.75f);
  EXPECT_FLOAT_EQ(t.voices[1].weight + t.voices[3].weight, 0.25f);
}

TEST(EngineSound, LoadFollowsTorqueBetweenTheTuningsEnds) {
  EngineTuning t = class_tuning("250");
  EXPECT_FLOAT_EQ(engine_load(t, -3.5f), 0);
  EXPECT_FLOAT_EQ(engine_load(t, 0), 0.5f);
  EXPECT_FLOAT_EQ(engine_load(t, 30), 1);
  t.high_torque = t.low_torque;
  EXPECT_FLOAT_EQ(engine_load(t, t.low_torque - 1), 0);
  EXPECT_FLOAT_EQ(engine_load(t, t.low_torque + 1), 1);
  EXPECT_FLOAT_EQ(class_tuning("50").high_torque, 1.5f);
  EXPECT_FLOAT_EQ(class_tuning("450f").firings_per_rev, 0.5f);
  EXPECT_EQ(class_tuning("125").table, builtin_sound_table(true));
}

TEST(EngineSound, PipeTapsSpreadTheReflection) {
  EngineTuning t = class_tuning("450f");
  set_pipe(t, kQuietPipe);
  set_pipe(t, {5, 0.9f, -0.85f, 0, 0});
  EXPECT_EQ(kEngineStreamSamples - t.tap_offset[0], 386);
  EXPECT_FLOAT_EQ(t.tap_gain[0], -0.85f);
  for (int i = 1; i < kPipeTaps; ++i) EXPECT_EQ(t.tap_gain[static_cast<size_t>(i)], 0.0f);

  set_pipe(t, {5, 0.918207f, -0.85f, 0, 15});
  for (int i = 0; i < kPipeTaps; ++i) {
    EXPECT_FLOAT_EQ(t.tap_gain[static_cast<size_t>(i)], -0.85f / 16);
    if (i > 0) {
      EXPECT_GT(t.tap_offset[static_cast<size_t>(i)], t.tap_offset[static_cast<size_t>(i - 1)]);
    }
  }
  // The last tap is a taper shorter: 2 x (5 - 0.918207) / c seconds.
  EXPECT_EQ(kEngineStreamSamples - t.tap_offset[15],
            static_cast<int>(2 * (5 - 0.918207) / kSpeedOfSound * 44100));

  // Nonsense from a console or a file cannot reach outside the delay line.
  set_pipe(t, {1e30f, 1, -0.5f, 40, -3});
  EXPECT_GE(t.tap_offset[15], 1);
  set_pipe(t, {NAN, NAN, NAN, 0, 15});
  EXPECT_EQ(t.tap_gain[3], 0.0f);
}

TEST(EngineSound, PlacementFromTheListener) {
  EngineReading bike;
  Listener near, far;
  near.position = {1, 0, 0};
  far.position = {49, 0, 0};
  StreamPlacement close = place_engine_sound(bike, near, 1, 1);
  StreamPlacement away = place_engine_sound(bike, far, 1, 1);
  EXPECT_EQ(close.volume, 32767);
  EXPECT_NEAR(away.volume, 32767 / 2, 1);
  EXPECT_EQ(place_engine_sound(bike, far, 0.5f, 0).volume, 0) << "absent riders are silent";

  // Straight at the listener at a tenth of the speed of sound: about 11 % higher.
  bike.velocity = {kSpeedOfSound / 10, 0, 0};
  EXPECT_NEAR(place_engine_sound(bike, far, 1, 1).rate, 44100 / 0.9, 2);
  bike.velocity = {-kSpeedOfSound / 10, 0, 0};
  EXPECT_NEAR(place_engine_sound(bike, far, 1, 1).rate, 44100 / 1.1, 2);
  // Closing at the speed of sound is held at the limit, not turned upside down.
  bike.velocity = {kSpeedOfSound, 0, 0};
  EXPECT_EQ(place_engine_sound(bike, far, 1, 1).rate, 44100 * 8);
  // On top of the listener: no shift and no side.
  Listener on_top;
  StreamPlacement centre = place_engine_sound(bike, on_top, 1, 1);
  EXPECT_EQ(centre.rate, 44100);
  EXPECT_EQ(centre.pan, 0);

  // The bike off to the listener's right is heard on the right.
  bike.velocity = {0, 0, 0};
  Listener facing_z;
  facing_z.position = {-10, 0, 0};
  facing_z.right = {1, 0, 0};
  EXPECT_EQ(place_engine_sound(bike, facing_z, 1, 1).pan, 32767);
}

TEST(EngineSound, FramesKeepATenthOfASecondAhead) {
  AudioDevice* d = audio_open_readback(88320, 690);
  ASSERT_NE(d, nullptr);
  EngineSound s;
  ASSERT_TRUE(init_engine_sound(s, d, "250", ""));
  EXPECT_EQ(s.tuning.table, builtin_sound_table(true));
  EngineReading bike;
  bike.rpm = 8000;
  Listener listener;
  engine_sound_frame(s, bike, 1, listener);
  EXPECT_EQ(s.write_position, kFirstWritePosition + kMaxSamplesPerFrame);
  for (int frame = 0; frame < 40; ++frame) {
    for (int step = 0; step < 2; ++step) audio_readback(d);
    engine_sound_frame(s, bike, 1, listener);
  }
  int played = stream_position(d, s.stream);
  EXPECT_EQ(s.write_position, (played + kSynthesisLead) % kEngineStreamSamples);
  // What was written is the engine, not the stream's first silence.
  const std::vector<uint8_t>& ring = *s.stream->samples;
  int loudest = 0;
  for (int i = 0; i < 1000; ++i) {
    loudest = std::max(loudest, std::abs(ring[static_cast<size_t>((played + i) % 32768)] - 127));
  }
  EXPECT_GT(loudest, 20);
  free_engine_sound(s);
  audio_close(d);
}

}  // namespace
}  // namespace br
