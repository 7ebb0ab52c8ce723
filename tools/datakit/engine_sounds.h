// Engine sounds for every engine class: a sound table of recorded engine cycles over engine
// speed and load, its sample files, and the class's default .braap tuning.
#pragma once

#include <string>

namespace kit {

bool write_engine_sounds(const std::string& root);

}  // namespace kit
