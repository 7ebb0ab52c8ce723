// Text typed into the chat line, made safe before it reaches the message area, the log, a
// file name or the game server.
#pragma once

#include <string>
#include <string_view>

namespace br {

// Control characters (the colour escape among them, and the C1 range) are dropped, bytes
// that do not form UTF-8 become "?", and the text is cut to at most `limit` bytes without
// splitting a character.
std::string clean_console_text(std::string_view text, size_t limit);

// The length in bytes of the UTF-8 character starting at `text[at]`; 1 for a stray byte.
size_t utf8_char_length(std::string_view text, size_t at);
// The start of the character before byte `at` (0 at the start).
size_t utf8_previous(std::string_view text, size_t at);

// A name that stays inside the folder it is put in: not empty, not "." or "..", and free of
// slashes, backslashes and control characters.
bool plain_file_name(std::string_view name);

// `text` without leading and trailing white space.
std::string_view trimmed(std::string_view text);

// Whether `text` holds `part`, ignoring ASCII case.
bool contains_ignoring_case(std::string_view text, std::string_view part);

}  // namespace br
