// Pixel coordinates with the origin at the bottom left of the frame, for as long as the value
// lives: screens and overlays drawn over the scene in pixels. Leaves the model view matrix
// current, as it found it.
#pragma once

#include <epoxy/gl.h>

#include <array>

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

// A flat, blended rectangle over whatever is drawn (panels, bands, highlights), whatever the
// scene left enabled.
inline void fill_pixel_rect(const std::array<float, 4>& rgba, float x0, float y0, float x1,
                            float y1) {
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(rgba[0], rgba[1], rgba[2], rgba[3]);
  glBegin(GL_QUADS);
  glVertex2f(x0, y0);
  glVertex2f(x1, y0);
  glVertex2f(x1, y1);
  glVertex2f(x0, y1);
  glEnd();
  glPopAttrib();
}

}  // namespace br
