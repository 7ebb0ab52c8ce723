// Sends the log to a temporary file so tests can read what the player would be told.
#pragma once

#include <stdlib.h>

#include <string>

#include "platform/log.h"
#include "support/temp_dir.h"

namespace br_test {

class LogCapture {
 public:
  LogCapture() {
    setenv("KOTA_LOGFILE", dir_.file("log.txt").c_str(), 1);
    kota::log_reset();
    kota::log_printf(
        "\x13"
        "FLUSH");
  }
  ~LogCapture() {
    kota::log_reset();
    unsetenv("KOTA_LOGFILE");
  }
  std::string text() const { return read_file(dir_.file("log.txt")); }
  int count(const std::string& needle) const {
    std::string all = text();
    int n = 0;
    for (size_t at = all.find(needle); at != std::string::npos; at = all.find(needle, at + 1)) ++n;
    return n;
  }

 private:
  TempDir dir_;
};

}  // namespace br_test
