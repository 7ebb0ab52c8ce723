// A throw-away home for a benchmark, so that it never touches the player's own, with the
// game's data read from `data`. The home goes when the value does.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/data_index.h"

class BenchHome {
 public:
  explicit BenchHome(const std::string& data) {
    std::string pattern = (std::filesystem::temp_directory_path() / "brbench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::perror("bench home");
      return;
    }
    home_ = pattern;
    setenv("XDG_DATA_HOME", home_.c_str(), 1);
    setenv("BR_HOME", data.c_str(), 1);
    br::data_files_reset();
  }
  ~BenchHome() {
    std::error_code ignored;
    if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
  }
  BenchHome(const BenchHome&) = delete;
  BenchHome& operator=(const BenchHome&) = delete;
  bool ok() const { return !home_.empty(); }

 private:
  std::string home_;
};
