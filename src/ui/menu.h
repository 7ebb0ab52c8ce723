// The menus' side of the main loop: opening and closing screens, and the keys, buttons and
// mouse movements that reach an open menu.
#pragma once

#include <cstdint>

#include "ui/menu_screen.h"
#include "world/world.h"

namespace br {

// Opens screen `id` afresh (the way back is forgotten), on its first page with its first entry
// highlighted. Closing leaves no menu open.
void menu_open(World& w, int id);
void menu_close(World& w);

// The open screen as it stands now.
MenuScreen open_menu_screen(World& w);

// One event while a menu is open: the fixed menu keys and mouse buttons (a pad's buttons
// arrive as the keys they stand for) and typing into a text entry. Presses act, except clicks,
// which act when the button comes up over the entry it went down on: the mouse device's own
// event for the same press would otherwise be captured by a binding the click started.
void menu_key(World& w, int32_t code, bool pressed);

// The mouse moved with its button up: the entry under the cursor is highlighted.
void menu_mouse_moved(World& w);
// The mouse moved `dx` pixels to the right with its button held: a number under the cursor
// follows it, one step per few pixels.
void menu_drag(World& w, int dx);

}  // namespace br
