// The history ring's insertion rule, and riders posed from it between, before and after its
// entries.
#include "replay/history.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include "bike/bike.h"
#include "files/messages.h"
#include "replay/history_pose.h"
#include "replay/snapshot_pose.h"
#include "support/bike_world.h"

namespace br {
namespace {

Snapshot marked(uint8_t mark) {
  Snapshot s{};
  s[kSnapEngineSpeed] = mark;
  return s;
}

// The time stamps from the oldest entry to the newest.
std::vector<int32_t> stamps(const StateHistory& h) {
  std::vector<int32_t> out;
  for (int back = kHistoryEntries - 1; back >= 0; --back) {
    int32_t t = h.times[static_cast<size_t>(history_index(h, back))];
    if (t != kEmptyEntry) out.push_back(t);
  }
  return out;
}

class History : public ::testing::Test {
 protected:
  void SetUp() override { world_reset(); }
  void TearDown() override { world_reset(); }
  StateHistory& h(int slot) { return g_world.replay.histories[static_cast<size_t>(slot)]; }
};

TEST_F(History, TheFirstSnapshotForAStepWinsAndALateOneRestartsTheStoryThere) {
  World& w = g_world;
  for (int32_t t : {10, 20, 30, 40}) add_state_to_history(w, 3, marked(1), t);
  add_state_to_history(w, 3, marked(2), 30);  // a second snapshot for step 30
  EXPECT_EQ(stamps(h(3)), (std::vector<int32_t>{10, 20, 30, 40}));
  EXPECT_EQ(h(3).states[static_cast<size_t>(history_index(h(3), 1))][kSnapEngineSpeed], 1);
  EXPECT_EQ(h(3).pending, 4);

  // Arriving late for step 25: 30 and 40 are gone, and stay gone after the ring wraps.
  add_state_to_history(w, 3, marked(3), 25);
  EXPECT_EQ(stamps(h(3)), (std::vector<int32_t>{10, 20, 25}));
  for (int32_t t = 26; t < 26 + 126; ++t) add_state_to_history(w, 3, marked(4), t);
  std::vector<int32_t> s = stamps(h(3));
  ASSERT_EQ(s.size(), 128u);
  EXPECT_EQ(s.front(), 20);
  EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
  EXPECT_EQ(h(3).pending, kHistoryEntries);  // saturated

  // Older than everything: it alone remains.
  add_state_to_history(w, 3, marked(5), 1);
  EXPECT_EQ(stamps(h(3)), (std::vector<int32_t>{1}));

  add_state_to_history(w, 160, marked(1), 5);
  EXPECT_STREQ(message_line(0), "add_state_to_history: slot out of range");
  reset_histories(w);
  EXPECT_TRUE(stamps(h(3)).empty());
  EXPECT_EQ(h(3).pending, 0);
}

class PoseFromHistory : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    br_test::lay_flat_ground(7, 4.0f);
    g_world.slots[2].bike = build_bike(g_world, "crf450(2013)", 2, "1", "", "", "", "");
    bike = g_world.slots[2].bike.get();
    hold(*bike);
    box = snapshot_box(g_world.track.terrain);
    dMatrix3 r;
    dRSetIdentity(r);
    place_bike(*bike, {100, 0, 200}, r, {0, 0, 0});
    pack_snapshot(*bike, box, at_rest);
  }
  void TearDown() override {
    g_world.slots[2].bike.reset();
    br_test::close_bike_world();
  }
  // The bike as it was packed, moved along x by `dx` feet.
  Snapshot moved(double dx) {
    Snapshot s = at_rest;
    double x = get_fraction(&s[kSnapFrameX], 3) * box.size + dx;
    put_fraction(&s[kSnapFrameX], 3, x / box.size);
    return s;
  }
  double frame_x() { return dBodyGetPosition(bike->bodies[kBodyFrame])[0]; }
  Bike* bike = nullptr;
  SnapshotBox box;
  Snapshot at_rest;
};

TEST_F(PoseFromHistory, RidersArePosedBetweenTheirEntriesAndCarriedOnAtMostHalfASecond) {
  World& w = g_world;
  double x0 = get_fraction(&at_rest[kSnapFrameX], 3) * box.size;
  double step = box.size / 16777215;
  add_state_to_history(w, 2, moved(0), 1000);
  add_state_to_history(w, 2, moved(4), 1004);  // 4 ft in 4 steps: 128 ft/s

  pose_from_history(w, 2, 1002);
  EXPECT_NEAR(frame_x(), x0 + 2, 2 * step);
  EXPECT_NEAR(dBodyGetLinearVel(bike->bodies[kBodyFrame])[0], 128, 0.01);
  EXPECT_NEAR(dBodyGetLinearVel(bike->bodies[kBodyRearWheel])[0], 128, 0.01);

  // Past the newest entry the rider runs on along its last motion, for 64 steps at most.
  // Extrapolating 17 intervals out multiplies the entries' quantisation as much.
  pose_from_history(w, 2, 1004 + 40);
  EXPECT_NEAR(frame_x(), x0 + 4 + 40, 40 * step);
  pose_from_history(w, 2, 1004 + 100);
  EXPECT_NEAR(frame_x(), x0 + 4 + 64, 40 * step);

  // Before the oldest entry it waits there, still.
  pose_from_history(w, 2, 500);
  EXPECT_NEAR(frame_x(), x0, 2 * step);
  EXPECT_NEAR(dBodyGetLinearVel(bike->bodies[kBodyFrame])[0], 0, 1e-9);

  // Hidden a second before its first state and a second after its last.
  w.slots[2].control = kControlPlayedBack;
  w.frame = 1004 + 128;
  EXPECT_FALSE(history_rider_hidden(w, 2));
  w.frame = 1004 + 129;
  EXPECT_TRUE(history_rider_hidden(w, 2));
  w.frame = 1000 - 129;
  EXPECT_TRUE(history_rider_hidden(w, 2));
}

TEST_F(PoseFromHistory, AnEmptyHistoryLeavesTheRiderWhereItIs) {
  double before = frame_x();
  pose_from_history(g_world, 2, 10);
  EXPECT_EQ(frame_x(), before);
  EXPECT_TRUE(history_rider_hidden(g_world, 2) || g_world.slots[2].control != kControlPlayedBack);
}

TEST_F(PoseFromHistory, AReleasedRiderIsPulledTowardsItsTrackNotPlaced) {
  World& w = g_world;
  add_state_to_history(w, 2, moved(0), 0);
  add_state_to_history(w, 2, moved(10), 4);
  toggle_release(*bike);  // knocked loose
  EXPECT_FLOAT_EQ(bike->state.presence, 1);
  EXPECT_TRUE(dBodyIsEnabled(bike->bodies[kBodyFrame]));
  double before = frame_x();
  for (int i = 0; i < 40; ++i) decay_release(*bike);  // well into the pulling range
  pose_from_history(w, 2, 4);
  EXPECT_EQ(frame_x(), before);                              // not placed
  EXPECT_GT(dBodyGetForce(bike->bodies[kBodyFrame])[0], 0);  // pulled along +x
  for (int i = 0; i < 60; ++i) decay_release(*bike);
  EXPECT_FALSE(dBodyIsEnabled(bike->bodies[kBodyFrame]));
  toggle_release(*bike);  // a touch while held at the threshold only holds it
  EXPECT_FLOAT_EQ(bike->state.presence, kBarelyPresent);
}

}  // namespace
}  // namespace br
