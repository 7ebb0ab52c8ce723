// One bike's engine voice. Each firing starts the four sound-table cells around the engine's
// speed and load, each stretched so one recorded cycle lasts one firing period, mixed with
// bilinear weights; a multi-tap feedback delay (the pipe) adds the exhaust's resonance. The
// result goes into the bike's own looping stream 0.1 s ahead of the play position, whose
// rate, volume and pan follow the bike's motion relative to the listener.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_device.h"
#include "audio/sound_table.h"
#include "audio/sound_table_format.h"

namespace br {

constexpr int kEngineStreamSamples = 32768;  // the stream and the delay line, a power of two
constexpr int kPipeTaps = 16;
constexpr int kEngineVoices = 4;
constexpr float kSpeedOfSound = 1140.63f;  // ft/s
constexpr int kSynthesisLead = 4410;       // samples kept ahead of the play position
constexpr int kMaxSamplesPerFrame = 8820;
constexpr int kFirstWritePosition = 11025;  // 0.25 s into the stream
constexpr float kDefaultMinRpm = 1000;
constexpr float kMinFiringHz = 5;
// No engine fires this fast; a wild bias or scale in a file stops here rather than firing on
// every sample.
constexpr float kMaxFiringHz = 4000;

constexpr PipeShape kTwoStrokePipe{1.75f, 0.3f, -0.75f, 0, 15};
constexpr PipeShape kQuietPipe{1.0f, 1.0f, 0.0f, 0, 15};  // no resonance

// What a .braap file tunes.
struct EngineTuning {
  SoundTablePtr table;
  float firings_per_rev = 1;                     // 0.5 four-strokes, 1 two-strokes
  float low_torque = -3.5f, high_torque = 3.5f;  // lb-ft at load 0 and load 1
  float min_rpm = kDefaultMinRpm;
  std::array<int, kPipeTaps> tap_offset{};  // kEngineStreamSamples - delay
  std::array<float, kPipeTaps> tap_gain{};
  std::vector<float> bias{0};   // rpm added on successive firings, 1..100 values
  std::vector<float> scale{1};  // factors on successive firings, 1..100 values
};

struct EngineVoice {
  const std::vector<float>* samples = nullptr;  // a cell of the tuning's table
  float weight = 0;
  int64_t phase = 0;  // sample position, kVoiceFractionBits of fraction
  int64_t increment = 0;
};
constexpr int kVoiceFractionBits = 10;

struct EngineSound {
  AudioDevice* device = nullptr;
  AudioStream* stream = nullptr;
  EngineTuning tuning;
  std::vector<float> delay_line = std::vector<float>(kEngineStreamSamples);
  float firing_hz = 10;
  float presence = 1;  // demo riders that are not on the track play at 0
  float previous_rpm = 1000;
  int write_position = kFirstWritePosition;
  int32_t cycle_phase = 0;  // 24 bits of fraction of a firing
  uint32_t cycle_count = 0;
  std::array<EngineVoice, kEngineVoices> voices;
};

// The built-in tuning of an engine class: "50" and the other two-strokes on the two-stroke
// table, classes ending in "f" on the four-stroke one.
EngineTuning class_tuning(const std::string& engine_class);
// The pipe the console's "pipe" fills in missing values from.
PipeShape class_pipe(const std::string& engine_class);

// Sets the taps first..last: n taps from `length` down toward length - min(length, taper),
// closer together toward the far end, sharing the gain. The others keep their values.
void set_pipe(EngineTuning& t, const PipeShape& pipe);

// Creates the stream, picks the class tuning and reads the bike's .braap file. False when
// there is no stream (no device or no memory): the bike then stays silent.
bool init_engine_sound(EngineSound& s, AudioDevice* device, const std::string& engine_class,
                       const std::string& bike_texture);
// Destroys the stream.
void free_engine_sound(EngineSound& s);

// Synthesises `count` samples at engine speed `rpm` (reached linearly from the previous
// frame's over the count) and `load` 0..1 into `out`, advancing the write position.
void synthesise(EngineSound& s, float rpm, float load, std::span<float> out);

// Load from the engine's torque, between the tuning's low and high torque.
float engine_load(const EngineTuning& t, float torque);

using Vec3d = std::array<double, 3>;

struct EngineReading {
  float rpm = 0;
  float torque = 0;              // lb-ft
  Vec3d position{}, velocity{};  // of the bike's frame, ft and ft/s
};

struct Listener {
  Vec3d position{}, velocity{};
  Vec3d right{1, 0, 0};
};

struct StreamPlacement {
  int rate = kEngineSampleRate;  // Hz
  int volume = 0;                // 0..32767
  int pan = 0;
};

// Doppler, distance and direction of a bike from the listener.
StreamPlacement place_engine_sound(const EngineReading& bike, const Listener& listener,
                                   float volume, float presence);

// Once per drawn frame: synthesises up to 0.1 s ahead of the play position and places the
// stream.
void engine_sound_frame(EngineSound& s, const EngineReading& bike, float volume,
                        const Listener& listener);

}  // namespace br
