// The renderer's doors to the data-file layer: reading a data file whole, the list of data file
// names, and the message routine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/data_file.h"

namespace br {

// The whole contents of a file: a leading "@" names a data file looked up in the search
// directories, any other name is a plain path. Nothing when it cannot be opened or holds
// more than `max_bytes`.
std::optional<std::vector<uint8_t>> read_data_file(const std::string& name,
                                                   size_t max_bytes = kMaxDataFileBytes);

// Every data file name (without "@"), sorted case-insensitively, duplicates removed.
const std::vector<std::string>& data_file_names();

// A message the player should see: logged now, shown on screen once the message area exists.
void render_message(const std::string& text);

}  // namespace br
