// The software mixer behind every sound driver: looping 8-bit mono streams, resampled with
// fixed-point steps, scaled by per-level tables instead of multiplications, and summed into
// 32-bit buffers that the driver converts for its output. Nothing here locks: the audio
// device holds its mutex around every call.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace br {

constexpr int kMixLevels = 32;  // 0 silent .. 31 loudest
constexpr int kMaxStreamVolume = 32767;
constexpr int kPanHardLeft = -32768;
constexpr int kPanHardRight = 32767;
constexpr int kSilentSample = 128;  // unsigned 8-bit zero
constexpr int kPositionFractionBits = 31;
constexpr int kMinStreamRate = 1;  // Hz; a stream never stands still by its rate

struct AudioStream {
  std::shared_ptr<std::vector<uint8_t>> samples;  // shared with its duplicates
  bool looping = false;
  bool playing = false;
  bool finished = false;
  int rate = 0;  // source samples per second
  int volume = kMaxStreamVolume;
  int pan = 0;
  uint64_t position = 0;  // read position, samples with kPositionFractionBits of fraction
  int left_level = 0, right_level = 0;
  uint32_t order = 0;  // creation order: equal levels mix in it, so mixing is repeatable
};

struct MixLevels {
  int left = 0, right = 0;
};

// Left and right levels of a volume (0..32767) and pan (-32768..32767): full volume at centre
// is 15 on both sides, a hard pan puts 31 on one side.
MixLevels mix_levels(int volume, int pan);

// A signed 8-bit sample scaled by level / 32, rounded toward zero so both signs match.
int scaled_sample(int level, int sample);

struct Mixer {
  int output_rate = 22050;
  bool stereo = true;
  int channel_budget = 16;  // stream channels mixed per block, loudest first
  std::vector<std::unique_ptr<AudioStream>> streams;
  std::array<std::array<int16_t, 256>, kMixLevels> scale{};  // [level][unsigned sample]
  std::vector<int32_t> left, right;                          // the latest block's sums
  uint32_t next_order = 0;
};

void mixer_init(Mixer& m, int output_rate, bool stereo, int channel_budget);

// A stream of `count` samples, filled from `initial` or with silence, playing at `rate` Hz
// (0: the output rate). Stopped, not looping, full volume, centred.
AudioStream* mixer_create_stream(Mixer& m, int count, const uint8_t* initial, int rate);
// A new stream on the same samples, with the original's rate, volume, pan and looping.
AudioStream* mixer_duplicate_stream(Mixer& m, const AudioStream& original);
void mixer_destroy_stream(Mixer& m, AudioStream* s);

void stream_state_play(AudioStream& s);  // from the start
void stream_state_set_volume(const Mixer& m, AudioStream& s, int volume);
// A mono output plays everything on its one (left) channel.
void stream_state_set_pan(const Mixer& m, AudioStream& s, int pan);
int stream_state_position(const AudioStream& s);
// Copies `count` samples into the ring from `offset` on, wrapping; only the last ring-length
// samples of a longer run are kept, in the places they would have reached.
void stream_state_write(AudioStream& s, int count, const uint8_t* samples, int offset);

// Mixes the next `frames` output frames of every playing stream into m.left (and m.right).
void mix_block(Mixer& m, int frames);

// A block sum as the devices take it: unsigned 8-bit, or signed 16-bit.
uint8_t mix_to_u8(int32_t sum);
int16_t mix_to_s16(int32_t sum);

}  // namespace br
