// The search directories, in order: the home directory, then BR_HOME or the program
// directory (or, for an installed program, its data directory), then the installed data
// directory. Built once per run from the environment.
#pragma once

#include <string>

namespace br {

// "$XDG_DATA_HOME/Bermrider/" (by default "$HOME/.local/share/Bermrider/"), or "" when
// neither variable gives an absolute path.
const std::string& home_directory();

// The n-th search directory, ending in '/', or nullptr past the end.
const char* search_directory(int n);
int search_directory_count();

// The directory holding the running program, ending in '/', or "" when unknown.
std::string program_directory();

// The data directory of a program installed as <prefix>/bin/: "<prefix>/share/bermrider/"
// when that directory exists, else "". `program_dir` ends in '/'.
std::string installed_data_directory(const std::string& program_dir);

// Backslashes become '/', runs of '/' collapse to one, and a final '/' is added.
std::string normalize_directory(const std::string& path);

// Creates every directory on `path` up to its last '/' (errors are ignored: the open that
// follows reports what matters).
void make_directories(const std::string& path);

// Forgets the search directories so the next use builds them from the environment again.
// Tests use it through data_files_reset().
void search_dirs_reset();

}  // namespace br
