// The video modes the player can choose, and the window the game asks for.
#pragma once

#include <string>
#include <vector>

#include "platform/display_modes.h"

namespace br {

struct World;

struct VideoModeEntry {
  std::string text;  // "Default Fullscreen", "Windowed" or "%dx%d"
  int width = 0;     // 0 x 0: the desktop's mode, or the xres x yres window
  int height = 0;
};

constexpr int kVideoModeFullscreenDefault = 0;
constexpr int kVideoModeWindowed = 1;

// "Default Fullscreen", "Windowed", then every reported mode of the first mode's depth.
std::vector<VideoModeEntry> build_video_mode_list(const std::vector<kota::DisplayMode>& modes);

struct WindowRequest {
  int width = 640;
  int height = 480;
  bool fullscreen = false;
};

// The size and kind of window this run opens. Windowed at --width x --height (640 x 480 by
// default) until the video mode setting exists.
WindowRequest window_request(const World& w);

}  // namespace br
