// The text model file (".jm"): "JM1" for plain models, "JM2" with the bone count and the
// skeleton name for skinned ones; then per mesh the header "%f %f %f %f %f %d %d"
// (shininess, alpha, specular red, green, blue, vertex and triangle counts), per vertex the
// position, normal and texture coordinates (and one weight per bone), per triangle three
// vertex indices.
#pragma once

#include <string>

#include "mesh.h"

namespace kit {

// Texture v is written bottom-up (1 - v of the picture's rows) as the model reader expects.
std::string encode_jm(const Model& model);

}  // namespace kit
