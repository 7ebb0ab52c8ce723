#include "audio/engine_sound.h"

#include <algorithm>
#include <cmath>

#include "audio/braap.h"
#include "platform/log.h"

namespace br {
namespace {

constexpr int kDelayMask = kEngineStreamSamples - 1;
constexpr float kMaxSynthValue = 16;      // the pipe's feedback never runs away past this
constexpr double kCycleOne = 16777216.0;  // 2^24, one firing of cycle phase
constexpr float kDopplerLimit = 8;
constexpr double kCloseForDoppler = 1.0 / 1024;  // ft², listener on top of the bike
constexpr double kCloseForPan = 1.0 / 32;        // ft
constexpr double kFalloffFeet = 48;              // the gain halves 49 ft away
constexpr int kMinPlaybackRate = 100, kMaxPlaybackRate = 1000000;

bool two_stroke_class(const std::string& engine_class) {
  return engine_class.empty() || engine_class.back() != 'f';
}

int32_t cycle_step_of(float hz) {
  return static_cast<int32_t>(std::lround(hz / kEngineSampleRate * kCycleOne));
}

// The pair of keys around `v`: the last key at or below it and the next one, both inside
// the table, and how far v lies between them (1 when they are the same key).
struct KeyPair {
  int low = 0, high = 0;
  float fraction = 1;
};

KeyPair key_pair(const std::vector<float>& keys, float v) {
  KeyPair p;
  int n = static_cast<int>(keys.size());
  while (p.low + 1 < n && keys[static_cast<size_t>(p.low + 1)] <= v) ++p.low;
  p.high = std::min(p.low + 1, n - 1);
  float span = keys[static_cast<size_t>(p.high)] - keys[static_cast<size_t>(p.low)];
  if (p.high != p.low && span > 0) {
    p.fraction = std::clamp((v - keys[static_cast<size_t>(p.low)]) / span, 0.0f, 1.0f);
  }
  return p;
}

// Points a voice at the cycle a cell plays for firing number `cycle`, stretched so that it
// lasts one period of `hz`.
void start_voice(EngineVoice& v, const SoundCell& cell, float weight, uint32_t cycle, float hz) {
  const double n = static_cast<double>(cell.samples->size());
  double j = cycle;
  if (!cell.remap.empty()) j = cell.remap[cycle % cell.remap.size()];
  double per_cycle = n / cell.cycles;
  v.samples = cell.samples.get();
  v.weight = weight;
  v.phase = static_cast<int64_t>(std::floor(per_cycle * std::fmod(j, cell.cycles)))
            << kVoiceFractionBits;
  v.increment = static_cast<int64_t>(
      std::floor(hz / kEngineSampleRate * per_cycle * (1 << kVoiceFractionBits)));
}

// A firing at sample k of the frame's `count`: the engine speed for it, the cells around it
// and the new firing frequency.
void fire(EngineSound& s, int k, int count, float rpm, float load) {
  EngineTuning& t = s.tuning;
  const uint32_t c = s.cycle_count;
  float p = s.previous_rpm;
  float r = t.scale[c % t.scale.size()] *
            (t.bias[c % t.bias.size()] + p + static_cast<float>(k) / count * (rpm - p));
  if (!(r >= t.min_rpm)) r = t.min_rpm;  // also a speed that is not a number
  s.cycle_count = c + 1;

  const SoundTable& table = *t.table;
  KeyPair rows = key_pair(table.row_keys, r);
  KeyPair columns = key_pair(table.column_keys, load);
  float hz = std::clamp(r * t.firings_per_rev / 60, kMinFiringHz, kMaxFiringHz);
  if (!std::isfinite(hz)) hz = kMinFiringHz;
  s.firing_hz = hz;

  const float u = rows.fraction, v = columns.fraction;
  const int cells[kEngineVoices][2] = {{rows.low, columns.low},
                                       {rows.high, columns.low},
                                       {rows.low, columns.high},
                                       {rows.high, columns.high}};
  const float weights[kEngineVoices] = {(1 - u) * (1 - v), u * (1 - v), (1 - u) * v, u * v};
  for (int i = 0; i < kEngineVoices; ++i) {
    start_voice(s.voices[static_cast<size_t>(i)], table.cell(cells[i][0], cells[i][1]), weights[i],
                s.cycle_count, hz);
  }
}

void reset_state(EngineSound& s) {
  std::fill(s.delay_line.begin(), s.delay_line.end(), 0.0f);
  s.firing_hz = 10;
  s.presence = 1;
  s.previous_rpm = 1000;
  s.write_position = kFirstWritePosition;
  s.cycle_phase = 0;
  s.cycle_count = 0;
}

double dot(const Vec3d& a, const Vec3d& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

}  // namespace

EngineTuning class_tuning(const std::string& engine_class) {
  EngineTuning t;
  const bool two_stroke = two_stroke_class(engine_class);
  t.table = builtin_sound_table(two_stroke);
  t.firings_per_rev = two_stroke ? 1.0f : 0.5f;
  t.low_torque = two_stroke ? -3.5f : -2.5f;
  t.high_torque = engine_class == "50" ? 1.5f : (two_stroke ? 3.5f : 2.5f);
  set_pipe(t, two_stroke ? kTwoStrokePipe : kFourStrokePipe);
  return t;
}

PipeShape class_pipe(const std::string& engine_class) {
  return engine_class == "250f" || engine_class == "450f" ? kFourStrokePipe : kTwoStrokePipe;
}

void set_pipe(EngineTuning& t, const PipeShape& pipe) {
  int first = std::clamp(pipe.first_tap, 0, kPipeTaps - 1);
  int last = std::clamp(pipe.last_tap, first, kPipeTaps - 1);
  const int n = last - first + 1;
  const double length = pipe.length, m = std::min(pipe.length, pipe.taper);
  for (int i = first; i <= last; ++i) {
    double x = i - first;
    double tap = n == 1 ? length : length - m * (x + x * x / ((n - 1.0) * (n - 1.0))) / n;
    double delay = 2 * tap / kSpeedOfSound * kEngineSampleRate;
    // A pipe longer than the delay line, or not a number at all, cannot ring.
    int d = std::isfinite(delay) ? static_cast<int>(std::clamp(delay, 0.0, kDelayMask + 0.0)) : 0;
    t.tap_offset[static_cast<size_t>(i)] = kEngineStreamSamples - d;
    t.tap_gain[static_cast<size_t>(i)] = std::isfinite(pipe.gain) ? pipe.gain / n : 0.0f;
  }
}

bool init_engine_sound(EngineSound& s, AudioDevice* device, const std::string& engine_class,
                       const std::string& bike_texture) {
  std::vector<uint8_t> silence(kEngineStreamSamples, static_cast<uint8_t>(kSilentSample));
  s.device = device;
  s.stream = stream_create(device, kEngineStreamSamples, silence.data(), 0);
  if (!s.stream) return false;
  stream_set_looping(device, s.stream, true);
  stream_set_volume(device, s.stream, 0);
  stream_play(device, s.stream);

  reset_state(s);
  s.tuning = class_tuning(engine_class);
  std::string used;
  for (const std::string& name : braap_candidates(bike_texture)) {
    if (read_braap(name, s.tuning)) {
      used = name;
      break;
    }
  }
  if (used.empty()) {
    std::string fallback = class_braap(engine_class);
    if (!fallback.empty() && read_braap(fallback, s.tuning)) used = fallback;
  }
  kota::log_printf("Engine sound of a %s: %s\n", engine_class.c_str(),
                   used.empty() ? "built in" : used.c_str());

  const std::vector<float>* first = s.tuning.table->cells.front().samples.get();
  for (EngineVoice& v : s.voices) v = EngineVoice{first, 0, 0, 0};
  return true;
}

void free_engine_sound(EngineSound& s) {
  stream_destroy(s.device, s.stream);
  s.stream = nullptr;
}

float engine_load(const EngineTuning& t, float torque) {
  float b = (torque - t.low_torque) / (t.high_torque - t.low_torque);
  // Equal torques make the load a step at that torque.
  if (std::isnan(b)) b = torque >= t.low_torque ? 1 : 0;
  return std::clamp(b, 0.0f, 1.0f);
}

void synthesise(EngineSound& s, float rpm, float load, std::span<float> out) {
  const EngineTuning& t = s.tuning;
  float* line = s.delay_line.data();
  const int count = static_cast<int>(out.size());
  int w = s.write_position;
  int32_t cycle_step = cycle_step_of(s.firing_hz);
  for (int k = 0; k < count; ++k) {
    float y = 0;
    for (int i = 0; i < kPipeTaps; ++i) {
      y += t.tap_gain[static_cast<size_t>(i)] *
           line[(w + t.tap_offset[static_cast<size_t>(i)]) & kDelayMask];
    }
    for (EngineVoice& v : s.voices) {
      int64_t at = v.phase >> kVoiceFractionBits;
      // A voice that ran past its samples waits for the next firing.
      if (!v.samples || at >= static_cast<int64_t>(v.samples->size())) continue;
      y += v.weight * (*v.samples)[static_cast<size_t>(at)];
      v.phase += v.increment;
    }
    y = std::clamp(y, -kMaxSynthValue, kMaxSynthValue);
    line[w] = y;
    out[static_cast<size_t>(k)] = y;

    s.cycle_phase += cycle_step;
    if (s.cycle_phase > 0xFFFFFF) {
      s.cycle_phase -= 1 << 24;
      fire(s, k, count, rpm, load);
      cycle_step = cycle_step_of(s.firing_hz);
    }
    w = (w + 1) & kDelayMask;
  }
  s.write_position = w;
  s.previous_rpm = rpm;
}

StreamPlacement place_engine_sound(const EngineReading& bike, const Listener& listener,
                                   float volume, float presence) {
  Vec3d to_listener{listener.position[0] - bike.position[0],
                    listener.position[1] - bike.position[1],
                    listener.position[2] - bike.position[2]};
  double d2 = dot(to_listener, to_listener);
  double d = std::sqrt(d2);
  Vec3d e{0, 0, 0};
  if (d > 0) e = {to_listener[0] / d, to_listener[1] / d, to_listener[2] / d};

  StreamPlacement p;
  double m = 1;
  if (d2 >= kCloseForDoppler) {
    double numerator = 1 - dot(listener.velocity, e) / kSpeedOfSound;
    double denominator = 1 - dot(bike.velocity, e) / kSpeedOfSound;
    // Closing in at near the speed of sound would shift without bound: hold it at the limit.
    m = denominator < numerator / kDopplerLimit ? kDopplerLimit : numerator / denominator;
  }
  double rate = kEngineSampleRate * m;
  if (!std::isfinite(rate)) rate = kEngineSampleRate;
  p.rate = static_cast<int>(std::clamp(rate, double{kMinPlaybackRate}, double{kMaxPlaybackRate}));

  double gain = volume * presence * kMaxStreamVolume / std::max(1.0, 1 + (d - 1) / kFalloffFeet);
  if (!std::isfinite(gain)) gain = 0;
  p.volume = static_cast<int>(std::clamp(gain, 0.0, double{kMaxStreamVolume}));
  if (d >= kCloseForPan) {
    p.pan = static_cast<int>(std::clamp(-dot(e, listener.right) * kMaxStreamVolume,
                                        double{kPanHardLeft}, double{kPanHardRight}));
  }
  return p;
}

void engine_sound_frame(EngineSound& s, const EngineReading& bike, float volume,
                        const Listener& listener) {
  if (!s.stream) return;
  int played = stream_position(s.device, s.stream);
  int count =
      std::min((played - s.write_position + kSynthesisLead) & kDelayMask, kMaxSamplesPerFrame);
  const int start = s.write_position;
  std::vector<float> y(static_cast<size_t>(count));
  synthesise(s, bike.rpm, engine_load(s.tuning, bike.torque), y);
  std::vector<uint8_t> bytes(y.size());
  for (size_t i = 0; i < y.size(); ++i) {
    bytes[i] = static_cast<uint8_t>(std::clamp(std::lround(y[i] * 127 + 127), 0L, 255L));
  }
  stream_write(s.device, s.stream, count, bytes.data(), start);

  StreamPlacement p = place_engine_sound(bike, listener, volume, s.presence);
  stream_set_rate(s.device, s.stream, p.rate);
  stream_set_volume(s.device, s.stream, p.volume);
  stream_set_pan(s.device, s.stream, p.pan);
}

}  // namespace br
