// The title screen, shown whenever no track is loaded and while a session is set up, and the
// pause notice. Game only: these draw with OpenGL into the current frame.
#pragma once

#include <string_view>

#include "render/texture_cache.h"

namespace br {

// Draws the title picture fitted into a frame of `width` x `height` pixels, `version` in the
// bottom right corner and, when not empty, `progress` centred below the middle. The caller has
// cleared the frame.
void draw_title_screen(TextureId title, int width, int height, std::string_view version,
                       std::string_view progress = {});

// "Paused" in the centre of the frame.
void draw_paused_text(int width, int height);
// One line centred at the top of the screen: the rider the camera tour follows.
void draw_top_line(int width, int height, std::string_view text);

}  // namespace br
