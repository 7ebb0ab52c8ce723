#include "platform/event_queue.h"

#include <gtest/gtest.h>

namespace {

kota::Event at(int code, double seconds) {
  return {code, true, kota::clock_from_seconds(seconds)};
}

class EventQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { kota::event_clear(); }
  void TearDown() override { kota::event_clear(); }
};

TEST_F(EventQueueTest, LateEventsMoveAheadOfNewerOnes) {
  ASSERT_TRUE(kota::event_push(at(1, 5.0)));
  ASSERT_TRUE(kota::event_push(at(2, 4.9)));
  ASSERT_TRUE(kota::event_push(at(3, 4.95)));
  kota::Event e;
  ASSERT_TRUE(kota::event_pop(e));
  EXPECT_EQ(e.code, 2);
  ASSERT_TRUE(kota::event_pop(e));
  EXPECT_EQ(e.code, 3);
  ASSERT_TRUE(kota::event_pop(e));
  EXPECT_EQ(e.code, 1);
  EXPECT_FALSE(kota::event_pop(e));
}

TEST_F(EventQueueTest, EqualStampsKeepArrivalOrder) {
  kota::event_push(at(1, 2.0));
  kota::event_push(at(2, 2.0));
  kota::Event e;
  kota::event_pop(e);
  EXPECT_EQ(e.code, 1);
}

TEST_F(EventQueueTest, PopBeforeTakesOnlyEventsDueByTheDeadline) {
  kota::event_push(at(1, 1.0));
  kota::event_push(at(2, 2.0));
  kota::Event e;
  ASSERT_TRUE(kota::event_pop_before(e, kota::clock_from_seconds(1.0)));
  EXPECT_EQ(e.code, 1);
  EXPECT_FALSE(kota::event_pop_before(e, kota::clock_from_seconds(1.5)));
  EXPECT_EQ(kota::event_count(), 1);
}

TEST_F(EventQueueTest, AFullQueueDropsTheNewEventAndWrapsCleanly) {
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < kota::kEventQueueSize; ++i) {
      ASSERT_TRUE(kota::event_push(at(i, round * 1000 + i)));
    }
    EXPECT_FALSE(kota::event_push(at(999, 0.0)));
    kota::Event e;
    for (int i = 0; i < kota::kEventQueueSize - 10; ++i) {
      ASSERT_TRUE(kota::event_pop(e));
      EXPECT_EQ(e.code, i);
    }
    kota::event_clear();
  }
}

}  // namespace
