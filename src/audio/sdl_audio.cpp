#include "audio/sdl_audio.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/log.h"

namespace br {
namespace {

constexpr int kOutputChannels = 2;
constexpr int kFragmentsPerSecond = 64;
// SDL's buffer stays well under the 0.1 s the engine synthesis keeps ahead of the play
// position, or the mixer would read samples not yet written.
constexpr int kBuffersPerSecondAtLeast = 20;
constexpr int kMinBufferFrames = 128;

// The largest power of two not above `n`, at least kMinBufferFrames.
int buffer_frames(int n) {
  int b = kMinBufferFrames;
  while (b * 2 <= n) b *= 2;
  return b;
}

void SDLCALL mix_callback(void* userdata, Uint8* out, int len) {
  AudioDevice& d = *static_cast<AudioDevice*>(userdata);
  const int frames = len / static_cast<int>(sizeof(int16_t) * kOutputChannels);
  std::lock_guard<std::mutex> lock(d.mixer_mutex);
  mix_block(d.mixer, frames);
  auto* pcm = reinterpret_cast<int16_t*>(out);
  for (int i = 0; i < frames; ++i) {
    pcm[2 * i] = mix_to_s16(d.mixer.left[static_cast<size_t>(i)]);
    pcm[2 * i + 1] = mix_to_s16(d.mixer.right[static_cast<size_t>(i)]);
  }
}

bool sdl_open(AudioDevice& d, const AudioOpenRequest& r) {
  kota::log_printf("Opening SDL audio...\n");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    kota::log_printf("No audio device (%s)\n", SDL_GetError());
    return false;
  }
  const char* name = SDL_GetCurrentAudioDriver();
  if (!name || std::strcmp(name, "dummy") == 0) {
    // The dummy driver plays into nothing: running the mixer for it would be wasted work.
    kota::log_printf("No audio device (SDL's dummy driver)\n");
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  kota::log_printf("Found a %s\n", name);

  SDL_AudioSpec want{}, have{};
  want.freq = r.rate;
  want.format = AUDIO_S16SYS;
  want.channels = kOutputChannels;
  int mixahead = r.mixahead_fragments * r.rate / kFragmentsPerSecond;
  want.samples =
      static_cast<Uint16>(buffer_frames(std::min(mixahead / 2, r.rate / kBuffersPerSecondAtLeast)));
  want.callback = mix_callback;
  want.userdata = &d;
  SDL_AudioDeviceID id =
      SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (id == 0) {
    kota::log_printf("Can't open audio device (%s)\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  // SDL opens the device paused, so the mixer is ready before the first callback.
  mixer_init(d.mixer, have.freq, true, r.channel_budget);
  d.platform_id = id;
  kota::log_printf("Audio rate: %d\n", have.freq);
  kota::log_printf("Audio channels: %d\n", r.channel_budget);
  kota::log_printf("Audio mixahead: %d\n", have.samples * 1000 / std::max(have.freq, 1));
  SDL_PauseAudioDevice(id, 0);
  kota::log_printf("Audio opened!\n");
  return true;
}

void sdl_close(AudioDevice& d) {
  // Closing waits for a callback in progress, so the mixer is not torn down under it.
  SDL_CloseAudioDevice(d.platform_id);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  d.platform_id = 0;
}

AudioDriver make_sdl_driver() {
  AudioDriver r = mixer_driver_entries();
  r.name = "sdl";
  r.open = sdl_open;
  r.close = sdl_close;
  return r;
}

}  // namespace

const AudioDriver& sdl_audio_driver() {
  static const AudioDriver driver = make_sdl_driver();
  return driver;
}

}  // namespace br
