// The pictures the start-up loads for the race overlay and title, and the texture choices of
// the rider gear and bike graphics settings.
#pragma once

#include <string>
#include <vector>

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

struct TextureChoiceLists {
  std::vector<std::string> rider_body;  // "rider_body-..."
  std::vector<std::string> rider_head;  // "rider_head-..."
  std::vector<std::string> bike;        // the chosen bike model's texture prefix
  std::vector<std::string> wheels;      // "wheels-..."
};

// Rebuilt when the bike model changes, since its bike list follows the model's prefix.
TextureChoiceLists build_texture_choice_lists(const std::string& bike_texture_prefix);

}  // namespace br
