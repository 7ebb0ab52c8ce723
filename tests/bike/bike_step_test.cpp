// A bike's own step and its contacts with statues and with the ground when it lands on its
// rider's head.
#include "bike/bike_step.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>

#include "bike/bike.h"
#include "bike/crash.h"
#include "bike/object_contacts.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "bike/terrain_contacts.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "shell/world_tick.h"
#include "support/bike_world.h"
#include "track/scenery.h"

namespace br {
namespace {

class BikeStep : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    br_test::lay_flat_ground(5, 2.0f);  // 64 ft square
    g_world.slots[0].bike = build_bike(g_world, "crf450(2013)", 0, "3", "", "", "", "");
    ASSERT_TRUE(g_world.slots[0].bike);
  }
  void TearDown() override { br_test::close_bike_world(); }
  Bike& bike() { return *g_world.slots[0].bike; }
  void place(const std::array<double, 3>& at, const std::array<double, 3>& velocity,
             bool upside_down = false) {
    dMatrix3 r;
    if (upside_down) {
      dRFromAxisAndAngle(r, 0, 0, 1, M_PI);
    } else {
      dRSetIdentity(r);
    }
    place_bike(bike(), at, r, velocity);
  }
};

TEST_F(BikeStep, CooldownDecaysTowardZeroFromEitherSide) {
  place({60, 10, 60}, {0, 0, 0});
  bike().state.collision_cooldown = 2;
  step_bike(g_world, bike());
  EXPECT_EQ(bike().state.collision_cooldown, 1);
  step_bike(g_world, bike());
  step_bike(g_world, bike());
  EXPECT_EQ(bike().state.collision_cooldown, 0);
  bike().state.collision_cooldown = -640;
  step_bike(g_world, bike());
  EXPECT_EQ(bike().state.collision_cooldown, -639);
  // A bike that has all but left the race only keeps track of its speeds.
  bike().state.presence = 0.25f;
  step_bike(g_world, bike());
  EXPECT_EQ(bike().state.collision_cooldown, -639);
}

TEST_F(BikeStep, StoppedAfterStartOnlyOnceTwoSecondsHaveRun) {
  place({60, 10, 60}, {0, 0, 0});
  g_world.race_start_frame = 100;
  g_world.frame = 100 + kStartGraceTicks - 1;
  step_bike(g_world, bike());
  EXPECT_FALSE(bike().state.stopped_after_start);
  // Still moving at the two seconds: not yet.
  place({60, 10, 60}, {0, 0, -6});
  g_world.frame = 100 + kStartGraceTicks;
  step_bike(g_world, bike());
  EXPECT_FALSE(bike().state.stopped_after_start);
  place({60, 10, 60}, {0, 0, -4});
  step_bike(g_world, bike());
  EXPECT_TRUE(bike().state.stopped_after_start);
}

TEST_F(BikeStep, UpsideDownLandingThrowsTheRiderOnlyWhenFastAndUnprotected) {
  // Upside down, the rider's head a few inches into the ground.
  auto rider_on_ground = [&](const std::array<double, 3>& velocity) {
    place({60, 0, 60}, velocity, true);
    const dReal* p = dBodyGetPosition(bike().bodies[kBodyRider]);
    place({60, -p[1] + 0.3, 60}, velocity, true);
    dVector3 up;
    dBodyVectorToWorld(bike().bodies[kBodyRider], 0, 1, 0, up);
    ASSERT_LT(up[1], 0);
  };
  rider_on_ground({0, -3, 0});
  EXPECT_TRUE(body_shape_contacts(g_world, bike()));
  dJointGroupEmpty(g_world.physics.contacts);
  terrain_contacts(g_world, bike());
  EXPECT_EQ(bike().state.crash_timer, 0);  // too slow to hurt

  rider_on_ground({0, -8, 0});
  bike().state.collision_cooldown = -5;
  terrain_contacts(g_world, bike());
  EXPECT_EQ(bike().state.crash_timer, 0);  // protected

  rider_on_ground({0, -8, 0});
  terrain_contacts(g_world, bike());
  EXPECT_EQ(bike().state.crash_timer, kCrashTicks);
  EXPECT_EQ(bike().crash_count, 1);
  dJointGroupEmpty(g_world.physics.contacts);
}

TEST_F(BikeStep, StatuesPushTheBikeAwayAndAFastRiderIsThrown) {
  Scenery& s = g_world.track.scenery;
  // A post of one 1 ft sphere, listed in every cell of the grid.
  StatueShape post;
  post.spheres = {ShapeSphere{0, 0, 0, 1.0f, 1.0f, 1.0f, 1.0f}};
  post.radius = 1.0f;
  s.shapes.push_back(post);
  Statue st;
  st.shape = 0;
  st.radius = 1.0f;
  s.statues.push_back(st);
  for (auto& cell : s.grid) cell.push_back(0);

  // Far from the post: nothing.
  place({20, 5, 20}, {0, 0, 0});
  EXPECT_EQ(object_contacts(g_world, bike()), 0);

  // The post where the rider sits, the bike running into it at 25 ft/s.
  const dReal* p = dBodyGetPosition(bike().bodies[kBodyRider]);
  s.statues[0].x = static_cast<float>(p[0]);
  s.statues[0].y = static_cast<float>(p[1]);
  s.statues[0].z = static_cast<float>(p[2]);
  place({20, 5, 20}, {0, 0, -25});
  bike().state.collision_cooldown = -1;
  EXPECT_GT(object_contacts(g_world, bike()), 0);
  EXPECT_EQ(bike().state.crash_timer, 0);  // protected
  dJointGroupEmpty(g_world.physics.contacts);

  place({20, 5, 20}, {0, 0, -25});
  EXPECT_GT(object_contacts(g_world, bike()), 0);
  EXPECT_EQ(bike().state.crash_timer, kCrashTicks);

  dJointGroupEmpty(g_world.physics.contacts);
}

// Ridden through whole world ticks at a post standing in its path, the bike stops at the post
// instead of passing through it, as it does where no post stands.
TEST_F(BikeStep, ARiddenBikeRunsIntoAStatueAndNotThroughIt) {
  g_world.slots[0].control = kControlRobot;
  auto ride = [&](bool post) {
    Scenery& s = g_world.track.scenery;
    s = Scenery{};
    if (post) {
      StatueShape shape;
      shape.spheres = {ShapeSphere{0, 0, 0, 2.0f, 1.0f, 1.0f, 1.0f}};
      shape.radius = 2.0f;
      s.shapes.push_back(shape);
      Statue st;
      st.shape = 0;
      st.radius = 2.0f;
      st.x = 30;
      st.y = 2;
      st.z = 30;
      s.statues.push_back(st);
      for (auto& cell : s.grid) cell.push_back(0);
    }
    place({30, 0.2, 50}, {0, 0, -20});
    for (int i = 0; i < 256; ++i) world_tick(g_world);
    return dBodyGetPosition(bike().bodies[kBodyFrame])[2];
  };
  double free_z = ride(false);
  double blocked_z = ride(true);
  EXPECT_LT(free_z, 25.0);
  EXPECT_GT(blocked_z, 30.0);
  EXPECT_TRUE(std::isfinite(blocked_z));
}

}  // namespace
}  // namespace br
