// The sound output the game talks to: a device opened through one of the drivers, and the
// looping 8-bit streams it plays. Every driver goes through the same operation table; the
// stream operations of the two drivers we have are the software mixer's, guarded by the
// device's mixer mutex because the sound card's thread mixes while the game writes.
//
// Drivers: the sound card (on SDL, built with the game) and the readback driver here, which
// mixes one block at a time into memory for recording.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "audio/mixer.h"

namespace br {

struct AudioDevice;

// What a driver is asked to open with.
struct AudioOpenRequest {
  int rate = 22050;            // output frames per second
  int block_frames = 0;        // readback: frames per block
  int channel_budget = 16;     // stream channels mixed at once
  int mixahead_fragments = 8;  // 1/64 s fragments queued ahead of the speaker
};

// The driver operation table, in its fixed order.
struct AudioDriver {
  const char* name;
  bool (*open)(AudioDevice& d, const AudioOpenRequest& request);
  int (*reserved)(AudioDevice& d);
  void (*close)(AudioDevice& d);
  void (*end_frame)(AudioDevice& d);
  std::span<const int16_t> (*readback)(AudioDevice& d);
  AudioStream* (*create_stream)(AudioDevice& d, int count, const uint8_t* initial, int rate);
  AudioStream* (*duplicate_stream)(AudioDevice& d, AudioStream* s);
  void (*destroy_stream)(AudioDevice& d, AudioStream* s);
  void (*play)(AudioDevice& d, AudioStream* s);
  void (*stop)(AudioDevice& d, AudioStream* s);
  void (*set_rate)(AudioDevice& d, AudioStream* s, int hz);
  void (*set_volume)(AudioDevice& d, AudioStream* s, int volume);
  void (*set_pan)(AudioDevice& d, AudioStream* s, int pan);
  void (*set_looping)(AudioDevice& d, AudioStream* s, bool looping);
  int (*position)(AudioDevice& d, AudioStream* s);
  void (*write)(AudioDevice& d, AudioStream* s, int count, const uint8_t* samples, int offset);
};

struct AudioDevice {
  const AudioDriver* driver = nullptr;
  std::mutex mixer_mutex;  // held by every stream operation and by every mix
  Mixer mixer;
  std::vector<int16_t> block;  // readback: the latest mixed block
  int block_frames = 0;
  uint32_t platform_id = 0;  // the driver's own handle of the output
};

// The driver table entries that work on the software mixer, for drivers to start from.
AudioDriver mixer_driver_entries();

// The readback driver, mixing mono at the request's rate, one block per readback.
const AudioDriver& readback_audio_driver();

// The options that tune the sound output ([sound-rate:N] and its like).
AudioOpenRequest audio_options();

// Tries each driver in turn; nullptr when none opens (the game then runs silent).
AudioDevice* audio_open(std::span<const AudioDriver* const> drivers,
                        const AudioOpenRequest& request);
// The readback driver alone, at `rate` frames per second and `block_frames` per block.
AudioDevice* audio_open_readback(int rate, int block_frames);
void audio_close(AudioDevice* d);
// Once per drawn frame, after every stream has been updated.
void audio_end_frame(AudioDevice* d);
// Readback driver: mixes the next block and returns it (16-bit mono); empty for others.
std::span<const int16_t> audio_readback(AudioDevice* d);

AudioStream* stream_create(AudioDevice* d, int count, const uint8_t* initial, int rate);
AudioStream* stream_duplicate(AudioDevice* d, AudioStream* s);
void stream_destroy(AudioDevice* d, AudioStream* s);
void stream_play(AudioDevice* d, AudioStream* s);  // starts, or restarts from the beginning
void stream_stop(AudioDevice* d, AudioStream* s);
void stream_set_rate(AudioDevice* d, AudioStream* s, int hz);
void stream_set_volume(AudioDevice* d, AudioStream* s, int volume);  // 0..32767
void stream_set_pan(AudioDevice* d, AudioStream* s, int pan);        // -32768..32767
void stream_set_looping(AudioDevice* d, AudioStream* s, bool looping);
int stream_position(AudioDevice* d, AudioStream* s);  // samples; 0 when not playing
void stream_write(AudioDevice* d, AudioStream* s, int count, const uint8_t* samples, int offset);

// Fragments of 1/64 s queued for `ms` milliseconds of mix-ahead: 1 to 32.
int mixahead_fragments(int ms);

}  // namespace br
