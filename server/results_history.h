// The results of the races the server ran, read back from its results files
// ("results/raceNNNNN.txt" in its home, as results.cpp writes them) for the live timing page.
// Files that are not results files, or lines that do not read, are passed over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brserver {

struct PastRow {
  std::string number;
  std::string bike;
  int laps = 0;
  std::string total;  // "1:23.456", or "DNF"
  bool finished = false;
  std::string name;
};

struct PastRace {
  uint32_t race = 0;
  double time_limit = 0;  // seconds, 0 = none
  int laps = 0;
  std::string track;
  long date = 0;  // seconds since 1970
  std::vector<PastRow> rows;  // in finishing order
};

// The race in a results file's text; false when its first line is not a results header.
bool read_race_results_text(std::string_view text, PastRace& out);

// The race number in a results file's name, or 0 when the name is not one.
uint32_t results_file_race(std::string_view file_name);

// The newest `count` races in the results folder `dir` (ending in '/'), newest first.
std::vector<PastRace> read_results_history(const std::string& dir, size_t count);

}  // namespace brserver
