// The sun's lens flare. Whether the sun is in sight is asked of the driver with an occlusion
// query over a few pixels where it is drawn, and the answer used a frame later: reading the
// frame back while it is being drawn would make the processor wait for every pixel before it.
// Game only.
#pragma once

#include <functional>

#include "render/view_camera.h"
#include "track/scenery.h"

namespace br {

// Draws the flares of `l` over the finished frame with the strength last measured, then asks
// how much of the sun the frame shows for the next one. `draw_see_through` draws what hides
// the sun without writing depth (billboards, flying dirt) into the depth buffer only; it is
// called, clipped to the few pixels around the sun, only while a flare is in the window.
void draw_lens_flare(const Lighting& l, const ViewCamera& camera, int width, int height,
                     const std::function<void()>& draw_see_through);

// Deletes the queries and forgets what they measured; the context must be current.
void lens_flare_release();
// Forgets them without a word to the driver, once the context that held them is gone.
void lens_flare_forget();

}  // namespace br
