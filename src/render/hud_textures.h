// The pictures the start-up loads for the race overlay and the title screen.
#pragma once

#include "render/texture_cache.h"

namespace br {

struct HudTextures {
  TextureId tach = 0;
  TextureId shifter = 0;
  TextureId pitboard = 0;
  TextureId title = 0;
};

// Always at full detail: the overlay is drawn pixel for pixel. Needs the graphics context.
HudTextures load_hud_textures();

}  // namespace br
