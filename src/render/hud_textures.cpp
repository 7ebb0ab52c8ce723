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

TextureChoiceLists build_texture_choice_lists(const std::string& bike_texture_prefix) {
  TextureChoiceLists lists;
  lists.rider_body = texture_choice_list("rider_body-");
  lists.rider_head = texture_choice_list("rider_head-");
  lists.bike = texture_choice_list(bike_texture_prefix);
  lists.wheels = texture_choice_list("wheels-");
  return lists;
}

}  // namespace br
