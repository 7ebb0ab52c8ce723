// The collision shapes: the seven generic bike and rider shapes, and the scenery objects'.
#pragma once

#include <string>
#include <vector>

#include "bike/shape_format.h"

namespace kit {

// Each generic shape by its file name (without "@"), in the order of the shape check.
std::vector<std::pair<std::string, std::vector<br::ShapeSphere>>> generic_shapes();

bool write_generic_shapes(const std::string& root);

}  // namespace kit
