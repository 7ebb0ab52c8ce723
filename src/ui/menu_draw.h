// Drawing the open menu over the frame, in the game only.
#pragma once

#include "world/world.h"

namespace br {

// Draws the open screen (nothing when no menu is open) over a frame of `width` x `height`
// pixels: a dimmed background, the title, the entries with the highlighted one marked, the
// notes, the table and the notice line.
void menu_draw(World& w, int width, int height);

}  // namespace br
