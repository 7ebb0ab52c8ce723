// The data kit's output for the tests: the data set the build wrote (BR_DATA_DIR), or, when
// that is missing, a fresh run of the generator into a temporary directory.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace br_test {

inline bool run_datakit(const std::string& dir) {
  std::string command = std::string(BR_DATAKIT_EXE) + " '" + dir + "' > /dev/null";
  return std::system(command.c_str()) == 0;
}

// The output directory of the first run (the generator ran successfully when not empty).
inline const std::string& kit_output() {
  static std::unique_ptr<TempDir> dir;
  static std::string path;
  if (path.empty() && std::filesystem::is_regular_file(BR_DATA_STAMP)) {
    path = BR_DATA_DIR;
  }
  if (path.empty() && !dir) {
    dir = std::make_unique<TempDir>();
    if (run_datakit(dir->path().string() + "/data")) path = dir->path().string() + "/data";
  }
  return path;
}

inline std::string kit_file(const std::string& name) {
  return read_file(kit_output() + "/" + name);
}

inline bool kit_has(const std::string& name) {
  return std::filesystem::is_regular_file(kit_output() + "/" + name);
}

}  // namespace br_test
