// The window library's SDL side of input: key translation and the devices it reads.
// Internal to the window library.
#pragma once

#include <SDL.h>

#include "platform/event_queue.h"

namespace kota {

// The set-1 scan code of an SDL scancode, or -1.
int scan_from_sdl(SDL_Scancode scancode);
// The system's name of a set-1 scan code (SDL's own name for the key), or "".
const char* sdl_scan_name(int scan);

// Runs the joystick roll call, creates the cursor and the system mouse and the built-in
// aliases.
void sdl_devices_create();
void sdl_devices_destroy();
// Reads the joysticks and pads, and picks up the ones plugged in and drops the ones pulled
// out since the last call. Runs on the thread that takes the events.
void sdl_devices_update();

// Pointer input seen in the window's events.
void sdl_note_motion(int x, int y, int dx, int dy);
void sdl_note_mouse_button(int sdl_button, bool pressed, ClockTime time);

}  // namespace kota
