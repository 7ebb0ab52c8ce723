// Writes the text model file (".jm"); its layout is in render/jm_format.h, which the game's
// model reader shares.
#pragma once

#include <string>

#include "mesh.h"

namespace kit {

// Texture v is written bottom-up, as the model reader expects. A vertex weighs fully on its
// one bone.
std::string encode_jm(const Model& model);

}  // namespace kit
