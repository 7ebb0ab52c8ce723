#include "files/home.h"

#include <spawn.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "files/digest.h"
#include "files/search_dirs.h"
#include "platform/log.h"

extern char** environ;

namespace br {
namespace {

constexpr char kReleaseArchive[] = "zzzz.saf";
constexpr char kLogFileName[] = "lastlog.txt";
constexpr uint64_t kSmallestManagedMemory = 67108864;   // 64 MB
constexpr uint64_t kLargestCountedMemory = 2147483648;  // 2 GB
constexpr uint64_t kLeftToTheSystem = 33554432;         // 32 MB
constexpr uint64_t kLargestMinimum = 1073741824;        // 1 GB

}  // namespace

bool find_game_data(const char* release_digest) {
  const std::string& home = home_directory();
  if (!home.empty()) {
    make_directories(home);
    kota::log_name_file((home + kLogFileName).c_str());
  }
  for (int i = 0; const char* dir = search_directory(i); ++i) {
    std::string path = std::string(dir) + kReleaseArchive;
    auto digest = file_digest_hex(path);
    if (!digest) continue;
    if (*digest == release_digest) {
      kota::log_printf("Game data found in \"%s\"\n", dir);
      return true;
    }
    kota::log_printf("\"%s\" is not this release's data (%s)\n", path.c_str(), digest->c_str());
  }
  kota::log_printf("Can't find game data\n");
  return false;
}

bool open_home_directory() {
  std::string home = home_directory();
  if (home.empty()) {
    kota::log_printf("No home directory to open\n");
    return false;
  }
  make_directories(home);
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  char program[] = "xdg-open";
  char* argv[] = {program, home.data(), nullptr};
  pid_t pid = 0;
  // The file browser outlives the game; it is not waited for.
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) {
    kota::log_printf("Can't run xdg-open for \"%s\"\n", home.c_str());
    return false;
  }
  return true;
}

std::optional<WorkingSetRange> working_set_range(uint64_t total_memory) {
  if (total_memory < kSmallestManagedMemory) return std::nullopt;
  WorkingSetRange r;
  r.maximum = std::min(total_memory, kLargestCountedMemory) - kLeftToTheSystem;
  r.minimum = std::min(kLargestMinimum, r.maximum);
  return r;
}

void set_working_set() {
  struct sysinfo info;
  uint64_t total = 0;
  if (sysinfo(&info) == 0) total = static_cast<uint64_t>(info.totalram) * info.mem_unit;
  auto range = working_set_range(total);
  if (!range) {
    kota::log_printf("Working set left alone - less than 64 MB physical memory\n");
    return;
  }
  kota::log_printf("Setting working set range to %u - %u\n", static_cast<unsigned>(range->minimum),
                   static_cast<unsigned>(range->maximum));
  kota::log_printf("Working set update failed\n");
}

}  // namespace br
