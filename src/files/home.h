// The home directory and the game data at start-up, the desktop's view of the home
// directory, and the process working set.
#pragma once

#include <cstdint>
#include <optional>

namespace br {

// Creates the home directory, starts the log file "lastlog.txt" in it and looks for a
// "zzzz.saf" whose release digest (40 lower-case hex digits) equals `release_digest` in
// the search directories. True when the game data is present.
bool find_game_data(const char* release_digest);

// Creates the home directory and asks the desktop to show it (xdg-open). True when the
// request could be made.
bool open_home_directory();

struct WorkingSetRange {
  uint64_t minimum = 0;  // bytes
  uint64_t maximum = 0;  // bytes
};

// The working-set range for `total_memory` bytes of physical memory, or nothing below
// 64 MB.
std::optional<WorkingSetRange> working_set_range(uint64_t total_memory);

// Computes and logs the range for this machine. Linux gives a process no working-set
// control, so the outcome logged is the failure it is.
void set_working_set();

}  // namespace br
