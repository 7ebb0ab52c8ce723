// Process-wide name tables: aliases for device and axis names, interned strings, and the
// loose comparison that lets players type key and axis names casually.
#pragma once

namespace kota {

// Adds an alias; a name that already has one keeps it and the call fails with a log line.
bool alias_add(const char* name, const char* value);
// The alias of `name`, or `name` itself. Aliases resolve one level only.
const char* alias_lookup(const char* name);

// The one stored copy of `text`; equal texts give the same pointer for the whole process.
const char* intern(const char* text);

// Compares ignoring letter case, with white space and '_' all counting as a blank.
// Returns the difference of the first unequal characters, like strcmp.
int names_equal_loosely(const char* a, const char* b);

}  // namespace kota
