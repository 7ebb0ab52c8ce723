// The game's window: opened at start-up, drawn and presented every frame, the source of the
// main loop's events, and closed at shutdown.
#pragma once

#include "platform/window.h"
#include "shell/main_loop.h"
#include "world/world.h"

namespace br {

// Opens the window with the title "Bermrider" at the size the run asks for. Nothing when it
// cannot be opened; the player has been told why.
kota::Window* open_game_window(World& w);

// Waits until the window can be drawn (it may still be mapping or minimised): up to 162
// tries, 62.5 ms apart, or until the player closes it. On success the frame is begun and must
// be presented.
bool wait_until_drawable(kota::Window* window);

// The fixed OpenGL state of the whole run, and a cleared picture.
void set_fixed_gl_state(const World& w);

// Draws and presents one frame; false when it could not be presented. A window that shows
// no area skips drawing and is not a failure.
bool draw_frame(World& w, kota::Window* window);

// Lets the session set-up and the track loader show their progress texts on the title
// screen in `window`; nullptr takes the presenter away (before the window closes).
void install_progress_presenter(const World& w, kota::Window* window);

// Gives the menus the means to change the video mode of `window` while the game runs; nullptr
// takes it away (before the window closes).
void install_menu_hooks(kota::Window* window);

// The main loop's event source: the window's events, up to a step's deadline.
EventSource window_event_source(kota::Window* window);

}  // namespace br
