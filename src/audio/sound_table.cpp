#include "audio/sound_table.h"

#include <cmath>
#include <map>

#include "audio/sound_table_format.h"
#include "files/data_file.h"
#include "files/messages.h"
#include "platform/log.h"

namespace br {
namespace {

constexpr int kBuiltinSamples = 1024;
constexpr float kQuietCell = 0.25f;
constexpr double kPi = 3.14159265358979323846;

using Samples = std::shared_ptr<const std::vector<float>>;

struct Caches {
  std::map<std::string, SoundTablePtr> tables;
  std::map<std::string, Samples> samples;
  SoundTablePtr builtin[2];
};

Caches& caches() {
  static Caches c;
  return c;
}

SoundTablePtr make_builtin(bool two_stroke) {
  auto t = std::make_shared<SoundTable>();
  t->name = two_stroke ? "default_two_stroke" : "default_four_stroke";
  t->rows = 1;
  t->columns = 2;
  t->row_keys = {0};
  t->column_keys = {0, 1};
  std::vector<float> loud(kBuiltinSamples), quiet(kBuiltinSamples);
  for (int i = 0; i < kBuiltinSamples; ++i) {
    float x = static_cast<float>(i) / (kBuiltinSamples - 1);
    loud[static_cast<size_t>(i)] = two_stroke ? two_stroke_wave(x) : four_stroke_wave(x);
    quiet[static_cast<size_t>(i)] = loud[static_cast<size_t>(i)] * kQuietCell;
  }
  t->cells.resize(2);
  t->cells[0].samples = std::make_shared<const std::vector<float>>(std::move(quiet));
  t->cells[1].samples = std::make_shared<const std::vector<float>>(std::move(loud));
  return t;
}

// The samples of one sample file, shared by every cell that names it; nullptr (and a log
// line with the reason) when it cannot be used.
Samples read_samples(const std::string& path) {
  auto found = caches().samples.find(path);
  if (found != caches().samples.end()) return found->second;
  DataFilePtr f(data_open(path.c_str(), "rb"));
  if (!f) return nullptr;
  std::vector<uint8_t> bytes;
  uint8_t buffer[8192];
  const size_t limit = static_cast<size_t>(kMaxSampleFileSamples) * 2;
  for (;;) {
    size_t n = data_read(f.get(), buffer, sizeof buffer);
    bytes.insert(bytes.end(), buffer, buffer + n);
    if (bytes.size() > limit) {
      kota::log_printf("'%s' is too long for a sound cycle\n", path.c_str());
      return nullptr;
    }
    if (n < sizeof buffer) break;
  }
  if (bytes.empty() || bytes.size() % 2 != 0) {
    // A byte short of whole 16-bit samples: cut short or not a sample file at all.
    kota::log_printf("'%s' does not hold whole 16-bit samples\n", path.c_str());
    return nullptr;
  }
  auto samples = std::make_shared<const std::vector<float>>(decode_sample_file(bytes));
  caches().samples[path] = samples;
  return samples;
}

bool read_keys(DataFile* f, std::vector<float>& keys) {
  for (float& k : keys) {
    if (data_scanf(f, "%f", &k) != 1 || !std::isfinite(k)) return false;
  }
  for (size_t i = 1; i < keys.size(); ++i) {
    if (keys[i] < keys[i - 1]) return false;
  }
  return true;
}

// One cell's remap list, cycle count and samples; false after saying what was wrong.
bool read_cell(DataFile* f, int row, int column, SoundCell& cell) {
  for (;;) {
    int entry = 0;
    if (data_scanf(f, "%d", &entry) != 1 || entry < -1 ||
        cell.remap.size() >= static_cast<size_t>(kMaxRemapEntries)) {
      show_message("(%d, %d) Bad remap entry", row, column);
      return false;
    }
    if (entry == -1) break;
    cell.remap.push_back(entry);
  }
  float cycles = 0;
  char path[1024] = {};
  int got = data_scanf(f, "%f %1023s", &cycles, path);
  if (got < 1) {
    show_message("(%d, %d) Bad cycle count", row, column);
    return false;
  }
  if (got < 2) {
    show_message("(%d, %d) Error reading '%.512s'", row, column, path);
    return false;
  }
  cell.samples = read_samples(path);
  if (!cell.samples) {
    show_message("(%d, %d) Error reading '%.512s'", row, column, path);
    return false;
  }
  if (!std::isfinite(cycles) || cycles < 1 || cycles > static_cast<double>(cell.samples->size())) {
    show_message("(%d, %d) Bad cycle count", row, column);
    return false;
  }
  cell.cycles = cycles;
  return true;
}

SoundTablePtr read_table(const std::string& name) {
  DataFilePtr f(data_open(name.c_str(), "r"));
  if (!f) return nullptr;
  auto t = std::make_shared<SoundTable>();
  t->name = name;
  char magic[16] = {};
  if (data_scanf(f.get(), "%15s %d %d", magic, &t->rows, &t->columns) != 3 ||
      std::string(magic) != kSoundTableMagic) {
    show_message("'%.512s' is not a sound table", name.c_str());
    return nullptr;
  }
  if (t->rows < 1 || t->rows > kMaxTableRows || t->columns < 1 || t->columns > kMaxTableColumns) {
    show_message("'%.512s': a table of %d x %d cells is refused", name.c_str(), t->rows,
                 t->columns);
    return nullptr;
  }
  t->row_keys.resize(static_cast<size_t>(t->rows));
  t->column_keys.resize(static_cast<size_t>(t->columns));
  if (!read_keys(f.get(), t->row_keys) || !read_keys(f.get(), t->column_keys)) {
    show_message("'%.512s': the keys are not ascending numbers", name.c_str());
    return nullptr;
  }
  t->cells.resize(static_cast<size_t>(t->rows * t->columns));
  for (int r = 0; r < t->rows; ++r) {
    for (int c = 0; c < t->columns; ++c) {
      if (!read_cell(f.get(), r, c, t->cells[static_cast<size_t>(r * t->columns + c)])) {
        return nullptr;
      }
    }
  }
  return t;
}

}  // namespace

float four_stroke_wave(float x) {
  double w = (std::fabs(std::sin(3 * kPi * x + 0.5246)) - 0.5) * 0.5;
  if (x < 0.25f) w += std::sin(16 * kPi * x) * (1 - 4 * x);
  return static_cast<float>(w);
}

float two_stroke_wave(float x) {
  if (x >= 0.25f) return 0;
  return static_cast<float>(std::sin(8 * kPi * x) * (1 - 4 * x));
}

SoundTablePtr builtin_sound_table(bool two_stroke) {
  SoundTablePtr& t = caches().builtin[two_stroke ? 1 : 0];
  if (!t) t = make_builtin(two_stroke);
  return t;
}

SoundTablePtr load_sound_table(const std::string& name) {
  auto found = caches().tables.find(name);
  if (found != caches().tables.end()) return found->second;
  SoundTablePtr t = read_table(name);
  if (t) caches().tables[name] = t;
  return t;
}

void sound_tables_clear() {
  caches() = Caches{};
}

}  // namespace br
