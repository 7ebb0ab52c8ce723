#include "shell/controls.h"

#include <gtest/gtest.h>

#include "../platform/fake_device.h"
#include "platform/devices.h"
#include "platform/event_queue.h"
#include "platform/pads.h"
#include "shell/frame_loop.h"
#include "shell/video_modes.h"
#include "world/settings.h"

namespace {

using br::g_world;
constexpr int32_t kKey = kota::kEventKeyBase;

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { br::world_reset(); }
  void TearDown() override {
    br::close_control_axes(g_world);
    kota::devices_destroy_all();
  }
};

TEST_F(ControlsTest, EveryDefaultBindingAndMenuKeyMeansAKey) {
  br::resolve_bindings(g_world);
  for (const br::Binding& b : g_world.bindings) {
    EXPECT_GE(b.key_code, kKey) << b.label << " (" << b.key_name << ")";
    EXPECT_LT(b.key_code, kKey + 512) << b.label;
  }
  EXPECT_EQ(g_world.bindings[br::kBindThrottle].key_code, kKey + 0x2D);
  EXPECT_EQ(g_world.bindings[br::kBindSitDab].key_code, kKey + 0x11D);
  EXPECT_EQ(g_world.bindings[br::kBindRewind].key_code, kKey + 0x2B);

  kota::register_builtin_aliases();  // the window's set-up gives the mouse button names
  br::resolve_menu_keys(g_world);
  const br::MenuKeys& k = g_world.menu_keys;
  EXPECT_EQ(k.up, kKey + 0x148);
  EXPECT_EQ(k.enter, kKey + 0x1C);
  EXPECT_EQ(k.keypad_enter, kKey + 0x11C);
  EXPECT_EQ(k.esc, kKey + 0x01);
  EXPECT_EQ(k.page_down, kKey + 0x151);
  EXPECT_EQ(k.cursor_left, kota::kEventMouseLeft);
  EXPECT_EQ(k.cursor_right, kota::kEventMouseRight);
}

TEST_F(ControlsTest, AnAxisBindingFeedsItsChannelEveryStep) {
  auto* pedal = br_test::add_fake_device("Pedal", 1, 0);
  br::Binding& throttle = g_world.bindings[br::kBindThrottle];
  br::binding_parse(throttle, "(0,1)Pedal.axis[0]");
  br::resolve_bindings(g_world);
  ASSERT_GE(throttle.axis_handle, 0);
  EXPECT_EQ(throttle.key_code, -1);

  pedal->values[0] = 16384;  // half way
  g_world.channels.fill(0);
  br::update_channels(g_world);
  EXPECT_NEAR(g_world.channels[br::kChanThrottle], 0.5f, 1e-4);
  pedal->values[0] = -20000;  // below the range reads 0
  g_world.channels.fill(0);
  br::update_channels(g_world);
  EXPECT_EQ(g_world.channels[br::kChanThrottle], 0.0f);

  br::close_control_axes(g_world);
  EXPECT_EQ(throttle.axis_handle, -1);
  EXPECT_EQ(pedal->closes, 1);
}

TEST_F(ControlsTest, PadDefaultsRideOnTheGamepadAndItsButtonsWorkTheMenus) {
  kota::gamepad_create();
  kota::register_builtin_aliases();
  br::resolve_bindings(g_world);
  br::resolve_menu_keys(g_world);
  const int32_t pad = kota::device_find(kota::kGamepadName)->id << 16;
  const br::Bindings& b = g_world.pad_bindings;
  EXPECT_EQ(b[br::kBindUpshift].key_code, pad | kota::kPadA);
  EXPECT_EQ(b[br::kBindRearBrake].key_code, pad | kota::kPadLeftShoulder);
  for (br::BindingId id : {br::kBindThrottle, br::kBindFrontBrake, br::kBindLeft, br::kBindRight,
                           br::kBindLeanForward, br::kBindLeanBackward}) {
    EXPECT_GE(b[id].axis_handle, 0) << b[id].label;
  }
  EXPECT_EQ(b[br::kBindChat].key_code, -1);  // no pad default

  // Start opens a menu from anywhere; the d-pad, A and B only mean menu keys inside one.
  const br::MenuKeys& k = g_world.menu_keys;
  auto as_menu = [](int32_t code) { return br::menu_event_from_pad(g_world, {code, true, {}}).code; };
  EXPECT_EQ(as_menu(pad | kota::kPadStart), k.esc);
  EXPECT_EQ(as_menu(pad | kota::kPadA), pad | kota::kPadA);
  g_world.menu = br::kMainMenu;
  EXPECT_EQ(as_menu(pad | kota::kPadDpadDown), k.down);
  EXPECT_EQ(as_menu(pad | kota::kPadA), k.enter);
  EXPECT_EQ(as_menu(pad | kota::kPadB), k.esc);
  g_world.capturing_binding = br::kBindClutch;  // a capture takes the button itself
  EXPECT_EQ(as_menu(pad | kota::kPadB), pad | kota::kPadB);
}

TEST_F(ControlsTest, TheMouseAxesGiveTheCursorPosition) {
  kota::register_builtin_aliases();
  auto* cursor = br_test::add_fake_device("cursor", 2, 0);
  cursor->values = {320, 240};
  br::open_mouse_axes(g_world);
  br::read_mouse_axes(g_world);
  EXPECT_EQ(g_world.mouse_x, 320);
  EXPECT_EQ(g_world.mouse_y, 240);
}

TEST(VideoModes, TheSettingOffersDefaultsThenModesOfTheFirstDepth) {
  std::vector<kota::DisplayMode> modes = {
      {1920, 1080, 24, 60}, {1024, 768, 24, 60}, {1024, 768, 16, 60}, {800, 600, 24, 60}};
  br::Settings s;
  br::set_video_modes(s, br::full_screen_modes(modes));
  ASSERT_EQ(s.video_mode.texts.size(), 5u);
  EXPECT_EQ(s.video_mode.texts[0], "Default Fullscreen");
  EXPECT_EQ(s.video_mode.texts[1], "Windowed");
  EXPECT_EQ(s.video_mode.texts[2], "1920x1080");
  EXPECT_EQ(s.video_mode.texts[4], "800x600");
  EXPECT_EQ(s.video_modes[4].height, 600);
  EXPECT_TRUE(br::full_screen_modes({}).empty());  // no display: only the two fixed entries
}

TEST(VideoModes, TheWindowFollowsTheVideoModeSetting) {
  br::world_reset();
  br::Settings& s = g_world.settings;
  br::set_video_modes(s, {{1024, 768}});
  br::WindowRequest r = br::window_request(g_world);
  EXPECT_TRUE(r.fullscreen);
  EXPECT_EQ(r.width, 0);  // the desktop's mode
  s.video_mode.index = br::kVideoModeWindowed;
  s.xres.value = 1024;
  s.yres.value = 0;  // --height with text that is not a number
  r = br::window_request(g_world);
  EXPECT_FALSE(r.fullscreen);
  EXPECT_EQ(r.width, 1024);
  EXPECT_EQ(r.height, 480);
  s.video_mode.index = 2;
  r = br::window_request(g_world);
  EXPECT_TRUE(r.fullscreen);
  EXPECT_EQ(r.width, 1024);
  EXPECT_EQ(r.height, 768);
}

}  // namespace
