// The index of every data file in the search directories and in their archives, and the
// data file list built from it. Built once, on the first lookup or list request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace br {

struct DataIndexEntry {
  std::string path;     // the file itself, or the archive that holds it
  std::string name;     // data name: relative to its search directory, or inside the archive
  uint64_t offset = 0;  // bytes from the start of `path` to the contents
  uint64_t size = 0;    // bytes
  int source = 0;       // search directories count from 0; archives follow in reading order
  bool in_archive = false;
};

// The whole index, sorted by lower-cased name, then by source.
const std::vector<DataIndexEntry>& data_index();

// The first entry (lowest source) whose name equals `name` ignoring ASCII case, or nullptr.
const DataIndexEntry* data_index_find(const std::string& name);

// The data names, sorted like the index, each name once (its lowest source).
const std::vector<std::string>& data_file_list();

// Writes "<data name> -> <path>" of list entry `index` into `buffer`, cut to `size` bytes
// with its terminator. Returns false for an index past the list.
bool data_file_describe(int index, char* buffer, size_t size);

// Forgets the search directories, the index and the list; the next use rebuilds them from
// the environment. For tests and tools that change BR_HOME or XDG_DATA_HOME.
void data_files_reset();

// Compares two data names byte by byte after ASCII lower-casing, like strcmp.
int compare_data_names(const std::string& a, const std::string& b);

}  // namespace br
