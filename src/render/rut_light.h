// Light for ground the wheels have dug. The track's shading is baked for the ground as
// loaded; where ruts changed its slope the baked light is scaled by how much more or less the
// new slope faces the sun, so ruts and heaps show their shape. No graphics here.
#pragma once

#include <array>

#include "track/terrain.h"

namespace br {

// The factor for the baked light of sample (c, r): 1 where the ground around it is as loaded.
// `sun` is the unit direction toward the sun.
float rut_light(const Terrain& t, int c, int r, const std::array<float, 3>& sun);

}  // namespace br
