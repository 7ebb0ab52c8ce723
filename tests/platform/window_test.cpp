// The window against a real display (a virtual one in automated runs): skipped without one.
#include "platform/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/devices.h"
#include "platform/key_codes.h"

namespace {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    kota::WindowSpec spec;
    spec.title = "Bermrider window test";
    spec.width = 320;
    spec.height = 200;
    window = kota::window_open(spec);
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

}  // namespace
