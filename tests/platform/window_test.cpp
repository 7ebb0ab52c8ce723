// The window against a real display (a virtual one in automated runs): skipped without one.
#include "platform/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/devices.h"
#include "platform/event_queue.h"
#include "platform/key_codes.h"
#include "platform/key_names.h"
#include "platform/pads.h"
#include "platform/sdl_input.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    kota::WindowParams params;
    params.title = "Bermrider window test";
    params.width = 320;
    params.height = 200;
    window = kota::window_open(params);
    ASSERT_NE(window, nullptr);
    drain();
  }
  void TearDown() override { kota::window_close(window); }

  void drain() {
    kota::Event e;
    while (kota::next_event(window, e)) {
    }
  }
  static void push_key(SDL_Scancode scancode, bool down, bool repeat = false) {
    SDL_Event ev{};
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.keysym.scancode = scancode;
    ev.key.repeat = repeat;
    SDL_PushEvent(&ev);
  }
  kota::Window* window = nullptr;
};

TEST_F(WindowTest, FramesBeginAndPresentAtTheWindowSize) {
  std::optional<kota::FrameArea> area;
  for (int i = 0; i < 100 && !area; ++i) {
    area = kota::begin_frame(window);
    if (!area) SDL_Delay(20);
  }
  ASSERT_TRUE(area);
  EXPECT_EQ(area->width, 320);
  EXPECT_EQ(area->height, 200);
  EXPECT_TRUE(kota::swap_buffers(window));
  // The lock was released: the next frame begins at once.
  ASSERT_TRUE(kota::begin_frame(window));
  EXPECT_TRUE(kota::swap_buffers(window));
}

TEST_F(WindowTest, KeysArriveAsScanCodeEventsWithoutRepeats) {
  push_key(SDL_SCANCODE_X, true);
  push_key(SDL_SCANCODE_X, true, true);  // held: no second press
  push_key(SDL_SCANCODE_RCTRL, true);
  push_key(SDL_SCANCODE_X, false);
  kota::Event e;
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_EQ(e.code, 4096 + 0x2D);
  EXPECT_TRUE(e.pressed);
  EXPECT_FALSE(kota::clock_before(kota::clock_now(), e.time));  // never in the future
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_EQ(e.code, 4096 + 0x11D);
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_EQ(e.code, 4096 + 0x2D);
  EXPECT_FALSE(e.pressed);
  EXPECT_FALSE(kota::next_event(window, e));

  // A deadline before the stamp keeps the event for a later step.
  push_key(SDL_SCANCODE_Z, true);
  EXPECT_FALSE(kota::next_event_before(window, e, kota::clock_from_seconds(0)));
  EXPECT_TRUE(kota::next_event_before(window, e, kota::clock_from_seconds(1e12)));
  EXPECT_EQ(e.code, 4096 + 0x2C);
}

TEST_F(WindowTest, TheMouseMovesTheCursorAndClicksTwice) {
  SDL_Event ev{};
  ev.type = SDL_MOUSEMOTION;
  ev.motion.x = 100;
  ev.motion.y = 50;
  ev.motion.xrel = 7;
  ev.motion.yrel = -3;
  SDL_PushEvent(&ev);
  ev = {};
  ev.type = SDL_MOUSEBUTTONDOWN;
  ev.button.button = SDL_BUTTON_RIGHT;
  SDL_PushEvent(&ev);

  kota::Event e;
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_EQ(e.code, kota::kEventMouseRight);
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_EQ(e.code, *kota::key_code("mouse-right"));

  int x = kota::axis_open("cursor-x");
  int y = kota::axis_open("cursor-y");
  int dx = kota::axis_open("mouse-x");
  EXPECT_EQ(kota::axis_read(x), 100);
  EXPECT_EQ(kota::axis_read(y), 50);
  EXPECT_EQ(kota::axis_read(dx), 7);
  kota::axis_close(x);
  kota::axis_close(y);
  kota::axis_close(dx);
}

TEST_F(WindowTest, ClosingGivesOneCloseEventAndStopsDrawing) {
  SDL_Event ev{};
  ev.type = SDL_WINDOWEVENT;
  ev.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&ev);
  ev = {};
  ev.type = SDL_QUIT;
  SDL_PushEvent(&ev);
  kota::Event e;
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_EQ(e.code, kota::kEventWindowClosed);
  EXPECT_FALSE(kota::next_event(window, e));
  EXPECT_FALSE(kota::begin_frame(window));
}

TEST_F(WindowTest, ACloseThatFindsTheQueueFullStillArrives) {
  for (int i = 0; i < kota::kEventQueueSize; ++i) {
    ASSERT_TRUE(kota::event_push({kota::kEventKeyBase + 30, true, kota::clock_now()}));
  }
  SDL_Event ev{};
  ev.type = SDL_QUIT;
  SDL_PushEvent(&ev);
  kota::Event e;
  int keys = 0;
  bool closed = false;
  while (kota::next_event(window, e)) {
    if (e.code == kota::kEventWindowClosed) {
      closed = true;
      break;
    }
    ++keys;
  }
  EXPECT_TRUE(closed);
  EXPECT_EQ(keys, kota::kEventQueueSize);
}

}  // namespace

