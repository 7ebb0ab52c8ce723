// Drawing the world for one frame from one camera: sky, terrain, bikes and riders, statues,
// billboards, particles, faded riders and the lens flare, in the order that lets depth
// testing, alpha cut-outs and blending work without sorting most geometry. Game only.
#pragma once

#include "render/view_camera.h"
#include "world/world.h"

namespace br {

// Draws into the current buffer of `width` x `height` pixels. `viewed_slot` and `view_mode`
// say whose eyes the rider view looks from, so that rider can be left out of his own view.
void scene_draw(World& w, const ViewCamera& camera, int viewed_slot, int view_mode, int width,
                int height);

// One bike with its rider, part by part at its bodies' poses. `opacity` below 1 blends it.
// `first_person`: drawn around the rider's own eyes ("Hide 1st Person Rider" applies).
void draw_bike(World& w, Bike& bike, const float eye[3], float opacity, bool first_person);

// The skinned-mesh hook for the model drawer: poses rider meshes with the bones of the rider
// being drawn.
void install_rider_skinning();

}  // namespace br
