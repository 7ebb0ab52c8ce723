// Wall clock in whole seconds plus microseconds, and a sleep that wakes on time.
#pragma once

#include <cstdint>

namespace kota {

struct ClockTime {
  int64_t seconds = 0;
  int32_t microseconds = 0;  // 0..999999
};

// Monotonic time; every time stamp of the platform layer (log lines, events, sleeps) uses it.
ClockTime clock_now();

// Returns no earlier than the interval after the call: sleeps for all but the last
// millisecond, then yields until the deadline so the wake-up is precise.
void sleep_for(int64_t seconds, int64_t microseconds);

double clock_seconds(ClockTime t);
ClockTime clock_from_seconds(double seconds);
bool clock_before(ClockTime a, ClockTime b);

// Replaces the time source (nullptr restores the system clock). Tests pin the clock with it.
using ClockSource = ClockTime (*)();
void clock_set_source(ClockSource source);

}  // namespace kota
