#include "robot/line_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "files/data_file.h"
#include "platform/log.h"
#include "track/text_lines.h"

namespace br {
namespace {

constexpr const char* kLineFiles[] = {"lines_novice", "lines_amateur", "lines_expert"};
constexpr int kSumCap = 100000000;
constexpr int kCountCap = 65535;


// A forward reader over the file's text; every read skips white space first, as the file's
// own scanf-style formats do.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  bool literal(std::string_view word) {
    skip_space();
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  bool integer(int& out) {
    return convert(out, [](const char* text, char** end) {
      return static_cast<int>(
          std::clamp<long>(std::strtol(text, end, 10), -2147483647L - 1, 2147483647L));
    });
  }
  bool number(float& out) { return convert(out, std::strtof); }

 private:
  void skip_space() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  // Takes as much of the next token as `parse` (strtol-like) reads; `out` is left alone when
  // it reads nothing.
  template <typename T, typename Parse>
  bool convert(T& out, Parse parse) {
    skip_space();
    std::string digits = token();
    if (digits.empty()) return false;
    char* end = nullptr;
    T value = parse(digits.c_str(), &end);
    if (end == digits.c_str()) return false;
    pos_ += static_cast<size_t>(end - digits.c_str());
    out = value;
    return true;
  }
  // The characters a number may be made of, so the conversion never reads past the text.
  std::string token() const {
    size_t end = pos_;
    while (end < text_.size() && end - pos_ < 64 &&
           (std::isalnum(static_cast<unsigned char>(text_[end])) || text_[end] == '-' ||
            text_[end] == '+' || text_[end] == '.')) {
      ++end;
    }
    return std::string(text_.substr(pos_, end - pos_));
  }

  std::string_view text_;
  size_t pos_ = 0;
};

bool read_point(Reader& r, LinePoint& p) {
  return r.literal("[") && r.number(p.x) && r.number(p.y) && r.number(p.z) && r.literal("]") &&
         r.number(p.speed) && r.number(p.lean);
}

// Old statistics are brought back into range by halving, keeping their means.
void scale_statistics(LineRecord& line) {
  // A count below zero is no statistic at all, and dividing by it can trap (INT_MIN / -1):
  // the line keeps its points and starts its statistics afresh.
  if (line.tests < 0 || line.failures < 0) {
    line.tests = line.failures = 0;
    line.sum_first = line.sum_pair = 0;
  }
  for (int round = 0; round < 16; ++round) {
    if (!(line.sum_pair > kSumCap || line.tests >= 65536 || line.failures > kCountCap)) break;
    if (line.tests != 0) {
      int t = line.tests, h = t / 2;
      line.sum_first = h * (line.sum_first / t);
      line.sum_pair = h * (line.sum_pair / t);
      line.tests = h;
    }
    line.failures /= 2;
  }
  line.sum_first = std::min(line.sum_first, kSumCap);
  line.sum_pair = std::min(line.sum_pair, kSumCap);
  line.tests = std::min(line.tests, kCountCap);
  line.failures = std::min(line.failures, kCountCap);
}

}  // namespace

int next_line_serial() {
  static int serial = 0;
  return ++serial;
}

const char* line_file_name(int skill) {
  return kLineFiles[std::clamp(skill, 0, 2)];
}

void clear_lines(LineDatabase& db) {
  for (LineSection& section : db.sections) section.fill(LineRecord{});
}

