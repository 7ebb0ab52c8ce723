#include "render/hud_textures.h"

namespace br {

HudTextures load_hud_textures() {
  HudTextures hud;
  hud.tach = texture_load("!@tach.png");
  hud.shifter = texture_load("!@shifter.png");
  hud.pitboard = texture_load("!@pitboard.png");
  hud.title = texture_load("!@title.png");
  return hud;
}

}  // namespace br
