// Normal and specular maps made from a picture's brightness taken as the height of its
// surface: bumps where the picture is light, so paint edges, tread and clods catch the light.
#pragma once

#include "image.h"

namespace kit {

// A model's normal map: the tangent-space normal's x, y and z in red, green and blue.
Image model_normal_map(const Image& picture, float bump);
// A ground tile's or decal's normal map: x, z and y in red, green and blue, x negated, as
// the ground's composer reads them.
Image ground_normal_map(const Image& picture, float bump);
// A specular map: the highlight's colour (grey `strength` scaled by the picture's brightness
// when `follow` is set) and the exponent / 128 in alpha.
Image specular_map(const Image& picture, float strength, float exponent, bool follow);
// The ground's form: highlight strength in red, exponent / 128 in green.
Image ground_specular_map(const Image& picture, float strength, float exponent);

}  // namespace kit
