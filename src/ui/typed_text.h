// The characters that keys type into the menus' text entries. Keys arrive as scan codes, which
// name places on the keyboard, not letters; they are read as a US keyboard types them.
#pragma once

#include <cstdint>

namespace br {

// The character the key with event code `code` types, or 0 when it types none.
char typed_char(int32_t code, bool shift);

// Either shift key; the menus follow their presses and releases.
bool is_shift_key(int32_t code);

// Backspace takes the last character off a text entry.
bool is_backspace_key(int32_t code);

}  // namespace br
