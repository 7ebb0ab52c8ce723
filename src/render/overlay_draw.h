// The race overlay drawn over the scene: the viewed rider's pitboard, the results table, the
// information lines with the messages, and the camera tour's running-order ticker. Game only:
// these draw with OpenGL into the current frame. What they say comes from overlay_text.h.
#pragma once

#include <string>
#include <vector>

#include "render/overlay_text.h"
#include "world/world.h"

namespace br {

// Pitboard (not with --hidden-hud; the ticker takes its place in the camera tour), results
// table, information lines and messages, in a frame of `width` x `height` pixels.
void overlay_draw(const World& w, int viewed_slot, int width, int height,
                  const OverlayReadings& readings);

// The running-order band along the bottom of the camera tour.
void camera_tour_ticker(const World& w, int width, int height);

// Pixels per overlay unit: the overlay is laid out for 640 x 480 and grows with the frame.
float overlay_scale(int width, int height);

// Every text run the overlay drew in the latest frame, in drawing order, so tests can see
// what reached the screen without reading letters back from pixels.
struct DrawnText {
  std::string text;
  float x = 0, y = 0;  // pixels, bottom left of the run's first line
  float line = 0;      // line height in pixels
};
const std::vector<DrawnText>& overlay_drawn_texts();

}  // namespace br
