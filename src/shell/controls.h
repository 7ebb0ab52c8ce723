// The game's controls meet the input devices: binding names resolved to event codes and
// axis handles, the fixed menu keys, and the mouse position read every frame.
#pragma once

#include "platform/event_queue.h"
#include "world/world.h"

namespace br {

// Each binding, keyboard and pad, with a key name gets its event code; otherwise one with an
// axis name gets an open axis handle.
void resolve_bindings(World& w);
// Resolves the bindings and menu keys again when input devices have come or gone since, so
// that a pad plugged in while the game runs answers to its bindings at once.
void follow_input_devices(World& w);
// A press or release of the Gamepad's menu buttons as the menu key it stands for, while a
// menu is open (Start at any time); A is Enter pressed when it comes up. Any other event as it
// is.
kota::Event menu_event_from_pad(const World& w, const kota::Event& e);
// "up", "down", "left", "right", "enter", "keypad enter", "esc", "pause", the left and right
// mouse buttons, "page up", "page down", and the Gamepad's d-pad, A, B, Start and shoulders.
void resolve_menu_keys(World& w);

// Opens "cursor-x" and "cursor-y"; reads them into the world's mouse position.
void open_mouse_axes(World& w);
void read_mouse_axes(World& w);

// Closes the mouse axes and every binding's axis handle.
void close_control_axes(World& w);

}  // namespace br
