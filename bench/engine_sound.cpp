// The cost of the engine sounds of a full field: N bikes of every class synthesised once per
// frame at 60 frames a second, and the sound card's mix of their streams (22050 Hz stereo,
// 16 channels) done as its callback does it. Figures are this thread's processor time, as a
// share of one core.
//   bench_engine_sound [bikes=20] [seconds=20] [data directory]
#include "audio/engine_sound.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/audio_device.h"
#include "audio/sound_table.h"
#include "bench_home.h"

namespace {

constexpr double kFramesPerSecond = 60;
constexpr int kCardRate = 22050;

double cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// A sound card that is only the mixer: what SDL's callback would be asked for is mixed here.
br::AudioDriver card_driver() {
  br::AudioDriver d = br::mixer_driver_entries();
  d.name = "bench";
  d.open = [](br::AudioDevice& device, const br::AudioOpenRequest& r) {
    br::mixer_init(device.mixer, r.rate, true, r.channel_budget);
    return true;
  };
  d.close = [](br::AudioDevice&) {};
  return d;
}

void mix_like_the_card(br::AudioDevice& d, int frames, std::vector<int16_t>& pcm) {
  std::lock_guard<std::mutex> lock(d.mixer_mutex);
  br::mix_block(d.mixer, frames);
  pcm.resize(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    pcm[2 * static_cast<size_t>(i)] = br::mix_to_s16(d.mixer.left[static_cast<size_t>(i)]);
    pcm[2 * static_cast<size_t>(i) + 1] = br::mix_to_s16(d.mixer.right[static_cast<size_t>(i)]);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int bikes = argc > 1 ? std::atoi(argv[1]) : 20;
  const double seconds = argc > 2 ? std::atof(argv[2]) : 20;
  BenchHome home(argc > 3 ? argv[3] : BR_DEFAULT_DATA_DIR);

  static const br::AudioDriver driver = card_driver();
  const br::AudioDriver* drivers[] = {&driver};
  br::AudioOpenRequest request;
  request.rate = kCardRate;
  br::AudioDevice* card = br::audio_open(drivers, request);

  const char* classes[] = {"450f", "250f", "250", "125", "50"};
  std::vector<std::unique_ptr<br::EngineSound>> sounds;
  for (int i = 0; i < bikes; ++i) {
    sounds.push_back(std::make_unique<br::EngineSound>());
    if (!br::init_engine_sound(*sounds.back(), card, classes[i % 5], "")) {
      std::fprintf(stderr, "bench_engine_sound: no stream for bike %d\n", i);
      return 1;
    }
  }

  br::Listener listener;
  std::vector<int16_t> pcm;
  const int frames = static_cast<int>(seconds * kFramesPerSecond);
  double card_owed = 0, synthesis = 0, mixing = 0;
  for (int f = 0; f < frames; ++f) {
    double t = f / kFramesPerSecond;
    double start = cpu_seconds();
    for (int i = 0; i < bikes; ++i) {
      // A field spread around the listener, each rider working the throttle differently.
      br::EngineReading bike;
      double phase = t * (0.3 + 0.05 * i) + i;
      bike.rpm = static_cast<float>(7000 + 4500 * std::sin(phase));
      bike.torque = static_cast<float>(10 + 15 * std::cos(phase * 1.7));
      bike.position = {40 * std::cos(i * 0.7), 0, 40 * std::sin(i * 0.7) + 5 * i};
      bike.velocity = {30 * std::sin(phase), 0, 30 * std::cos(phase)};
      br::engine_sound_frame(*sounds[static_cast<size_t>(i)], bike, 1.0f, listener);
    }
    br::audio_end_frame(card);
    double between = cpu_seconds();
    synthesis += between - start;
    for (card_owed += kCardRate / kFramesPerSecond; card_owed >= 1;) {
      int n = static_cast<int>(card_owed);
      mix_like_the_card(*card, n, pcm);
      card_owed -= n;
    }
    mixing += cpu_seconds() - between;
  }

  const double simulated = frames / kFramesPerSecond;
  std::printf("%d bikes, %.0f s of sound at %.0f frames a second\n", bikes, simulated,
              kFramesPerSecond);
  std::printf("synthesis: %6.3f ms a frame, %5.2f %% of one core\n", synthesis / frames * 1e3,
              synthesis / simulated * 100);
  std::printf("mixing:    %6.3f ms a frame, %5.2f %% of one core\n", mixing / frames * 1e3,
              mixing / simulated * 100);
  std::printf("together:  %5.2f %% of one core\n", (synthesis + mixing) / simulated * 100);

  for (auto& s : sounds) br::free_engine_sound(*s);
  br::audio_close(card);
  return 0;
}
