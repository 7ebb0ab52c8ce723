#include "audio/audio_device.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/options.h"

namespace br {
namespace {

constexpr int kFragmentsPerSecond = 64;
constexpr int kMaxMixaheadFragments = 32;

using Lock = std::lock_guard<std::mutex>;

AudioStream* mixer_create(AudioDevice& d, int count, const uint8_t* initial, int rate) {
  Lock lock(d.mixer_mutex);
  return mixer_create_stream(d.mixer, count, initial, rate);
}

AudioStream* mixer_duplicate(AudioDevice& d, AudioStream* s) {
  Lock lock(d.mixer_mutex);
  return mixer_duplicate_stream(d.mixer, *s);
}

void mixer_destroy(AudioDevice& d, AudioStream* s) {
  Lock lock(d.mixer_mutex);
  mixer_destroy_stream(d.mixer, s);
}

void mixer_play(AudioDevice& d, AudioStream* s) {
  Lock lock(d.mixer_mutex);
  stream_state_play(*s);
}

void mixer_stop(AudioDevice& d, AudioStream* s) {
  Lock lock(d.mixer_mutex);
  s->playing = false;
}

void mixer_set_rate(AudioDevice& d, AudioStream* s, int hz) {
  Lock lock(d.mixer_mutex);
  s->rate = std::max(hz, kMinStreamRate);
}

void mixer_set_volume(AudioDevice& d, AudioStream* s, int volume) {
  Lock lock(d.mixer_mutex);
  stream_state_set_volume(d.mixer, *s, volume);
}

void mixer_set_pan(AudioDevice& d, AudioStream* s, int pan) {
  Lock lock(d.mixer_mutex);
  stream_state_set_pan(d.mixer, *s, pan);
}

void mixer_set_looping(AudioDevice& d, AudioStream* s, bool looping) {
  Lock lock(d.mixer_mutex);
  s->looping = looping;
}

int mixer_position(AudioDevice& d, AudioStream* s) {
  Lock lock(d.mixer_mutex);
  return stream_state_position(*s);
}

void mixer_write(AudioDevice& d, AudioStream* s, int count, const uint8_t* samples, int offset) {
  Lock lock(d.mixer_mutex);
  stream_state_write(*s, count, samples, offset);
}

int no_operation(AudioDevice&) {
  return 0;
}

void nothing_at_frame_end(AudioDevice&) {}

std::span<const int16_t> no_readback(AudioDevice&) {
  return {};
}

bool readback_open(AudioDevice& d, const AudioOpenRequest& r) {
  kota::log_printf("Opening readback audio...\n");
  if (r.block_frames <= 0 || r.rate <= 0) {
    kota::log_printf("Malloc failed\n");
    return false;
  }
  // The recording is mono: one channel carries every stream at full level.
  mixer_init(d.mixer, r.rate, false, r.channel_budget);
  d.block_frames = r.block_frames;
  d.block.assign(static_cast<size_t>(r.block_frames), 0);
  kota::log_printf("Audio opened!\n");
  return true;
}

void readback_close(AudioDevice& d) {
  d.block.clear();
}

std::span<const int16_t> readback_mix(AudioDevice& d) {
  Lock lock(d.mixer_mutex);
  mix_block(d.mixer, d.block_frames);
  for (int i = 0; i < d.block_frames; ++i) {
    d.block[static_cast<size_t>(i)] = mix_to_s16(d.mixer.left[static_cast<size_t>(i)]);
  }
  return d.block;
}

AudioDriver make_readback_driver() {
  AudioDriver r = mixer_driver_entries();
  r.name = "readback";
  r.open = readback_open;
  r.close = readback_close;
  r.readback = readback_mix;
  return r;
}

}  // namespace

AudioDriver mixer_driver_entries() {
  return {"mixer",        nullptr,        no_operation,     nullptr,       nothing_at_frame_end,
          no_readback,    mixer_create,   mixer_duplicate,  mixer_destroy, mixer_play,
          mixer_stop,     mixer_set_rate, mixer_set_volume, mixer_set_pan, mixer_set_looping,
          mixer_position, mixer_write};
}

const AudioDriver& readback_audio_driver() {
  static const AudioDriver driver = make_readback_driver();
  return driver;
}

int mixahead_fragments(int ms) {
  return std::clamp(ms * kFragmentsPerSecond / 1000, 1, kMaxMixaheadFragments);
}

AudioOpenRequest audio_options() {
  AudioOpenRequest r;
  r.rate = std::clamp(kota::option_int("sound-rate", 22050), 4000, 192000);
  r.channel_budget = std::max(kota::option_int("sound-channels", 16), 0);
  r.mixahead_fragments = mixahead_fragments(kota::option_int("sound-mixahead", 125));
  return r;
}

AudioDevice* audio_open(std::span<const AudioDriver* const> drivers,
                        const AudioOpenRequest& request) {
  for (const AudioDriver* driver : drivers) {
    auto* d = new AudioDevice;
    d->driver = driver;
    if (driver->open(*d, request)) return d;
    delete d;
  }
  return nullptr;
}

AudioDevice* audio_open_readback(int rate, int block_frames) {
  AudioOpenRequest r = audio_options();
  r.rate = rate;
  r.block_frames = block_frames;
  const AudioDriver* only[] = {&readback_audio_driver()};
  return audio_open(only, r);
}

void audio_close(AudioDevice* d) {
  if (!d) {
    kota::log_printf("Can't close audio, not open\n");
    return;
  }
  kota::log_printf("Closing audio\n");
  d->driver->close(*d);
  delete d;
}

void audio_end_frame(AudioDevice* d) {
  if (d) d->driver->end_frame(*d);
}

std::span<const int16_t> audio_readback(AudioDevice* d) {
  return d ? d->driver->readback(*d) : std::span<const int16_t>{};
}

AudioStream* stream_create(AudioDevice* d, int count, const uint8_t* initial, int rate) {
  return d ? d->driver->create_stream(*d, count, initial, rate) : nullptr;
}

AudioStream* stream_duplicate(AudioDevice* d, AudioStream* s) {
  return d && s ? d->driver->duplicate_stream(*d, s) : nullptr;
}

void stream_destroy(AudioDevice* d, AudioStream* s) {
  if (d && s) d->driver->destroy_stream(*d, s);
}

void stream_play(AudioDevice* d, AudioStream* s) {
  if (d && s) d->driver->play(*d, s);
}

void stream_stop(AudioDevice* d, AudioStream* s) {
  if (d && s) d->driver->stop(*d, s);
}

void stream_set_rate(AudioDevice* d, AudioStream* s, int hz) {
  if (d && s) d->driver->set_rate(*d, s, hz);
}

void stream_set_volume(AudioDevice* d, AudioStream* s, int volume) {
  if (d && s) d->driver->set_volume(*d, s, volume);
}

void stream_set_pan(AudioDevice* d, AudioStream* s, int pan) {
  if (d && s) d->driver->set_pan(*d, s, pan);
}

void stream_set_looping(AudioDevice* d, AudioStream* s, bool looping) {
  if (d && s) d->driver->set_looping(*d, s, looping);
}

int stream_position(AudioDevice* d, AudioStream* s) {
  return d && s ? d->driver->position(*d, s) : 0;
}

void stream_write(AudioDevice* d, AudioStream* s, int count, const uint8_t* samples, int offset) {
  if (d && s) d->driver->write(*d, s, count, samples, offset);
}

}  // namespace br
