// What menu entries do: buttons act, changed settings set off their effects, screens open
// and lead back.
#pragma once

#include "ui/menu_screen.h"
#include "world/world.h"

namespace br {

// Chooses the entry: a button acts, a chooser opens its list, a choice or number steps up,
// a text entry starts taking typed text, a binding waits for its key.
void activate_entry(World& w, const MenuScreen& screen, int index);

// Left (-1) or right (+1) on an entry: numbers and choices step.
void adjust_entry(World& w, const MenuEntry& e, int direction);

// Back to the screen that led here; from a screen reached from outside, the main menu; from
// the main menu, no menu.
void menu_back(World& w);

// What a changed setting sets off: the bike graphics list, the assists, the player's bike,
// the renderer's detail.
void apply_setting_effect(World& w, SettingEffect effect);

// Text entries: typing ends with Enter (kept) or Esc (put back as it was).
void begin_text_edit(World& w, int index);
void end_text_edit(World& w, const MenuScreen& screen, bool keep);

}  // namespace br
