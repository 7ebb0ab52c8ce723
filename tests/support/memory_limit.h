// Runs a piece of a test in a child process that may use only a little more memory than the
// test already does, so that a reader which allocates what a few bytes of input ask for fails
// the test instead of quietly succeeding on a machine with memory to spare.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

#include "support/sanitizers.h"

namespace br_test {

// AddressSanitizer reserves terabytes of address space up front, so an address-space limit
// cannot be set under it; the sanitizer's own allocation limit catches these cases there.
constexpr bool kAddressLimitWorks = !kUnderAddressSanitizer;

inline size_t address_space_in_use() {
  std::ifstream status("/proc/self/status");
  std::string key;
  size_t kb = 0;
  while (status >> key) {
    if (key == "VmSize:") {
      status >> kb;
      break;
    }
  }
  return kb * 1024;
}

// True when `body` returned true in a child limited to `extra_mb` more address space than
// now and to `seconds` of running time; false when it returned false, ran out of memory,
// crashed or took too long.
inline bool runs_within(size_t extra_mb, unsigned seconds, const std::function<bool()>& body) {
  size_t limit = address_space_in_use() + extra_mb * 1024 * 1024;
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    rlimit r{limit, limit};
    setrlimit(RLIMIT_AS, &r);
    alarm(seconds);
    bool ok = false;
    try {
      ok = body();
    } catch (...) {  // out of memory: the child must not go on as a second test run
      _exit(4);
    }
    _exit(ok ? 0 : 3);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace br_test
