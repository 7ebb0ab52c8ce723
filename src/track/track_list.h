// The tracks the game offers: every data directory that holds a height field, named by the
// first line of its "desc" file.
#pragma once

#include <string>
#include <vector>

#include "track/track.h"

namespace br {

// From the data file list (names without "@"), sorted by long name ignoring ASCII case. A
// track present in two variants of its height field is listed twice.
TrackList build_track_list(const std::vector<std::string>& data_names, bool debug_log);

// The long name of `dir` in the list, or `dir` itself when the list does not hold it.
std::string track_long_name(const TrackList& list, const std::string& dir);

// True when `data_name` (without "@") ends in "/terrain.hf" or one of its variants.
bool is_height_field_name(const std::string& data_name);

// Start-up: builds the list into the world and offers its directories in the track choice.
// False when no track was found.
bool build_startup_track_list();

}  // namespace br
