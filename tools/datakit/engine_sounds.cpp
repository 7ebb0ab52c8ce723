// The engine recordings come from a small physical picture of a single-cylinder exhaust.
// Each firing opens the exhaust and a pulse of gas leaves the cylinder: fast to rise, slower
// to fall, as strong as the cylinder pressure that the load leaves behind. Three things of
// that pulse reach the ear:
//   - the silencer's volume smooths the pulses into one pressure swing per firing: the deep
//     beat whose pitch is the firing rate;
//   - the pulse's sharp front rings the pipe: the header of a four-stroke low and short, the
//     expansion chamber of a two-stroke bright and long, higher the smaller the engine;
//   - the blowdown's turbulence hisses, and a four-stroke's valves tick.
// Cycles differ a little from one to the next; a two-stroke off the throttle misses and
// burbles. Recording several cycles after a few of settling makes each recording loop.
#include "engine_sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "audio/sound_table_format.h"
#include "kit.h"

namespace kit {
namespace {

constexpr float kRate = br::kEngineSampleRate;
constexpr int kCyclesPerCell = 4;
constexpr int kSettleCycles = 4;
constexpr float kHighPassHz = 8;  // no pressure stays in the open air

struct Ring {
  float hz, q, weight;
};

struct EngineClassSound {
  const char* engine_class;
  const char* description;
  bool two_stroke;
  std::vector<float> rows;  // rpm
  float open_fraction;      // of the firing period the exhaust pulse lasts
  float beat_cut;           // the silencer's corner, in firing rates
  Ring rings[2];
  float ring_weight, hiss_weight, tick_weight;
  float drive;     // saturation of the pipe's outlet: a two-stroke's rasp
  float loudness;  // peak of the loudest cycle in the table
  float low_torque, high_torque, min_rpm;
  br::PipeShape pipe;
  std::vector<float> bias, scale;
  uint64_t seed;
};

const std::vector<EngineClassSound>& engine_classes() {
  // clang-format off
  static const std::vector<EngineClassSound> classes = {
      {.engine_class = "450f",
       .description = "450 four-stroke: a deep, slow thump through a short header and a big can",
       .two_stroke = false,
       .rows = {1500, 3000, 4500, 6000, 7500, 9000, 10500, 12000},
       .open_fraction = 0.34f,
       .beat_cut = 1.3f,
       .rings = {{105, 4, 1.0f}, {430, 7, 0.5f}},
       .ring_weight = 0.22f, .hiss_weight = 0.05f, .tick_weight = 0.03f,
       .drive = 0, .loudness = 0.50f,
       .low_torque = -3, .high_torque = 30, .min_rpm = 1200,
       .pipe = {4.0f, 0.6f, -0.35f, 0, 15},
       .bias = {0, 40, -25, 15, -30}, .scale = {1, 1.004f, 0.996f},
       .seed = 450},
      {.engine_class = "250f",
       .description = "250 four-stroke: a higher, harder bark that revs far",
       .two_stroke = false,
       .rows = {2000, 3750, 5500, 7250, 9000, 10750, 12500, 14000},
       .open_fraction = 0.32f,
       .beat_cut = 1.5f,
       .rings = {{165, 4, 1.0f}, {640, 6, 0.6f}},
       .ring_weight = 0.36f, .hiss_weight = 0.08f, .tick_weight = 0.04f,
       .drive = 0.4f, .loudness = 0.46f,
       .low_torque = -2, .high_torque = 20, .min_rpm = 1500,
       .pipe = {3.2f, 0.5f, -0.3f, 0, 15},
       .bias = {0, 30, -20, 10}, .scale = {1, 1.003f, 0.997f},
       .seed = 250},
      {.engine_class = "250",
       .description = "250 two-stroke: a sharp, ringing rasp from the expansion chamber",
       .two_stroke = true,
       .rows = {1500, 3000, 4500, 6000, 7500, 9000, 10500, 12000},
       .open_fraction = 0.48f,
       .beat_cut = 1.4f,
       .rings = {{620, 4, 1.0f}, {1450, 3, 0.6f}},
       .ring_weight = 0.65f, .hiss_weight = 0.15f, .tick_weight = 0,
       .drive = 1.6f, .loudness = 0.50f,
       .low_torque = -1, .high_torque = 29, .min_rpm = 1300,
       .pipe = {1.75f, 0.3f, -0.3f, 0, 15},
       .bias = {0, 25, -40, 10, -15, 30}, .scale = {1, 0.997f},
       .seed = 2500},
      {.engine_class = "125",
       .description = "125 two-stroke: a thinner, higher scream",
       .two_stroke = true,
       .rows = {2000, 3750, 5500, 7250, 9000, 10750, 12500, 14000},
       .open_fraction = 0.46f,
       .beat_cut = 1.5f,
       .rings = {{880, 4, 1.0f}, {1950, 3, 0.6f}},
       .ring_weight = 0.7f, .hiss_weight = 0.17f, .tick_weight = 0,
       .drive = 1.8f, .loudness = 0.42f,
       .low_torque = -1, .high_torque = 16, .min_rpm = 1500,
       .pipe = {1.4f, 0.25f, -0.3f, 0, 15},
       .bias = {0, 30, -45, 15}, .scale = {1, 0.996f},
       .seed = 1250},
      {.engine_class = "50",
       .description = "small two-stroke: a buzzy whine from a tiny pipe",
       .two_stroke = true,
       .rows = {2500, 4250, 6000, 7750, 9500, 11250, 13000, 14500},
       .open_fraction = 0.45f,
       .beat_cut = 1.6f,
       .rings = {{1250, 4, 1.0f}, {2700, 3, 0.7f}},
       .ring_weight = 0.8f, .hiss_weight = 0.2f, .tick_weight = 0,
       .drive = 2.0f, .loudness = 0.34f,
       .low_torque = -0.5f, .high_torque = 4, .min_rpm = 2000,
       .pipe = {0.9f, 0.15f, -0.25f, 0, 15},
       .bias = {0, 40, -50, 10}, .scale = {1, 0.995f},
       .seed = 5050},
  };
  // clang-format on
  return classes;
}

// Filters of one sample at a time.
struct OnePole {
  float a = 0, y = 0;
  static OnePole low_pass(float hz) { return {std::exp(-2 * kPi * hz / kRate), 0}; }
  float low(float x) { return y = (1 - a) * x + a * y; }
};

struct HighPass {
  float a = 0, x1 = 0, y = 0;
  explicit HighPass(float hz) : a(std::exp(-2 * kPi * hz / kRate)) {}
  float operator()(float x) {
    y = a * (y + x - x1);
    x1 = x;
    return y;
  }
};

struct Resonator {
  float b1 = 0, b2 = 0, gain = 0, y1 = 0, y2 = 0;
  Resonator(float hz, float q) {
    float r = std::exp(-kPi * hz / (q * kRate));
    b1 = 2 * r * std::cos(2 * kPi * hz / kRate);
    b2 = -r * r;
    gain = 1 - r;
  }
  float operator()(float x) {
    float y = gain * x + b1 * y1 + b2 * y2;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// The exhaust pulse over its own duration, t in [0, 1): quick to open, slower to blow down.
float pulse_shape(float t) {
  if (t <= 0 || t >= 1) return 0;
  constexpr float kRise = 1.2f, kFall = 3.0f;
  constexpr float kPeakAt = kRise / (kRise + kFall);
  const float peak = std::pow(kPeakAt, kRise) * std::pow(1 - kPeakAt, kFall);
  return std::pow(t, kRise) * std::pow(1 - t, kFall) / peak;
}

float peak_of(const std::vector<float>& v) {
  float p = 0;
  for (float x : v) p = std::max(p, std::fabs(x));
  return p;
}

void scale_to(std::vector<float>& v, float peak) {
  float p = peak_of(v);
  if (p > 0) {
    for (float& x : v) x *= peak / p;
  }
}

std::vector<float> synthesise_cycles(const EngineClassSound& c, float rpm, float load, int cycles) {
  const float firings_per_rev = c.two_stroke ? 1.0f : 0.5f;
  const float firing_hz = rpm * firings_per_rev / 60;
  const int period = static_cast<int>(std::lround(kRate / firing_hz));
  const int total = period * (kSettleCycles + cycles);
  Rng rng(c.seed * 7919 + static_cast<uint64_t>(rpm) * 31 + static_cast<uint64_t>(load * 100));

  // Cycle to cycle: a little strength and timing, the same pattern every `cycles` firings so
  // the recording loops. A two-stroke off the throttle fires weakly on some cycles.
  std::vector<float> strength(static_cast<size_t>(cycles)), delay(static_cast<size_t>(cycles));
  for (int i = 0; i < cycles; ++i) {
    float s = 1 + rng.range(-0.08f, 0.08f);
    if (c.two_stroke && load < 0.25f && i % 2 == 1) s *= rng.range(0.3f, 0.6f);
    strength[static_cast<size_t>(i)] = s;
    delay[static_cast<size_t>(i)] = rng.range(0.0f, 0.015f) * period;
  }

  // The gas leaving the cylinder, firing by firing.
  std::vector<float> flow(static_cast<size_t>(total), 0.0f), hiss_envelope(flow.size(), 0.0f);
  std::vector<float> ticks(flow.size(), 0.0f);
  const float duration = c.open_fraction * period;
  for (int f = 0; f < kSettleCycles + cycles; ++f) {
    int i = f % cycles;
    float start = static_cast<float>(f * period) + delay[static_cast<size_t>(i)];
    for (int n = static_cast<int>(start); n < total && n < start + period; ++n) {
      float since = n - start;
      flow[static_cast<size_t>(n)] +=
          strength[static_cast<size_t>(i)] * pulse_shape(since / duration);
      hiss_envelope[static_cast<size_t>(n)] =
          strength[static_cast<size_t>(i)] * std::exp(-since / (0.15f * period));
    }
    if (c.tick_weight > 0) {
      // The valves seat late in the cycle, intake and exhaust.
      for (float at : {0.55f, 0.8f}) {
        int n = static_cast<int>(start + at * period);
        if (n < total) ticks[static_cast<size_t>(n)] += 1;
      }
    }
  }

  std::vector<float> beat(flow.size()), ring(flow.size()), hiss(flow.size()), tick(flow.size());
  OnePole lp1 = OnePole::low_pass(c.beat_cut * firing_hz), lp2 = lp1;
  HighPass beat_hp(kHighPassHz);
  Resonator r0(c.rings[0].hz, c.rings[0].q), r1(c.rings[1].hz, c.rings[1].q);
  Resonator tick_ring(3200, 12);
  HighPass hiss_hp(1500);
  OnePole hiss_lp = OnePole::low_pass(6000);
  for (size_t n = 0; n < flow.size(); ++n) {
    beat[n] = beat_hp(lp2.low(lp1.low(flow[n])));
    float front = flow[n] - (n > 0 ? flow[n - 1] : 0);
    ring[n] = c.rings[0].weight * r0(front) + c.rings[1].weight * r1(front);
    hiss[n] = hiss_lp.low(hiss_hp(rng.range(-1, 1))) * hiss_envelope[n];
    tick[n] = tick_ring(ticks[n]);
  }
  // Each part on its own scale, then mixed: harder throttle rings and hisses more.
  for (auto* part : {&beat, &ring, &hiss, &tick}) scale_to(*part, 1);
  const float level = 0.3f + 0.7f * load;
  std::vector<float> out(static_cast<size_t>(period * cycles));
  for (size_t n = 0; n < out.size(); ++n) {
    size_t at = n + static_cast<size_t>(period * kSettleCycles);
    float v = beat[at] + c.ring_weight * (0.5f + 0.5f * load) * ring[at] +
              c.hiss_weight * (0.4f + 0.6f * load) * hiss[at] + c.tick_weight * tick[at];
    v *= level;
    if (c.drive > 0) v = std::tanh(c.drive * v) / c.drive;
    out[n] = v;
  }
  return out;
}

std::string sample_name(const EngineClassSound& c, int row, int column) {
  char name[64];
  std::snprintf(name, sizeof name, "sounds/%s_r%d_c%d.raw", c.engine_class, row, column);
  return name;
}

bool write_class(const std::string& root, const EngineClassSound& c) {
  const std::vector<float> loads = {0, 0.5f, 1};
  std::vector<std::vector<float>> cells;
  float loudest = 0;
  for (float rpm : c.rows) {
    for (float load : loads) {
      cells.push_back(synthesise_cycles(c, rpm, load, kCyclesPerCell));
      loudest = std::max(loudest, peak_of(cells.back()));
    }
  }
  br::SoundTableText table;
  table.row_keys = c.rows;
  table.column_keys = loads;
  bool ok = true;
  for (size_t i = 0; i < cells.size(); ++i) {
    for (float& v : cells[i]) v *= c.loudness / loudest;
    int row = static_cast<int>(i / loads.size()), column = static_cast<int>(i % loads.size());
    std::string name = sample_name(c, row, column);
    ok &= write_file(root, name, br::encode_sample_file(cells[i]));
    br::SoundTableCellText cell;
    cell.cycles = kCyclesPerCell;
    cell.sample_path = "@" + name;
    // A two-stroke off the throttle does not miss in step: its cycles come back shuffled.
    if (c.two_stroke && column == 0) cell.remap = {0, 1, 2, 1, 3, 0, 3, 2};
    table.cells.push_back(cell);
  }
  std::string table_name = std::string("sounds/") + c.engine_class + ".soundtable";
  ok &= write_file(root, table_name, br::write_sound_table(table));

  br::BraapText braap;
  braap.comment = c.description;
  braap.sound_table = "@" + table_name;
  braap.pipe = c.pipe;
  braap.min_rpm = c.min_rpm;
  braap.low_torque = c.low_torque;
  braap.high_torque = c.high_torque;
  braap.bias = c.bias;
  braap.scale = c.scale;
  ok &=
      write_file(root, std::string("default") + c.engine_class + ".braap", br::write_braap(braap));
  return ok;
}

}  // namespace

bool write_engine_sounds(const std::string& root) {
  bool ok = true;
  for (const EngineClassSound& c : engine_classes()) ok &= write_class(root, c);
  return ok;
}

}  // namespace kit
