#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(Clock, SleepNeverReturnsEarly) {
  for (int us : {0, 300, 1500, 4800}) {
    kota::ClockTime before = kota::clock_now();
    kota::sleep_for(0, us);
    double slept = kota::clock_seconds(kota::clock_now()) - kota::clock_seconds(before);
    EXPECT_GE(slept, us * 1e-6 - 1e-6) << us;
  }
}

TEST(Clock, MicrosecondsStayInRangeAndConversionsRoundTrip) {
  kota::ClockTime t = kota::clock_from_seconds(12.9999999);
  EXPECT_EQ(t.seconds, 13);
  EXPECT_EQ(t.microseconds, 0);
  t = kota::clock_from_seconds(4.25);
  EXPECT_EQ(t.seconds, 4);
  EXPECT_EQ(t.microseconds, 250000);
  EXPECT_DOUBLE_EQ(kota::clock_seconds(t), 4.25);
  EXPECT_TRUE(kota::clock_before({4, 999999}, {5, 0}));
  EXPECT_FALSE(kota::clock_before({5, 0}, {5, 0}));
  kota::ClockTime now = kota::clock_now();
  EXPECT_GE(now.microseconds, 0);
  EXPECT_LT(now.microseconds, 1000000);
}

}  // namespace
