// What the menus need from the game around them: putting a new video mode into force on the
// open window. Headless runs and tests leave it out: the video mode waits for the next start.
#pragma once

#include <functional>
#include <string>

#include "world/world.h"

namespace br {

struct MenuHooks {
  // Applies the `video_mode` setting to the window; returns what the player is told.
  std::function<std::string(World&)> switch_video_mode;
};

MenuHooks& menu_hooks();

}  // namespace br
