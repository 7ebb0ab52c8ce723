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

// The view mode corrections made at the top of every frame.
void settle_view_mode(World& w);

}  // namespace br
