// What the menus need from the game around them: the graphics driver's identity and what it
// can do, and putting a new video mode into force on the open window. Headless runs and tests
// leave the defaults: no driver, and a video mode that waits for the next start.
#pragma once

#include <functional>
#include <string>

#include "world/world.h"

namespace br {

struct GraphicsDriverInfo {
  std::string vendor, renderer, version;
  bool shaders = false;             // shader programs can be built
  bool compression = false;         // compressed texture formats
  bool generate_mipmap = false;     // the driver makes the ground's mipmaps
  bool framebuffer_object = false;  // the terrain can render into a texture directly
};

struct MenuHooks {
  GraphicsDriverInfo driver;
  // Applies the `video_mode` setting to the window; returns what the player is told.
  std::function<std::string(World&)> switch_video_mode;
};

MenuHooks& menu_hooks();

}  // namespace br
