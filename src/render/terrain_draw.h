// Drawing the ground through its detail tree. Game only: needs the OpenGL context.
#pragma once

#include "render/terrain_lod.h"

namespace br {

// Chooses the detail for a camera at `eye` (feet) and draws the terrain's leaves front to
// back: each textured with the ground tile under its centre, repeated once per tile, and
// coloured by the baked shading and shadows. The caller has set the projection and the view
// (translated by minus the eye) and enabled depth testing; the GL state is left as found.
void terrain_draw(const float eye[3], TerrainLod& lod);

}  // namespace br
