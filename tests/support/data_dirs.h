// Points the game's data-file layer at a directory made by a test: it becomes the game
// directory (BR_HOME) beside an empty home directory.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/data_index.h"

namespace br_test {

inline std::string& data_home_for_tests() {
  static std::string home;
  return home;
}

inline void use_data_directory(const std::string& dir) {
  std::string& home = data_home_for_tests();
  if (home.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "brhome-XXXXXX").string();
    home = mkdtemp(pattern.data());
  }
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  setenv("BR_HOME", dir.c_str(), 1);
  br::data_files_reset();
}

inline void restore_data_directories() {
  unsetenv("XDG_DATA_HOME");
  unsetenv("BR_HOME");
  br::data_files_reset();
}

}  // namespace br_test
