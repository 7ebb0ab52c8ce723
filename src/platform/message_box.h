// Message boxes for problems the player must see even when the game cannot run.
#pragma once

namespace kota {

// Shows `text` under `title` and waits for the player. Without a display (or with the
// platform option "dialogs" off, for automated runs) the message goes to standard error.
// The text is always logged.
void message_box(const char* title, const char* text);

// How a message box reaches the screen; returns false when it could not be shown. The window
// library installs one; without it messages go to standard error.
using MessageBoxDisplay = bool (*)(const char* title, const char* text);
void message_box_set_display(MessageBoxDisplay display);

}  // namespace kota
