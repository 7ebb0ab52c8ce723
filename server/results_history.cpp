#include "results_history.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

namespace brserver {
namespace {

constexpr size_t kMaxResultsFileBytes = size_t{1} << 20;  // 160 riders take about 20 KB

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// "%4s | %12s | %4d | %10s | %s": the name comes last and may hold anything, "|" included;
// numbers are at most 3 characters, and bike names hold no spaces or bars.
bool read_row(const std::string& line, PastRow& row) {
  static const std::regex kRow(R"(^(.*?) \| +([^ |]+) \| +(-?[0-9]+) \| +([^ |]+) \| (.*)$)");
  std::smatch m;
  if (!std::regex_match(line, m, kRow)) return false;
  row.number = std::string(trim(m[1].str()));
  row.bike = m[2].str();
  row.laps = std::atoi(m[3].str().c_str());
  row.total = m[4].str();
  row.finished = row.total != "DNF";
  row.name = m[5].str();
  return true;
}

}  // namespace

bool read_race_results_text(std::string_view text, PastRace& out) {
  out = PastRace{};
  std::vector<std::string> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  if (lines.empty()) return false;
  char track[256] = {};
  unsigned race = 0;
  double time = 0;
  int laps = 0;
  long date = 0;
  if (std::sscanf(lines[0].c_str(), "Race=%u|Time=%lf|Laps=%d|Track=%255[^|]|Date=%ld", &race,
                  &time, &laps, track, &date) != 5) {
    return false;
  }
  out.race = race;
  out.time_limit = time;
  out.laps = laps;
  out.track = track;
  out.date = date;
  // The column heads' line is the second; riders follow.
  for (size_t i = 2; i < lines.size(); ++i) {
    PastRow row;
    if (read_row(lines[i], row)) out.rows.push_back(std::move(row));
  }
  return true;
}

uint32_t results_file_race(std::string_view name) {
  constexpr std::string_view kPrefix = "race", kSuffix = ".txt";
  if (name.size() <= kPrefix.size() + kSuffix.size() || name.substr(0, 4) != kPrefix ||
      name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return 0;
  }
  std::string_view digits = name.substr(kPrefix.size(), name.size() - 8);
  if (digits.size() > 9) return 0;
  uint32_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + static_cast<uint32_t>(c - '0');
  }
  return n;
}

std::vector<PastRace> read_results_history(const std::string& dir, size_t count) {
  std::vector<std::pair<uint32_t, std::filesystem::path>> files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(dir, error), end; !error && it != end;
       it.increment(error)) {
    uint32_t race = results_file_race(it->path().filename().string());
    if (race != 0 && it->is_regular_file(error)) files.emplace_back(race, it->path());
  }
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<PastRace> out;
  for (const auto& [race, path] : files) {
    if (out.size() >= count) break;
    std::ifstream in(path, std::ios::binary);
    std::string text(kMaxResultsFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    PastRace past;
    if (read_race_results_text(text, past)) out.push_back(std::move(past));
  }
  return out;
}

}  // namespace brserver
