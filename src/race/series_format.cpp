#include "race/series_format.h"

#include <algorithm>
#include <cstdlib>

#include "platform/log.h"
#include "track/text_lines.h"

namespace br {
namespace {

constexpr size_t kMaxSeriesString = 1023;
constexpr long long kLargestNumber = 1000000000;

// Whitespace-separated words, where a double-quoted text is one word.
class Words {
 public:
  explicit Words(std::string_view text) : text_(text) {}

  std::optional<std::string> string() {
    skip_space();
    if (at_ >= text_.size()) return std::nullopt;
    std::string out;
    if (text_[at_] == '"') {
      size_t close = text_.find('"', at_ + 1);
      if (close == std::string_view::npos) return std::nullopt;
      out = std::string(text_.substr(at_ + 1, close - at_ - 1));
      at_ = close + 1;
    } else {
      size_t end = at_;
      while (end < text_.size() && !is_space(text_[end])) ++end;
      out = std::string(text_.substr(at_, end - at_));
      at_ = end;
    }
    if (out.size() > kMaxSeriesString) out.resize(kMaxSeriesString);
    return out;
  }

  std::optional<int> integer() {
    size_t before = at_;
    std::optional<std::string> word = string();
    if (!word || word->empty()) return std::nullopt;
    char* end = nullptr;
    long long v = std::strtoll(word->c_str(), &end, 10);
    if (end == word->c_str() || *end != '\0') {
      at_ = before;
      return std::nullopt;
    }
    // A number beyond any sensible count is still a number: held to a billion either way.
    return static_cast<int>(std::clamp(v, -kLargestNumber, kLargestNumber));
  }

 private:
  static bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
  }
  void skip_space() {
    while (at_ < text_.size() && is_space(text_[at_])) ++at_;
  }

  std::string_view text_;
  size_t at_ = 0;
};

int skill_of(const std::string& word) {
  if (word == "Novice") return 0;
  if (word == "Amateur") return 1;
  return 2;
}

bool read_points(Words& words, std::array<int, kSeriesPointPlaces>& points) {
  for (int& p : points) {
    std::optional<int> v = words.integer();
    if (!v) return false;
    p = *v;
  }
  return true;
}

}  // namespace

std::optional<Series> parse_series(std::string_view text, const std::string& file,
                                   const TrackLookup& track_index, bool debug_log) {
  Words words(text);
  Series s;
  s.file = file;
  s.standings_file = "@" + file + "_standings";
  std::optional<std::string> name = words.string();
  if (!name) return std::nullopt;
  s.name = *name;
  if (debug_log) kota::log_printf("series %s (%s)\n", file.c_str(), s.name.c_str());
  std::optional<int> r = words.integer();
  std::optional<std::string> skill = words.string();
  if (!r || !skill || *r < 0 || *r + 1 > kMaxSeriesParticipants) return std::nullopt;
  s.skill = skill_of(*skill);
  for (int i = 0; i < *r; ++i) {
    std::optional<int> number = words.integer();
    if (!number) return std::nullopt;
    s.riders.push_back(*number);
  }
  std::optional<int> e = words.integer();
  if (!e || *e < 0) return std::nullopt;
  for (int i = 0; i < *e; ++i) {
    SeriesEvent ev;
    std::optional<std::string> event_name = words.string();
    std::optional<std::string> track = words.string();
    if (!event_name || !track) return std::nullopt;
    ev.name = *event_name;
    ev.track_dir = *track;
    std::optional<int> index = track_index(ev.track_dir);
    if (!index) {
      if (debug_log) kota::log_printf("  unknown track %s\n", ev.track_dir.c_str());
      return std::nullopt;
    }
    ev.track = *index;
    std::optional<int> laps = words.integer();
    std::optional<int> minutes = words.integer();
    if (!laps || !minutes) return std::nullopt;
    ev.laps = *laps;
    ev.minutes = *minutes;
    if (!read_points(words, ev.moto_points) || !read_points(words, ev.round_points)) {
      return std::nullopt;
    }
    ev.places.assign(static_cast<size_t>(s.participants()), *r);
    ev.round_ranks.assign(static_cast<size_t>(s.participants()), *r);
    if (debug_log) kota::log_printf("  event %s (%s)\n", ev.track_dir.c_str(), ev.name.c_str());
    s.events.push_back(std::move(ev));
  }
  return s;
}

int parse_standings(std::string_view text, Series& series) {
  Words words(text);
  const int n = series.participants();
  int groups = 0;
  std::vector<int> group;
  while (groups < static_cast<int>(series.events.size())) {
    std::optional<int> v = words.integer();
    if (!v) break;
    // 1-based in the file; anything outside the field is a rider who was not placed.
    group.push_back(*v >= 1 && *v <= n ? *v - 1 : n - 1);
    if (static_cast<int>(group.size()) == n) {
      series.events[static_cast<size_t>(groups)].places = group;
      group.clear();
      ++groups;
    }
  }
  return groups;
}

std::string format_standings(const Series& series) {
  std::string out;
  for (int e = 0; e < series.completed && e < static_cast<int>(series.events.size()); ++e) {
    for (int place : series.events[static_cast<size_t>(e)].places) appendf(out, "%d ", place + 1);
    out += "\n";
  }
  return out;
}

}  // namespace br