bool parse_line_file(std::string_view text, int sections, LineDatabase& db, bool debug) {
  db.sections.assign(static_cast<size_t>(std::max(sections, 0)), LineSection{});
  Reader r(text);
  int count = 0;
  if (!r.literal("ct03") || !r.integer(count) || count != sections) return false;
  for (int s = 0; s < sections; ++s) {
    int lines = 0;
    if (!r.integer(lines)) {
      kota::log_printf("auto pilot: lines end early, in section %d\n", s);
      return true;
    }
    if (debug) kota::log_printf("%d: %d\n", s, lines);
    int kept = 0;
    for (int i = 0; i < lines; ++i) {
      LineRecord line;
      int n = 0;
      if (!r.integer(n) || !r.integer(line.first_time) || !r.integer(line.pair_time) ||
          !r.integer(line.tests) || !r.integer(line.best_first) || !r.integer(line.best_pair) ||
          !r.integer(line.sum_first) || !r.integer(line.sum_pair) || !r.integer(line.failures)) {
        kota::log_printf("auto pilot: section %d line %d does not read; the rest is dropped\n", s,
                         i);
        return true;
      }
      // The points are read one by one, so a count far beyond the text costs nothing; those
      // beyond the limit are read to stay in step and then dropped with their line.
      bool sound = n > 0 && n <= kMaxLinePoints;
      for (int k = 0; k < n; ++k) {
        LinePoint p;
        if (!read_point(r, p)) {
          kota::log_printf("auto pilot: section %d line %d ends after %d of %d points; the rest is "
                           "dropped\n",
                           s, i, k, n);
          return true;
        }
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z) ||
            !std::isfinite(p.speed) || !std::isfinite(p.lean)) {
          sound = false;
        }
        if (sound) line.points.push_back(p);
      }
      if (!sound) {
        kota::log_printf("auto pilot: section %d line %d dropped (%d points, or not finite)\n", s,
                         i, n);
        continue;
      }
      if (kept >= kLinesPerSection) continue;
      scale_statistics(line);
      line.serial = next_line_serial();
      db.sections[static_cast<size_t>(s)][static_cast<size_t>(kept++)] = std::move(line);
    }
  }
  return true;
}

std::string format_line_file(const LineDatabase& db) {
  std::string out;
  char buf[256];
  std::snprintf(buf, sizeof buf, "ct03 %d\n", static_cast<int>(db.sections.size()));
  out += buf;
  for (const LineSection& section : db.sections) {
    int used = 0;
    for (const LineRecord& line : section) used += !line.points.empty();
    std::snprintf(buf, sizeof buf, "%d\n", used);
    out += buf;
    for (const LineRecord& line : section) {
      if (line.points.empty()) continue;
      std::snprintf(buf, sizeof buf, "%d %d %d %d %d %d %d %d %d\n",
                    static_cast<int>(line.points.size()), line.first_time, line.pair_time,
                    line.tests, line.best_first, line.best_pair, line.sum_first, line.sum_pair,
                    line.failures);
      out += buf;
      for (const LinePoint& p : line.points) {
        std::snprintf(buf, sizeof buf, "[%f %f %f] %f %f\n", p.x, p.y, p.z, p.speed, p.lean);
        out += buf;
      }
    }
  }
  return out;
}

void load_line_file(const std::string& track, int skill, int sections, LineDatabase& db,
                    bool debug) {
  db.file = "@" + track + "/" + line_file_name(skill);
  auto text = read_text_file(db.file);
  if (!text || !parse_line_file(*text, sections, db, debug)) {
    db.sections.assign(static_cast<size_t>(std::max(sections, 0)), LineSection{});
  }
}

int count_lines(const LineDatabase& db) {
  int n = 0;
  for (const LineSection& section : db.sections) {
    for (const LineRecord& line : section) n += !line.points.empty();
  }
  return n;
}

bool save_line_file(const LineDatabase& db) {
  if (db.file.empty()) return false;
  int ours = count_lines(db);
  int theirs = 0;
  if (auto text = read_text_file(db.file)) {
    LineDatabase there;
    if (parse_line_file(*text, static_cast<int>(db.sections.size()), there, false)) {
      theirs = count_lines(there);
    }
  }
  if (ours == 0 || ours < theirs) {
    kota::log_printf("Not writing '%s': %d lines would replace %d\n", db.file.c_str(), ours,
                     theirs);
    return false;
  }
  return data_replace_file(db.file.c_str(), format_line_file(db), DataBackup::kNumbered);
}

}  // namespace br
