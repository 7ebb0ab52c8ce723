// The menu screens: each built from the world as it stands, with its entries pointing at the
// settings they edit.
#pragma once

#include <string>

#include "ui/menu_screen.h"
#include "world/world.h"

namespace br {

constexpr int kGatesPerPage = 10;
constexpr int kChoicesPerPage = 20;  // chooser lists and the demo list

// The screen `id` on page `w.menu_state.page`; an id that names no screen gives the main menu.
MenuScreen build_menu_screen(World& w, int id);

// The screens of the game's modes and of the settings.
MenuScreen play_screen(World& w, int id);
MenuScreen setup_screen(World& w, int id);

// How a gear or graphics texture is offered: "@rider_body-alt1.png" shows as "alt1".
std::string texture_choice_name(const std::string& texture);

// Pages needed for `count` lines at `per_page` to a page (at least one).
int page_count(int count, int per_page);

}  // namespace br
