// The chat line's lines: one beginning with "/" or a backslash is a command run here, any
// other is chat for the game server. Every answer goes to the message area.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "world/world.h"

namespace br {

// Bytes one line may hold; a longer one is refused whole, since cutting a command could
// change what it does.
constexpr size_t kConsoleLineMax = 2047;
constexpr size_t kChatTextMax = 466;  // bytes of a chat line the server is sent

// Runs or sends one line. 0 when the command word is unknown or the chat was refused, else 1.
int console_line(World& w, const std::string& text);

// The command words, in the order they are tried.
const std::vector<std::string>& console_words();

// Whether the word is followed by arguments (its match is not exact).
bool console_word_takes_arguments(std::string_view word);

// What a word's match asks of the text after it: nothing at all (exact), anything after one
// separating character (prefix), or white space or the end first (word).
enum class CommandMatch { kExact, kPrefix, kWord };

// The arguments of `rest` (the line after its "/" or backslash) for `word`, or false when
// the line is not that command.
bool command_matches(std::string_view rest, std::string_view word, CommandMatch match,
                     std::string_view& args);

}  // namespace br
