// The configuration file: every setting and binding as "key=value" lines. It is read once at
// start-up, before the command line, and written back whole at shutdown.
#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "world/world.h"

namespace br {

constexpr size_t kConfigLineMax = 1023;  // characters; the rest of a longer line is dropped

// Reads configuration lines into the world's settings and bindings. Malformed lines, unknown
// keys and values that do not fit are ignored; numbers are clamped to their ranges.
void config_read(World& w, std::istream& in);
void config_read_text(World& w, std::string_view text);

// The whole file as the game writes it.
std::string config_write(const World& w);

// Reads the file at `path`; false, with nothing changed, when it cannot be opened.
bool config_read_file(World& w, const std::string& path);

// Replaces the file at `path` safely (data_replace_file): a crash or a kill leaves either the
// old file or the new one. False (logged, the old file untouched) on failure.
bool config_write_file(const World& w, const std::string& path);

}  // namespace br
