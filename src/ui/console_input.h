// Typing into the chat line (menu 16): characters, the editing keys, Up and Down through the
// lines entered before, Tab to complete a command word, Enter to run or send the line.
#pragma once

#include <cstdint>
#include <string>

#include "world/world.h"

namespace br {

constexpr size_t kConsoleHistoryLines = 64;

// One key while the chat line is open. Esc closes it, keeping nothing typed.
void console_key(World& w, int32_t code, bool pressed);

// Enter: the line is remembered, the chat line closes and the line runs.
void console_enter(World& w);

// Tab: a command word begun at the end of the line is finished when only one word fits, else
// taken as far as the fitting words agree and the words are listed.
void console_complete(World& w);

// Up (-1) and Down (+1) through the lines entered before; past the newest the line typed
// before browsing comes back.
void console_browse(World& w, int direction);

// The line as drawn: a prompt, the text and the cursor.
std::string console_prompt_text(const World& w);

}  // namespace br
