// The tracks of the default data set.
#pragma once

#include <string>

namespace kit {

// Each writes its track directory under `root` and says how long a lap is.
bool build_rabbithill(const std::string& root);
bool build_foundry(const std::string& root);

// Pictures and models the tracks share (start gate, hay bale, roost).
bool write_track_objects(const std::string& root);

}  // namespace kit
