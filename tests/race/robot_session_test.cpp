// Robots in a running session on a small flat track, before any line is learnt.
#include <gtest/gtest.h>

#include <cmath>

#include "bike/assists.h"
#include "bike/bike.h"
#include "race/session_fixture.h"
#include "shell/world_tick.h"

namespace br {
namespace {

using br_test::SessionTest;

// A robot's bike comes with the catalogue's assists, which leave its foot up: at the gate it
// toppled over and could not start.
TEST_F(SessionTest, RobotsStandUprightAtTheGateUntilTheStart) {
  write_track("flat", 4);
  Lineup lineup{};
  lineup[0] = lineup[1] = lineup[2] = kLineupRobot;
  ASSERT_TRUE(start(&lineup));
  while (g_world.frame < g_world.race_start_frame) world_tick(g_world);
  for (int i = 0; i < 3; ++i) {
    const Bike& bike = *g_world.slots[static_cast<size_t>(i)].bike;
    EXPECT_LT(std::fabs(frame_roll(bike)), 0.1) << "robot " << i;
    EXPECT_EQ(bike.state.crash_timer, 0) << "robot " << i;
  }
}

}  // namespace
}  // namespace br
