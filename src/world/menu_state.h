// What the menus remember between key presses beyond the open screen and its highlighted
// entry (which the world record keeps as `menu` and `menu_selection`).
#pragma once

#include <string>
#include <vector>

namespace br {

// A screen left for one of its sub-screens, with the entry that was highlighted on it.
struct MenuReturn {
  int menu = 0;
  int selection = 0;
  int page = 0;
};

struct MenuState {
  // The page of a screen whose entries do not fit at once: the gates of a race, the demos,
  // a chooser's list. Every screen starts on its first page.
  int page = 0;
  // The screens that led to the current one, so that going back lands where the player left.
  std::vector<MenuReturn> trail;
  // The points series whose standings are shown, and the demo the playback screen plays.
  int series = -1;
  int demo = 0;

  // A text entry being typed into: the entry's index and its text before typing began, which
  // Esc puts back. -1 when none.
  int editing = -1;
  std::string text_before;
  int history_position = -1;  // the server-name history entry shown while editing, -1 = none
  bool shift_held = false;

  // The entry a mouse button went down on; a click acts when the button comes up over it,
  // unless the mouse dragged a number meanwhile.
  int mouse_down_entry = -1;
  bool dragged = false;
  int drag_pixels = 0;  // dragged but not yet a whole step

  // One line under the screen's entries: why a button did nothing, what a button did.
  std::string notice;
};

}  // namespace br
