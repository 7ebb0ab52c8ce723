// The game's controls meet the input devices: binding names resolved to event codes and
// axis handles, the fixed menu keys, and the mouse position read every frame.
#pragma once

#include "world/world.h"

namespace br {

// Each binding with a key name gets its event code; otherwise one with an axis name gets an
// open axis handle.
void resolve_bindings(World& w);
// "up", "down", "left", "right", "enter", "keypad enter", "esc", "pause", the left and right
// mouse buttons, "page up", "page down", and the game pad's direction pad, A, B, Start and
// shoulder buttons.
void resolve_menu_keys(World& w);

// Opens "cursor-x" and "cursor-y"; reads them into the world's mouse position.
void open_mouse_axes(World& w);
void read_mouse_axes(World& w);

// Closes the mouse axes and every binding's axis handle.
void close_control_axes(World& w);

}  // namespace br
