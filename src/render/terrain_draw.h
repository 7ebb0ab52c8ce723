// Drawing the ground through its detail tree. Game only: needs the OpenGL context.
#pragma once

#include "render/terrain_lod.h"
#include "render/view_frustum.h"

namespace br {

// Chooses the detail for a camera at `eye` (feet) and draws the terrain's leaves front to
// back: each textured with the ground tile under its centre, repeated once per tile, and
// coloured by the baked shading and shadows. The caller has set the projection and the view
// (translated by minus the eye) and enabled depth testing; the GL state is left as found.
// Leaves wholly outside `frustum` (when given) are left out.
void terrain_draw(const float eye[3], TerrainLod& lod, const ViewFrustum* frustum = nullptr);

// Deletes the textures made for tiles kept as pictures. Call before those pictures are freed
// (texture_delete_all) and while the context is current.
void terrain_gl_release();

}  // namespace br
