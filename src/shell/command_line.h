// The game's command line: options that configure one run, and the one positional demo file.
#pragma once

#include <string>
#include <vector>

#include "world/command_line_options.h"

namespace br {

enum class ParseOutcome {
  kRun,      // go on starting the game
  kExitOk,   // --help or --version answered
  kExitBad,  // a command-line error, already reported
};

// Parses the arguments after the program name. Errors and notices go to `err` and help or
// version text to `out`, exactly as the player sees them.
ParseOutcome parse_command_line(const std::vector<std::string>& args, CommandLine& cl,
                                std::string& out, std::string& err);

// True when the arguments ask only for --help or --version, which are answered before the
// game looks for its data.
bool asks_for_help_or_version(const std::vector<std::string>& args);

extern const char kVersionText[];

}  // namespace br
