// The demo files the playback menu offers: every data file under "demos/" ending in ".brdemo".
#pragma once

#include <string>
#include <vector>

namespace br {

constexpr int kDemosPerPage = 20;

struct DemoList {
  std::vector<std::string> names;        // full data names, in data file list order
  std::vector<std::string> short_names;  // what the menu shows
  int page = 0;
};

// The short name is the part after the last '/' up to the last '.', the whole remainder when
// there is no '.', and the full name when that leaves nothing.
std::string demo_short_name(const std::string& name);

// Walks the data file list; with debug level 1 or more every demo is logged.
DemoList build_demo_list(const std::vector<std::string>& data_files, int debug_level);

}  // namespace br
