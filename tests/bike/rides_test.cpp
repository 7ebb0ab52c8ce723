// Scripted rides on the default track, driven through the same controls a player uses.
#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "bike/apply_setup.h"
#include "bike/assists.h"
#include "bike/bike.h"
#include "bike/controls.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "shell/stability.h"
#include "shell/world_tick.h"
#include "support/data_dirs.h"
#include "track/terrain_queries.h"
#include "track/track_loader.h"
#include "track/track_steps.h"

namespace br {
namespace {

constexpr double kPi = std::numbers::pi;

class Rides : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::use_data_directory(BR_DATA_DIR);
    world_reset();
    install_scenery_steps();
    ASSERT_TRUE(load_track("rabbithill"));
    g_world.track.scenery.statues.clear();
    physics_world_open(g_world);
  }
  void TearDown() override {
    physics_world_close(g_world);
    free_track();
    texture_delete_all();
    model_delete_all();
    shape_cache_clear();
    world_reset();
    br_test::restore_data_directories();
  }
  Bike& build() {
    g_world.slots[0].bike = build_bike(g_world, "crf450(2013)", 0, "3", "", "", "", "");
    g_world.slots[0].control = kControlLocal;
    Bike& bike = *g_world.slots[0].bike;
    BikeSetup setup;
    apply_stability(setup, 100);
    EXPECT_TRUE(apply_bike_setup(bike, setup, 0));
    return bike;
  }
  // Standing on the ground at (x, z), facing `yaw` (radians about +y; 0 faces -z).
  void put(Bike& bike, double x, double z, double yaw) {
    dMatrix3 r;
    dRFromAxisAndAngle(r, 0, 1, 0, yaw);
    float ground = terrain_height(g_world.track.terrain, static_cast<float>(x),
                                  static_cast<float>(z));
    place_bike(bike, {x, ground + 0.3, z}, r, {0, 0, 0});
  }
};

double heading(const Bike& bike) {
  dVector3 f;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 0, -1, f);
  return std::atan2(-f[0], -f[2]);
}

TEST_F(Rides, DISABLED_TableProbe) {
  Bike& bike = build();
  double x0 = getenv("P_X0") ? atof(getenv("P_X0")) : 909;
  double z0 = getenv("P_Z0") ? atof(getenv("P_Z0")) : 1356;
  double x1 = 1155, z1 = 1352;
  double want = std::atan2(-(x1 - x0), -(z1 - z0));
  put(bike, x0, z0, want);
  float throttle = getenv("P_TH") ? atof(getenv("P_TH")) : 45;
  for (int i = 0; i < 128 * 8; ++i) {
    double err = std::remainder(want - heading(bike), 2 * kPi);
    set_steering(bike, static_cast<float>(std::clamp(-2 * err, -0.3, 0.3)));
    const dReal* vv = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
    set_throttle(bike, std::hypot(vv[0], vv[2]) < throttle ? 1.0f : 0.0f);
    world_tick(g_world);
    const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
    const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
    float g = terrain_height(g_world.track.terrain, p[0], p[2]);
    if (i % 16 == 0)
      printf("t %.2f x %.1f z %.1f ground %.1f above %.2f speed %.1f roll %.2f air %d%d crash %d\n", i / 128.0, p[0], p[2], g, p[1] - g,
             std::hypot(v[0], v[2]), frame_roll(bike), bike.wheels[0].depth > 0, bike.wheels[1].depth > 0,
             bike.state.crash_timer);
  }
}

}  // namespace
}  // namespace br