namespace {

// SDL's key names join the built-in ones; neither may take another key's name.
TEST(SdlKeyNames, EveryBuiltInNameKeepsItsKeyBesideTheSystemNames) {
  kota::key_names_set_system_source(kota::sdl_scan_name);
  for (const kota::KeyName& k : kota::kBuiltinKeyNames) {
    EXPECT_EQ(kota::key_code(k.name), 4096 + k.scan) << k.name;
    const char* name = kota::key_name(4096 + k.scan);
    EXPECT_EQ(kota::key_code(name), 4096 + k.scan) << name;
  }
  EXPECT_STREQ(kota::key_name(4096 + 0x1C), "Return");
  EXPECT_EQ(kota::key_code("return"), 4096 + 0x1C);
  kota::key_names_set_system_source(nullptr);
}

}  // namespace

namespace {

// Two virtual pads with one product name and a wheel, attached before the window's roll call.
class JoystickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
    for (int i = 0; i < 2; ++i) pads[i] = attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, "Game Pad", 2, 4);
    wheel = attach(SDL_JOYSTICK_TYPE_WHEEL, "Race Wheel", 3, 8);
    kota::WindowParams params;
    params.title = "Bermrider joystick test";
    window = kota::window_open(params);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    kota::window_close(window);
    for (SDL_Joystick* stick : {pads[0], pads[1], wheel}) {
      if (stick) SDL_JoystickClose(stick);
    }
    while (SDL_NumJoysticks() > 0) SDL_JoystickDetachVirtual(0);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  }
  static SDL_Joystick* attach(SDL_JoystickType type, const char* name, int axes, int buttons) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = type;
    desc.naxes = axes;
    desc.nbuttons = buttons;
    desc.name = name;
    int index = SDL_JoystickAttachVirtualEx(&desc);
    EXPECT_GE(index, 0) << SDL_GetError();
    return index >= 0 ? SDL_JoystickOpen(index) : nullptr;
  }
  kota::Window* window = nullptr;
  SDL_Joystick* pads[2] = {};
  SDL_Joystick* wheel = nullptr;
};

TEST_F(JoystickTest, PadsAreNamedFromTheirProductAndReadInTheStandardLayout) {
  kota::InputDevice* first = kota::device_find("GamePad");
  kota::InputDevice* second = kota::device_find("GamePad#2");
  kota::InputDevice* all = kota::device_find(kota::kGamepadName);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_NE(all, nullptr);
  // However few buttons the pad has, its buttons and axes sit where every pad's do.
  EXPECT_EQ(second->button_count, kota::kPadButtonCount);
  EXPECT_EQ(second->axis_count, kota::kPadAxisCount);

  // Which SDL pad became which device follows SDL's order; find the second by its axis.
  SDL_JoystickSetVirtualAxis(pads[1], 1, -20000);
  SDL_JoystickSetVirtualButton(pads[1], 3, 1);
  int axis = kota::axis_open("GamePad#2 axis 1");
  ASSERT_GE(axis, 0);
  kota::Event e;
  ASSERT_TRUE(kota::next_event(window, e));
  bool second_is_pad_1 = kota::axis_read(axis) == -20000;
  kota::InputDevice* pressed = second_is_pad_1 ? second : first;
  EXPECT_EQ(e.code, (all->id << 16) | kota::kPadY);
  EXPECT_TRUE(e.pressed);
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_EQ(e.code, (pressed->id << 16) | kota::kPadY);
  EXPECT_STREQ(kota::key_name(e.code), second_is_pad_1 ? "GamePad#2 button 3" : "GamePad button 3");

  SDL_JoystickSetVirtualButton(pads[1], 3, 0);
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_FALSE(e.pressed);
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_FALSE(e.pressed);
  EXPECT_FALSE(kota::next_event(window, e));  // no change, no event
  kota::axis_close(axis);
}

TEST_F(JoystickTest, AJoystickThatIsNoPadKeepsItsOwnButtonsAndAxes) {
  kota::InputDevice* device = kota::device_find("RaceWheel");
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->button_count, 8);
  EXPECT_EQ(device->axis_count, 3);
  SDL_JoystickSetVirtualButton(wheel, 7, 1);
  SDL_JoystickSetVirtualAxis(wheel, 2, 12345);
  int axis = kota::axis_open("RaceWheel.axis[2]");
  kota::Event e;
  ASSERT_TRUE(kota::next_event(window, e));
  EXPECT_EQ(e.code, (device->id << 16) | 7);
  EXPECT_EQ(kota::axis_read(axis), 12345);
  EXPECT_FALSE(kota::next_event(window, e));  // no Gamepad event for a wheel
  kota::axis_close(axis);
}

}  // namespace
