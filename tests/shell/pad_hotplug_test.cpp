// A pad plugged in and pulled out while the game's loop runs, on SDL's virtual joysticks:
// the log tells of it, the defaults on the Gamepad ride at once, bindings to the pad's own
// name follow it out and back in, and nothing stays pressed when it goes.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/pads.h"
#include "platform/window.h"
#include "render/log_capture.h"
#include "shell/controls.h"
#include "shell/main_loop.h"

namespace {

using br::g_world;

class PadHotplugTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    br::world_reset();
    kota::WindowParams params;
    params.title = "Bermrider pad test";
    params.width = 320;
    params.height = 200;
    window = kota::window_open(params);
    ASSERT_NE(window, nullptr);
    // As the game's start-up does once its window is up.
    br::open_mouse_axes(g_world);
    br::resolve_bindings(g_world);
    br::resolve_menu_keys(g_world);
  }
  void TearDown() override {
    if (!window) return;
    unplug();
    br::close_control_axes(g_world);
    kota::window_close(window);
  }

  // The pad as SDL's virtual driver makes it: a game controller with every button and axis.
  void plug() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = kota::kPadAxisCount;
    desc.nbuttons = kota::kPadDpadRight + 1;
    desc.name = "Trail Pad";
    int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);
    // A virtual axis starts at its middle, which for a trigger is half pulled.
    set_axis(kota::kPadLeftTrigger, -32768);
    set_axis(kota::kPadRightTrigger, -32768);
  }
  void unplug() {
    if (!pad) return;
    SDL_JoystickClose(pad);
    pad = nullptr;
    while (SDL_NumJoysticks() > 0) SDL_JoystickDetachVirtual(0);
  }
  void set_axis(int axis, int value) { SDL_JoystickSetVirtualAxis(pad, axis, value); }
  void set_button(int button, bool down) { SDL_JoystickSetVirtualButton(pad, button, down); }

  // The game's own loop for a few frames, reading events from the window as the game does.
  // The channels are taken as each frame is drawn: the loop's last frame quits part way.
  void run_frames(int frames) {
    br::MainLoopHooks hooks;
    hooks.events = [this](kota::Event& e, const kota::ClockTime* deadline) {
      return deadline ? kota::next_event_before(window, e, *deadline) : kota::next_event(window, e);
    };
    hooks.draw_frame = [this](br::World& w) {
      seen = w.channels;
      return true;
    };
    hooks.quit_after_frames = frames;
    g_world.loop.quit_requested = false;
    g_world.loop.frames_drawn = 0;
    br::main_loop(g_world, hooks);
  }
  float channel(br::Channel c) const { return seen[c]; }

  br_test::LogCapture log;
  kota::Window* window = nullptr;
  SDL_Joystick* pad = nullptr;
  br::Channels seen{};
};

TEST_F(PadHotplugTest, APadPluggedInWhileRidingIsPickedUpAndDroppedWithItsBindings) {
  // The player's own bindings to this pad by name, made before it was ever plugged in.
  br::binding_parse(g_world.pad_bindings[br::kBindClutch], "(k)TrailPad button 7");
  br::binding_parse(g_world.pad_bindings[br::kBindLeanForward], "(0.0625,0.9375)TrailPad.axis[2]");
  br::resolve_bindings(g_world);
  EXPECT_EQ(g_world.pad_bindings[br::kBindClutch].key_code, -1);
  run_frames(3);

  plug();
  set_axis(kota::kPadRightTrigger, 32767);
  set_axis(kota::kPadRightX, 32767);
  run_frames(4);
  EXPECT_EQ(log.count("Joystick plugged in"), 1);
  EXPECT_EQ(log.count("TrailPad (Trail Pad)"), 1);
  EXPECT_NEAR(channel(br::kChanThrottle), 1.0f, 1e-3);  // the Gamepad's default
  EXPECT_NEAR(channel(br::kChanLean), -1.0f, 1e-3);     // the pad's own name
  EXPECT_NE(g_world.pad_bindings[br::kBindClutch].key_code, -1);

  set_button(kota::kPadLeftStick, true);
  run_frames(3);
  EXPECT_NEAR(channel(br::kChanClutch), 1.0f, 1e-3);

  // Start opens the menu, and B inside it goes back out.
  set_button(kota::kPadStart, true);
  run_frames(2);
  set_button(kota::kPadStart, false);
  run_frames(2);
  EXPECT_EQ(g_world.menu, br::kMainMenu);
  set_button(kota::kPadB, true);
  run_frames(2);
  set_button(kota::kPadB, false);
  run_frames(2);
  EXPECT_EQ(g_world.menu, br::kNoMenu);

  // Pulled out with the throttle open and the clutch held: both let go.
  unplug();
  run_frames(3);
  EXPECT_EQ(log.count("'TrailPad' was pulled out"), 1);
  EXPECT_EQ(channel(br::kChanThrottle), 0.0f);
  EXPECT_EQ(channel(br::kChanClutch), 0.0f);
  EXPECT_EQ(channel(br::kChanLean), 0.0f);
  EXPECT_EQ(kota::device_find("TrailPad"), nullptr);

  // Back in: the same name, the same bindings.
  plug();
  set_axis(kota::kPadRightX, 32767);
  run_frames(4);
  set_button(kota::kPadLeftStick, true);
  run_frames(3);
  EXPECT_EQ(log.count("TrailPad (Trail Pad)"), 2);
  EXPECT_NEAR(channel(br::kChanLean), -1.0f, 1e-3);
  EXPECT_NEAR(channel(br::kChanClutch), 1.0f, 1e-3);
  EXPECT_EQ(channel(br::kChanThrottle), 0.0f);
}

}  // namespace
