// The main loop: one frame drawn and presented per iteration, then the world advanced in
// fixed steps until simulated time catches up with the wall clock.
#pragma once

#include <functional>

#include "shell/frame_loop.h"

namespace br {

struct MainLoopHooks {
  LoopClock clock = system_loop_clock();
  EventSource events = queue_event_source();
  // Draws and presents one frame; false when the frame could not be presented.
  std::function<bool(World&)> draw_frame;
  int quit_after_frames = 0;  // automation: quit after this many drawn frames, 0 = never
};

// Runs until a quit is requested, the window closes or a frame cannot be presented.
void main_loop(World& w, const MainLoopHooks& hooks);

// An open menu follows the mouse that moved from (old_x, old_y): with the button up the entry
// under the cursor is highlighted (not while a binding waits for its key), with it held the
// movement drags.
void follow_mouse_in_menu(World& w, int old_x, int old_y);

// The view mode corrections made at the top of every frame.
void settle_view_mode(World& w);

}  // namespace br
