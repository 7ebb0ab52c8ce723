#include "audio/braap.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/sound_table_format.h"
#include "files/data_file.h"
#include "files/messages.h"

namespace br {
namespace {

constexpr const char* kBraapExtension = ".braap";

bool finite_all(std::initializer_list<float> values) {
  for (float v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// Up to kMaxFiringList numbers from `text`; empty when any is not a finite number.
std::vector<float> number_list(const char* text) {
  std::vector<float> values;
  char* end = nullptr;
  for (const char* p = text;; p = end) {
    float v = std::strtof(p, &end);
    if (end == p) break;
    if (!std::isfinite(v)) return {};
    if (values.size() < static_cast<size_t>(kMaxFiringList)) values.push_back(v);
  }
  return values;
}

// One line, comment already cut off. False when the line's values are refused.
bool apply_line(const char* line, EngineTuning& t) {
  char word[32];
  int used = 0;
  if (std::sscanf(line, " %31s%n", word, &used) != 1) return true;
  const char* rest = line + used;
  std::string keyword = word;
  if (keyword == kBraapPipe) {
    PipeShape p = kFourStrokePipe;
    std::sscanf(rest, "%f %f %f %d %d", &p.length, &p.taper, &p.gain, &p.first_tap, &p.last_tap);
    if (!finite_all({p.length, p.taper, p.gain})) return false;
    set_pipe(t, p);
  } else if (keyword == kBraapMinRpm || keyword == kBraapLowTorque || keyword == kBraapHighTorque) {
    float v = 0;
    if (std::sscanf(rest, "%f", &v) != 1 || !std::isfinite(v)) return false;
    float& field = keyword == kBraapMinRpm      ? t.min_rpm
                   : keyword == kBraapLowTorque ? t.low_torque
                                                : t.high_torque;
    field = v;
  } else if (keyword == kBraapBias || keyword == kBraapScale) {
    std::vector<float> values = number_list(rest);
    if (values.empty()) return false;
    (keyword == kBraapBias ? t.bias : t.scale) = std::move(values);
  } else if (keyword == kBraapSoundTable) {
    char path[1024];
    if (std::sscanf(rest, "%1023s", path) != 1) return false;
    SoundTablePtr table = load_sound_table(path);
    if (table) {
      t.table = table;
    } else {
      show_message("Error reading '%.512s'", path);
    }
  }
  return true;
}

}  // namespace

bool read_braap(const std::string& name, EngineTuning& t) {
  DataFilePtr f(data_open(name.c_str(), "r"));
  if (!f) return false;
  set_pipe(t, kQuietPipe);
  char line[kMaxBraapLine + 2];
  int number = 0;
  while (data_gets(line, sizeof line, f.get())) {
    ++number;
    if (!std::strchr(line, '\n')) {
      // An overlong line is cut at the limit; its rest is not a line of its own.
      int c;
      while ((c = data_getc(f.get())) != -1 && c != '\n') {
      }
    }
    if (char* hash = std::strchr(line, '#')) *hash = '\0';
    if (!apply_line(line, t)) {
      show_message("'%.200s' line %d: bad value, ignored", name.c_str(), number);
    }
  }
  return true;
}

std::vector<std::string> braap_candidates(const std::string& bike_texture) {
  std::vector<std::string> names;
  if (bike_texture.empty()) return names;
  size_t slash = bike_texture.rfind('/');
  size_t file = slash == std::string::npos ? 0 : slash + 1;
  std::string base = bike_texture;
  size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot >= file) base.resize(dot);
  names.push_back(base + kBraapExtension);
  for (size_t dash = base.rfind('-'); dash != std::string::npos && dash >= file;
       dash = base.rfind('-')) {
    base.resize(dash);
    names.push_back(base + kBraapExtension);
  }
  return names;
}

std::string class_braap(const std::string& engine_class) {
  for (const char* known : {"50", "125", "250f", "250", "450f"}) {
    if (engine_class == known) return "@default" + engine_class + kBraapExtension;
  }
  return "";
}

}  // namespace br
