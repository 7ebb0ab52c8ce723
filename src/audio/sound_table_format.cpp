#include "audio/sound_table_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "files/little_endian.h"

namespace br {
namespace {

void append(std::string& out, const char* format, double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, v);
  out += buffer;
}

void append_list(std::string& out, const char* keyword, const std::vector<float>& values) {
  out += keyword;
  for (float v : values) append(out, " %g", v);
  out += '\n';
}

}  // namespace

std::string write_sound_table(const SoundTableText& t) {
  std::string out = std::string(kSoundTableMagic) + " " + std::to_string(t.row_keys.size()) + " " +
                    std::to_string(t.column_keys.size()) + "\n";
  for (float k : t.row_keys) append(out, "%g ", k);
  out += '\n';
  for (float k : t.column_keys) append(out, "%g ", k);
  out += '\n';
  for (const SoundTableCellText& c : t.cells) {
    for (int r : c.remap) out += std::to_string(r) + " ";
    out += "-1 ";
    append(out, "%g ", c.cycles);
    out += c.sample_path + "\n";
  }
  return out;
}

std::string encode_sample_file(std::span<const float> samples) {
  std::string bytes(samples.size() * 2, '\0');
  for (size_t i = 0; i < samples.size(); ++i) {
    float v = std::round(samples[i] * kSampleFullScale);
    auto s = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
    write_u16_le(reinterpret_cast<uint8_t*>(&bytes[2 * i]), static_cast<uint16_t>(s));
  }
  return bytes;
}

std::vector<float> decode_sample_file(std::span<const uint8_t> bytes) {
  std::vector<float> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(read_u16_le(&bytes[2 * i])) / kSampleFullScale;
  }
  return samples;
}

std::string write_braap(const BraapText& b) {
  std::string out;
  size_t start = 0;
  while (start < b.comment.size()) {
    size_t end = b.comment.find('\n', start);
    if (end == std::string::npos) end = b.comment.size();
    out += "# " + b.comment.substr(start, end - start) + "\n";
    start = end + 1;
  }
  if (!b.sound_table.empty()) out += std::string(kBraapSoundTable) + " " + b.sound_table + "\n";
  char line[160];
  std::snprintf(line, sizeof line, "%s %g %g %g %d %d\n", kBraapPipe, b.pipe.length, b.pipe.taper,
                b.pipe.gain, b.pipe.first_tap, b.pipe.last_tap);
  out += line;
  std::snprintf(line, sizeof line, "%s %g\n%s %g\n%s %g\n", kBraapMinRpm, b.min_rpm,
                kBraapLowTorque, b.low_torque, kBraapHighTorque, b.high_torque);
  out += line;
  append_list(out, kBraapBias, b.bias);
  append_list(out, kBraapScale, b.scale);
  return out;
}

}  // namespace br
