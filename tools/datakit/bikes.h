// The bikes of the catalogue (part models and textures with alternates), the wheels and
// the rider (skinned body, first-person body, helmet, rider plate and gear textures).
#pragma once

#include <string>
#include <vector>

namespace kit {

// The file stem of each model's parts and default texture: its texture prefix without the
// final hyphen ("crf450v2013" for "crf450v2013-").
std::string bike_file_stem(const char* texture_prefix);

// Every stem, once, in catalogue order.
std::vector<std::string> bike_file_stems();

bool write_bikes(const std::string& root);
bool write_rider(const std::string& root);

}  // namespace kit
