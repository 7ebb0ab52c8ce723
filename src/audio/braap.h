// .braap files: a bike's engine sound tuning, chosen by the name of the bike texture it
// wears so that a paint scheme can bring its own sound, else by its engine class.
#pragma once

#include <string>
#include <vector>

#include "audio/engine_sound.h"

namespace br {

// Reads the file over `t`. Opening it silences the pipe first, so only the file's own "pipe"
// line makes it ring. False (and `t` untouched) when the file cannot be opened.
bool read_braap(const std::string& name, EngineTuning& t);

// The .braap names tried for a bike texture, in order: the texture's name with its extension
// replaced, then cut back at each "-" from the right. None without a texture name.
std::vector<std::string> braap_candidates(const std::string& bike_texture);

// The class's own file ("@default450f.braap" and its like); empty for an unknown class.
std::string class_braap(const std::string& engine_class);

}  // namespace br
