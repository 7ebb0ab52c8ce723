// The view modes' cameras on a real bike, the camera keys and controls, and the ghosts' fade.
#include "render/view_cameras.h"

#include <gtest/gtest.h>
#include <ode/ode.h>

#include <cmath>

#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "render/model_cache.h"
#include "render/texture_cache.h"
#include "replay/history.h"
#include "shell/frame_loop.h"
#include "shell/main_loop.h"
#include "support/bike_world.h"

namespace br {
namespace {

constexpr float kPi = 3.14159265f;

class ViewCameras : public ::testing::Test {
 protected:
  void SetUp() override {
    br_test::open_bike_world(BR_DATA_DIR);
    br_test::lay_flat_ground(8, 2.0f);  // 512 ft square
    g_world.session.loaded = true;
  }
  void TearDown() override { br_test::close_bike_world(); }
  // A bike in `slot` facing `yaw` (0 faces -z), with its own frame's origin at (x, 0, z).
  Bike& bike_at(int slot, ControlKind kind, float x, float z, float yaw) {
    RiderSlot& s = g_world.slots[static_cast<size_t>(slot)];
    s.bike = build_bike(g_world, "crf450(2013)", 0, "7", "", "", "", "");
    s.control = kind;
    dMatrix3 r;
    dRFromAxisAndAngle(r, 0, 1, 0, yaw);
    place_bike(*s.bike, {x, 0, z}, r, {0, 0, 0});
    return *s.bike;
  }
  void press(int32_t code) {
    kota::Event e;
    e.code = code;
    e.pressed = true;
    handle_event(g_world, e);
  }
};

TEST_F(ViewCameras, ChaseCameraStandsBehindTheLocalRiderAndLooksAtTheBike) {
  World& w = g_world;
  Bike& bike = bike_at(0, kControlLocal, 200, 200, kPi / 2);  // facing -x
  w.view_mode = kViewChase;
  w.settings.third_person_distance.value = 12;
  w.settings.third_person_height.value = 6;
  ViewCamera c = *view_camera(w);
  Vec3 target = chase_target(w, bike);
  // Behind a bike facing -x is +x.
  EXPECT_NEAR(c.eye[0] - target[0], 12, 1e-3);
  EXPECT_NEAR(c.eye[2] - target[2], 0, 1e-3);
  EXPECT_NEAR(c.eye[1] - target[1], 6, 1e-3);
  // The target is the chase centre carried with the frame: above the bike's own origin.
  EXPECT_NEAR(target[1], w.options.chase_center[1], 1e-3);
  EXPECT_NEAR(target[0], 200 + w.options.chase_center[2], 1e-3);  // +z of the bike is behind
  Vec3 b = c.backward();
  float len = std::hypot(c.eye[0] - target[0], c.eye[1] - target[1], c.eye[2] - target[2]);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(b[i], (c.eye[i] - target[i]) / len, 1e-4);

  // Below the ground's five-foot clearance the camera is lifted.
  w.settings.third_person_height.value = 0;
  EXPECT_NEAR(view_camera(w)->eye[1], 5, 1e-3);
}

TEST_F(ViewCameras, SomeoneElsesBikeIsOrbitedAndTheChannelsSteerTheOrbit) {
  World& w = g_world;
  Bike& bike = bike_at(3, kControlRobot, 100, 100, 0);
  w.viewed_slot = 3;
  w.view_mode = kViewChase;
  Vec3 target = chase_target(w, bike);
  ViewCamera c = *view_camera(w);
  EXPECT_NEAR(c.eye[2] - target[2], w.free_camera_distance, 1e-3);  // angle 0: south of it

  w.channels.fill(0);
  w.channels[kChanSteering] = 1;
  w.channels[kChanThrottle] = 1;
  w.channels[kChanShift] = 1;
  camera_controls(w);
  EXPECT_NEAR(w.free_camera_angle, kPi / 512, 1e-6);
  EXPECT_NEAR(w.free_camera_distance, 10 - 1.0f / 64, 1e-6);
  EXPECT_NEAR(w.free_camera_height, 5 + w.step, 1e-6);
  // The angle wraps, and the camera never comes nearer than a quarter foot.
  w.free_camera_angle = kPi - 0.001f;
  w.free_camera_distance = 0.26f;
  camera_controls(w);
  camera_controls(w);
  EXPECT_LT(w.free_camera_angle, -kPi + 0.02f);
  EXPECT_FLOAT_EQ(w.free_camera_distance, 0.25f);
}

TEST_F(ViewCameras, RiderViewLooksAheadFromTheHelmetAndPitchesDown) {
  World& w = g_world;
  Bike& bike = bike_at(0, kControlLocal, 50, 50, 0);
  w.view_mode = kViewRider;
  ViewCamera c = *view_camera(w);
  const dReal* rider = dBodyGetPosition(bike.bodies[kBodyRider]);
  EXPECT_GT(c.eye[1], rider[1] + 0.5);  // at head height
  EXPECT_LT(c.eye[2], rider[2]);        // ahead of the body's centre
  EXPECT_NEAR(c.backward()[2], 1, 1e-5);
  w.settings.first_person_angle.value = 30;
  w.settings.first_person_height.value = 1;
  ViewCamera pitched = *view_camera(w);
  EXPECT_NEAR(pitched.backward()[1], std::sin(30 * kPi / 180), 1e-4);
  EXPECT_GT(pitched.eye[1], c.eye[1] + 0.3f);
  // Without a bike there is nothing to look from.
  w.viewed_slot = 5;
  EXPECT_FALSE(view_camera(w).has_value());
}

TEST_F(ViewCameras, DigitKeysPickTracksideCamerasAndTheTourZooms) {
  World& w = g_world;
  Bike& bike = bike_at(0, kControlRobot, 100, 100, 0);
  w.view_mode = kViewCameraTour;
  w.track.scenery.cameras.resize(3);
  w.track.scenery.cameras[1] = {60, 20, 100};
  press(kota::kEventKeyBase + 0x03);  // "2"
  EXPECT_EQ(w.track.scenery.current_camera, 1);
  ViewCamera c = *view_camera(w);
  EXPECT_FLOAT_EQ(c.eye[0], 60);
  EXPECT_FLOAT_EQ(c.eye[1], 20);
  press(kota::kEventKeyBase + 0x0A);  // "9": past the last camera picks the last
  EXPECT_EQ(w.track.scenery.current_camera, 2);
  press(kota::kEventKeyBase + 0x0B);  // "0": none
  EXPECT_EQ(w.track.scenery.current_camera, -1);
  EXPECT_EQ(digit_of_key(kota::kEventKeyBase + 0x10), -1);

  // Zooming in moves the eye toward the bike; the speed dies away without the key.
  press(kota::kEventKeyBase + 0x03);
  view_camera(w);
  Vec3 target = chase_target(w, bike);
  auto gap = [&] {
    const std::array<double, 3>& e = w.free_camera_position;
    return std::hypot(e[0] - target[0], e[1] - target[1], e[2] - target[2]);
  };
  float before = gap();
  w.channels.fill(0);
  w.channels[kChanThrottle] = 1;
  for (int i = 0; i < 64; ++i) camera_controls(w);
  EXPECT_GT(w.zoom_speed, 0);
  EXPECT_LT(gap(), before - 1);
  w.channels.fill(0);
  for (int i = 0; i < 256; ++i) camera_controls(w);
  EXPECT_EQ(w.zoom_speed, 0);
  EXPECT_GE(w.free_camera_position[1], 2);

  // Sit/dab's rising edge toggles the auto-switch once, however long it is held.
  w.channels[kChanSitDab] = 1;
  camera_controls(w);
  camera_controls(w);
  EXPECT_TRUE(w.camera_tour_auto);
  w.channels[kChanSitDab] = 0;
  camera_controls(w);
  w.channels[kChanSitDab] = 1;
  camera_controls(w);
  EXPECT_FALSE(w.camera_tour_auto);

  // With the auto-switch on, the camera of the rider's current gate takes over: position 3
  // of the lap sequence is gate 5 on the second lap, which camera 2 watches.
  TrackTiming& timing = w.track.timing;
  timing.gates.resize(6);
  timing.first_lap = {0, 1};
  timing.normal_lap = {4, 5};
  timing.active = true;
  w.track.scenery.camera_for_gate[5] = 2;
  w.slots[0].timing.gates_passed = 3;
  w.camera_tour_auto = true;
  w.channels.fill(0);
  camera_controls(w);
  EXPECT_EQ(w.track.scenery.current_camera, 2);
  // With no camera selected the tour stays put.
  w.track.scenery.current_camera = -1;
  camera_controls(w);
  EXPECT_EQ(w.track.scenery.current_camera, -1);
}

TEST_F(ViewCameras, GhostsFadeOutNearTheLocalRider) {
  EXPECT_FLOAT_EQ(ghost_opacity(4, 10), 0);
  EXPECT_FLOAT_EQ(ghost_opacity(7.5f, 10), 0.5f);
  EXPECT_FLOAT_EQ(ghost_opacity(12, 10), 1);
  // A fade distance of 0 means no fading, not a division by zero.
  EXPECT_FLOAT_EQ(ghost_opacity(0, 0), 1);

  World& w = g_world;
  w.settings.ghost_fade_distance.value = 10;
  bike_at(0, kControlLocal, 100, 100, 0);
  bike_at(1, kControlPlayedBack, 107.5f, 100, 0);
  bike_at(2, kControlRobot, 101, 100, 0);
  // A ghost is drawn only around the states it has.
  update_rider_opacity(w);
  EXPECT_FLOAT_EQ(w.rider_opacity[1], 0);
  add_state_to_history(w, 1, Snapshot{}, w.frame);
  update_rider_opacity(w);
  EXPECT_NEAR(w.rider_opacity[1], 0.5f, 1e-4);
  EXPECT_FLOAT_EQ(w.rider_opacity[0], 1);
  EXPECT_FLOAT_EQ(w.rider_opacity[2], 1);  // robots are never ghosts
  w.connected = true;
  update_rider_opacity(w);
  EXPECT_FLOAT_EQ(w.rider_opacity[1], 1);
}

TEST_F(ViewCameras, AViewedSlotWithoutABikeShowsTheCameraTour) {
  World& w = g_world;
  w.view_mode = kViewChase;
  w.viewed_slot = 4;
  settle_view_mode(w);
  EXPECT_EQ(w.view_mode, kViewCameraTour);
}

}  // namespace
}  // namespace br
