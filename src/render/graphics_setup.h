// Start-up's graphics step: the driver probe and the techniques the run settles on. Game only.
#pragma once

#include "render/render_settings.h"

namespace br {

struct GraphicsChoices {
  bool use_shader = true;
  bool ground_mipmaps = true;
  int render_texture = kGroundMethodSoftware;
};

// Fills graphics_caps() from the current context and logs the driver's identity.
void graphics_probe();
// Builds the shader programs when wanted and possible and records in render_settings() what
// is in use: shaders, ground mipmaps and the terrain's shader path.
void settle_graphics(const GraphicsChoices& choices);

}  // namespace br
