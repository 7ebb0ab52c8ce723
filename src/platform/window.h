// The game window with its OpenGL context, and the input event stream it feeds. One window
// per process. Drawing happens between begin_frame and swap_buffers, which hold the window
// lock so that a window thread cannot resize or close the window mid-frame.
#pragma once

#include <optional>
#include <vector>

#include "platform/display_modes.h"
#include "platform/event_queue.h"

namespace kota {

struct Window;

struct WindowParams {
  const char* title = "";
  int width = 640;  // 0 x 0 full screen: the desktop's mode
  int height = 480;
  bool fullscreen = false;  // the platform option "fullscreen" forces it on
  int colour_bits = 16;     // 32 is asked for as 24 colour bits
  int alpha_bits = 0;
  int depth_bits = 16;
  int stencil_bits = 0;
  int accum_bits = 0;
};

struct FrameArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Opens the window, the input devices and a current OpenGL context. Nothing when it cannot;
// the reason is logged and kept as last_error().
Window* window_open(const WindowParams& params);
void window_close(Window* window);

// Starts a frame: the drawable area, holding the window lock; nothing (and no lock) while
// the window shows no area, has no context or is closing.
std::optional<FrameArea> begin_frame(Window* window);
// Presents the frame begun by begin_frame and releases the window lock. False when there is
// no OpenGL context.
bool swap_buffers(Window* window);
// True once the player has asked to close the window (seen by the latest begin_frame or event
// read).
bool window_closing(const Window* window);

// Changes the open window to another size or to full screen (0 x 0: the desktop's mode)
// while the game runs; the OpenGL context and everything in it stay. False, with the reason in
// last_error(), when the system refuses.
bool window_set_mode(Window* window, int width, int height, bool fullscreen);

// The oldest input event; the second form only when it is stamped not later than `deadline`.
bool next_event(Window* window, Event& out);
bool next_event_before(Window* window, Event& out, ClockTime deadline);

// The desktop's current mode first, then every other distinct usable full-screen mode.
// Empty when there is no display.
std::vector<DisplayMode> display_modes();

// Lets message boxes open on the display when there is one.
void message_box_use_display();

}  // namespace kota
