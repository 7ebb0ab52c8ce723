// Microseconds to read a configuration file of the game's own size and of ever more lines
// (a file grown by hand or by a tool), per file and per line. Reading should cost about the
// same per line however long the file is.
//   bench_config_read [repeats=20]
#include "shell/config_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "world/world.h"

namespace {

double microseconds_to_read(const std::string& text, int repeats) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) {
    br::world_reset();
    br::config_read_text(br::g_world, text);
  }
  std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / repeats;
}

}  // namespace

int main(int argc, char** argv) {
  int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  br::world_reset();
  const std::string file = br::config_write(br::g_world);
  int file_lines = 0;
  for (char c : file) file_lines += c == '\n';

  std::printf("%10s %12s %12s\n", "lines", "us/file", "us/line");
  for (int copies : {1, 10, 100}) {
    std::string text;
    for (int i = 0; i < copies; ++i) text += file;
    int lines = file_lines * copies;
    double us = microseconds_to_read(text, repeats);
    std::printf("%10d %12.1f %12.3f\n", lines, us, us / lines);
  }
  return 0;
}
