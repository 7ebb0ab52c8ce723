// Modal message boxes for problems the player must see before (or without) a window.
#pragma once

namespace kota {

// Shows `text` under `title` and waits until it is dismissed. Without a display the text
// goes to standard error as "title: text".
void message_box(const char* title, const char* text);

}  // namespace kota
