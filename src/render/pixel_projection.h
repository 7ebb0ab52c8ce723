// Pixel coordinates with the origin at the bottom left of the frame, for as long as the value
// lives: screens and overlays drawn over the scene in pixels. Leaves the model view matrix
// current, as it found it.
#pragma once

#include <epoxy/gl.h>

namespace br {

struct PixelProjection {
  PixelProjection(int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
  }
  ~PixelProjection() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
  }
  PixelProjection(const PixelProjection&) = delete;
  PixelProjection& operator=(const PixelProjection&) = delete;
};

}  // namespace br
