// Writing and extracting data archives (".saf"), for brdata and the tests.
#pragma once

#include <string>
#include <vector>

namespace br {

// Writes `archive` holding `files` (directories are walked, entries in name order). Member
// names are the paths relative to `base_dir`. False, with a line on `err`, when a file
// cannot be read, lies outside `base_dir`, or the archive cannot be written.
bool pack_archive(const std::string& archive, const std::string& base_dir,
                  const std::vector<std::string>& files, std::string& err);

// Extracts every member of `archive` below `dir`. Members whose names would land outside
// `dir` are refused, as is an invalid archive.
bool unpack_archive(const std::string& archive, const std::string& dir, std::string& err);

}  // namespace br
