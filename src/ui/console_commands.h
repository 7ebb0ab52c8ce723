// The console's command words and what each one does; console.cpp picks the word and hands
// over the text after it.
#pragma once

#include <string_view>
#include <vector>

#include "ui/console.h"

namespace br {

// `args` is the text after the word as its match leaves it; `command_char` is "/" or the
// backslash the line began with. Returns 1, as every known command does.
using CommandAction = int (*)(World& w, std::string_view args, char command_char);

struct ConsoleCommand {
  const char* word;
  CommandMatch match;
  CommandAction action;
};

const std::vector<ConsoleCommand>& console_commands();

// Chat and "sendfile", which go to the game server.
int console_chat(World& w, std::string_view text);
int console_send_file(World& w, std::string_view args, char command_char);

}  // namespace br
