// Boolean and integer options from the KOTA_OPTIONS environment variable, written as
// "[name:value]" anywhere in its text.
#pragma once

namespace kota {

bool option_flag(const char* name, bool default_value);
int option_int(const char* name, int default_value);

// Replaces the options text as if KOTA_OPTIONS held it (nullptr: read the environment again).
void options_set_text(const char* text);

}  // namespace kota
