#include "platform/clock.h"

#include <sched.h>
#include <time.h>

#include <cmath>

namespace kota {
namespace {

ClockSource g_source = nullptr;

ClockTime system_now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return {ts.tv_sec, static_cast<int32_t>(ts.tv_nsec / 1000)};
}

}  // namespace

ClockTime clock_now() { return g_source ? g_source() : system_now(); }

void clock_set_source(ClockSource source) { g_source = source; }

double clock_seconds(ClockTime t) { return static_cast<double>(t.seconds) + t.microseconds * 1e-6; }

ClockTime clock_from_seconds(double seconds) {
  double whole = std::floor(seconds);
  auto us = static_cast<int64_t>(std::llround((seconds - whole) * 1e6));
  auto s = static_cast<int64_t>(whole);
  if (us >= 1000000) {
    s += 1;
    us -= 1000000;
  }
  return {s, static_cast<int32_t>(us)};
}

bool clock_before(ClockTime a, ClockTime b) {
  return a.seconds < b.seconds || (a.seconds == b.seconds && a.microseconds < b.microseconds);
}

void sleep_for(int64_t seconds, int64_t microseconds) {
  ClockTime target = clock_now();
  int64_t us = target.microseconds + microseconds;
  target.seconds += seconds + us / 1000000;
  target.microseconds = static_cast<int32_t>(us % 1000000);

  int64_t interval_ms = seconds * 1000 + microseconds / 1000;
  if (interval_ms > 1) {
    int64_t coarse_ms = interval_ms - 1;
    timespec ts{static_cast<time_t>(coarse_ms / 1000), static_cast<long>(coarse_ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
  }
  while (clock_before(clock_now(), target)) sched_yield();
}

}  // namespace kota
