// Where a menu screen's lines go in a frame, in pixels from the top left: shared by the
// drawing and by the mouse, so that the entry under the cursor is the entry drawn there.
#pragma once

#include <vector>

#include "ui/menu_screen.h"

namespace br {

struct MenuRow {
  float top = 0;  // pixels from the frame's top
  float height = 0;
};

struct MenuLayout {
  float left = 0, right = 0;  // the panel's sides
  float label_x = 0;          // where labels start
  float value_x = 0;          // where values start
  float title_top = 0, title_height = 0;
  float line = 0;                // the height of every entry, note and table line
  std::vector<MenuRow> entries;  // one per entry of the screen
  std::vector<MenuRow> notes;    // one per note
  std::vector<MenuRow> table;    // the headings, then one per row
  MenuRow notice;                // the one-line notice under everything else
};

MenuLayout menu_layout(const MenuScreen& screen, int width, int height);

// The selectable entry whose row holds the point (x, y), or -1.
int menu_entry_at(const MenuScreen& screen, const MenuLayout& layout, float x, float y);

}  // namespace br
