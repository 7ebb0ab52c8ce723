#include "audio/mixer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "audio/audio_device.h"

namespace br {
namespace {

constexpr int kRate = 22050;

// A stream whose every sample is the signed value `s`.
AudioStream* constant_stream(Mixer& m, int count, int s) {
  std::vector<uint8_t> samples(static_cast<size_t>(count), static_cast<uint8_t>(s + 128));
  AudioStream* stream = mixer_create_stream(m, count, samples.data(), 0);
  stream_state_play(*stream);
  return stream;
}

TEST(Mixer, LevelsFromVolumeAndPan) {
  EXPECT_EQ(mix_levels(32767, 0).left, 15);
  EXPECT_EQ(mix_levels(32767, 0).right, 15);
  EXPECT_EQ(mix_levels(32767, -32768).left, 31);
  EXPECT_EQ(mix_levels(32767, -32768).right, 0);
  EXPECT_EQ(mix_levels(32767, 32767).left, 0);
  EXPECT_EQ(mix_levels(32767, 32767).right, 31);
  EXPECT_EQ(mix_levels(0, 0).left, 0);
  // Out-of-range values are held at the ends rather than wrapping into loud levels.
  EXPECT_EQ(mix_levels(100000, 0).left, 15);
  EXPECT_EQ(mix_levels(-5, 0).right, 0);
}

TEST(Mixer, ScalingIsSymmetricInSign) {
  for (int level = 0; level < kMixLevels; ++level) {
    for (int s = 1; s <= 127; ++s) EXPECT_EQ(scaled_sample(level, -s), -scaled_sample(level, s));
  }
  EXPECT_EQ(scaled_sample(15, 127), 59);
  EXPECT_EQ(scaled_sample(31, -128), -124);
  EXPECT_EQ(scaled_sample(0, 100), 0);
}

TEST(Mixer, ConversionsClampToTheDeviceRange) {
  EXPECT_EQ(mix_to_u8(0), 128);
  EXPECT_EQ(mix_to_u8(126), 254);
  EXPECT_EQ(mix_to_u8(5000), 254);
  EXPECT_EQ(mix_to_u8(-127), 1);
  EXPECT_EQ(mix_to_u8(-5000), 1);
  EXPECT_EQ(mix_to_s16(1), 256);
  EXPECT_EQ(mix_to_s16(-1), -256);
  EXPECT_EQ(mix_to_s16(127), 32512);
  EXPECT_EQ(mix_to_s16(-128), -32512);
  EXPECT_EQ(mix_to_s16(1 << 30), 32512);
  EXPECT_EQ(mix_to_s16(-(1 << 30)), -32512);
}

TEST(Mixer, VolumeAndPanSetEachSide) {
  Mixer m;
  mixer_init(m, kRate, true, 16);
  AudioStream* s = constant_stream(m, 100, 64);
  mix_block(m, 4);
  EXPECT_EQ(m.left[0], 30);  // 64 x 15 / 32
  EXPECT_EQ(m.right[0], 30);
  stream_state_set_pan(m, *s, kPanHardLeft);
  mix_block(m, 4);
  EXPECT_EQ(m.left[0], 62);
  EXPECT_EQ(m.right[0], 0);
  stream_state_set_volume(m, *s, 0);
  mix_block(m, 4);
  EXPECT_EQ(m.left[0], 0);
  EXPECT_EQ(stream_state_position(*s), 12) << "an unheard stream still plays on";

  // One speaker: everything is on it at the full level, whatever the pan asked.
  Mixer mono;
  mixer_init(mono, kRate, false, 16);
  AudioStream* t = constant_stream(mono, 100, 64);
  stream_state_set_pan(mono, *t, kPanHardRight);
  mix_block(mono, 2);
  EXPECT_EQ(mono.left[0], 62);
  EXPECT_TRUE(mono.right.empty());
}

TEST(Mixer, RateStepsThroughTheSamples) {
  Mixer m;
  mixer_init(m, 1000, false, 16);
  std::vector<uint8_t> ramp(64);
  std::iota(ramp.begin(), ramp.end(), 128);
  AudioStream* half = mixer_create_stream(m, 64, ramp.data(), 500);
  stream_state_play(*half);
  mix_block(m, 8);
  // Each sample twice at half the output rate: 0 0 1 1 2 2 3 3, scaled by 31/32.
  for (int i = 0; i < 8; ++i) EXPECT_EQ(m.left[static_cast<size_t>(i)], scaled_sample(31, i / 2));
  EXPECT_EQ(stream_state_position(*half), 4);

  half->rate = 3000;
  mix_block(m, 5);
  EXPECT_EQ(stream_state_position(*half), 19);
  EXPECT_EQ(m.left[1], scaled_sample(31, 7));
}

TEST(Mixer, LoopingWrapsAndOthersFinish) {
  Mixer m;
  mixer_init(m, kRate, false, 16);
  std::vector<uint8_t> ramp(10);
  std::iota(ramp.begin(), ramp.end(), 128);
  AudioStream* loop = mixer_create_stream(m, 10, ramp.data(), 0);
  loop->looping = true;
  stream_state_play(*loop);
  mix_block(m, 25);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(m.left[static_cast<size_t>(i)], scaled_sample(31, i % 10));
  EXPECT_EQ(stream_state_position(*loop), 5);

  mixer_destroy_stream(m, loop);
  AudioStream* once = mixer_create_stream(m, 10, ramp.data(), 0);
  stream_state_play(*once);
  mix_block(m, 25);
  EXPECT_EQ(m.left[9], scaled_sample(31, 9));
  EXPECT_EQ(m.left[10], 0);
  EXPECT_TRUE(once->finished);
  EXPECT_EQ(stream_state_position(*once), 0);

  // A rate far above the output's steps past several loops in one frame.
  AudioStream* fast = mixer_create_stream(m, 10, ramp.data(), kRate * 23);
  fast->looping = true;
  stream_state_play(*fast);
  mix_block(m, 2);
  EXPECT_EQ(m.left[1], scaled_sample(31, 3));
}

TEST(Mixer, PositionStaysAtZeroUntilPlayed) {
  Mixer m;
  mixer_init(m, kRate, true, 16);
  AudioStream* s = mixer_create_stream(m, 100, nullptr, 0);
  mix_block(m, 50);
  EXPECT_EQ(stream_state_position(*s), 0);
  stream_state_play(*s);
  mix_block(m, 50);
  EXPECT_EQ(stream_state_position(*s), 50);
  stream_state_play(*s);  // a restart begins again
  EXPECT_EQ(stream_state_position(*s), 0);
}

TEST(Mixer, WritesWrapAndKeepOnlyTheLastRing) {
  Mixer m;
  mixer_init(m, kRate, true, 16);
  AudioStream* s = mixer_create_stream(m, 32768, nullptr, 0);
  std::vector<uint8_t> run(40000);
  for (size_t i = 0; i < run.size(); ++i) run[i] = static_cast<uint8_t>(i * 7);
  stream_state_write(*s, 40000, run.data(), 100);
  const std::vector<uint8_t>& ring = *s->samples;
  // Every place holds the last sample of the run that reached it.
  for (size_t i = 0; i < 40000; ++i) {
    if (i + 32768 >= 40000) {
      ASSERT_EQ(ring[(100 + i) % 32768], run[i]) << i;
    }
  }

  AudioStream* small = mixer_create_stream(m, 8, nullptr, 0);
  const uint8_t three[] = {1, 2, 3};
  stream_state_write(*small, 3, three, 7);
  EXPECT_EQ((*small->samples)[7], 1);
  EXPECT_EQ((*small->samples)[0], 2);
  EXPECT_EQ((*small->samples)[1], 3);
  EXPECT_EQ((*small->samples)[2], 128);

  // A duplicate plays the same samples.
  AudioStream* twin = mixer_duplicate_stream(m, *small);
  EXPECT_EQ(twin->samples, small->samples);
}

TEST(Mixer, ChannelBudgetDropsTheQuietest) {
  Mixer m;
  mixer_init(m, kRate, true, 1);
  AudioStream* quiet = constant_stream(m, 100, 64);
  AudioStream* loud = constant_stream(m, 100, 64);
  stream_state_set_volume(m, *quiet, 16000);
  stream_state_set_pan(m, *loud, 20000);  // louder on the right: right level 25
  mix_block(m, 4);
  EXPECT_EQ(m.left[0], 0);
  EXPECT_EQ(m.right[0], scaled_sample(mix_levels(32767, 20000).right, 64));
  EXPECT_EQ(stream_state_position(*quiet), 4) << "dropped streams keep their place";

  m.channel_budget = 16;
  mix_block(m, 4);
  EXPECT_EQ(m.left[0], scaled_sample(mix_levels(32767, 20000).left, 64) +
                           scaled_sample(mix_levels(16000, 0).left, 64));
}

TEST(AudioDevice, MixaheadIsOneToThirtyTwoFragments) {
  EXPECT_EQ(mixahead_fragments(0), 1);
  EXPECT_EQ(mixahead_fragments(-40), 1);
  EXPECT_EQ(mixahead_fragments(125), 8);
  EXPECT_EQ(mixahead_fragments(501), 32);
}

TEST(AudioDevice, ReadbackMixesOneBlockEachTime) {
  AudioDevice* d = audio_open_readback(88320, 690);
  ASSERT_NE(d, nullptr);
  std::vector<uint8_t> samples(1000, 128 + 100);
  AudioStream* s = stream_create(d, 1000, samples.data(), 88320);
  stream_set_looping(d, s, true);
  stream_play(d, s);
  std::span<const int16_t> block = audio_readback(d);
  ASSERT_EQ(block.size(), 690u);
  EXPECT_EQ(block[0], mix_to_s16(scaled_sample(31, 100)));
  audio_readback(d);
  EXPECT_EQ(stream_position(d, s), 380);  // 1380 frames into a 1000-sample loop
  stream_destroy(d, s);
  EXPECT_EQ(audio_readback(d)[0], 0);
  audio_close(d);
}

}  // namespace
}  // namespace br
