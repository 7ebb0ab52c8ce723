// The video modes the player can choose, and the window the game asks for.
#pragma once

#include <string>
#include <vector>

#include "platform/display_modes.h"

namespace br {

struct World;
struct VideoMode;

constexpr int kVideoModeFullscreenDefault = 0;
constexpr int kVideoModeWindowed = 1;

// The full-screen modes the video mode setting offers after its two fixed entries: every
// reported mode of the first reported mode's depth, in the platform's order.
std::vector<VideoMode> full_screen_modes(const std::vector<kota::DisplayMode>& modes);

struct WindowRequest {
  int width = 640;
  int height = 480;
  bool fullscreen = false;
};

// The size and kind of window this run opens: the `video_mode` setting's entry, windowed at
// `xres` x `yres` (which --width and --height set), or full screen.
WindowRequest window_request(const World& w);

}  // namespace br
