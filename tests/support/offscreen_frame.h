// An off-screen frame in the current OpenGL context, so that what a test draws does not depend
// on the hidden window's own pixels, and reading it back.
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <vector>

namespace br_test {

class OffscreenFrame {
 public:
  OffscreenFrame() = default;
  OffscreenFrame(const OffscreenFrame&) = delete;
  OffscreenFrame& operator=(const OffscreenFrame&) = delete;
  ~OffscreenFrame() { release(); }

  // Framebuffer objects come with OpenGL 3 or the extension; without them tests skip.
  static bool supported() {
    return epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_object");
  }

  // A frame of width x height cleared to `grey`, with pixel coordinates from the bottom left.
  // False when the framebuffer is incomplete.
  bool begin(int width, int height, float grey) {
    release();
    width_ = width;
    height_ = height;
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    glViewport(0, 0, width, height);
    glClearColor(grey, grey, grey, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return true;
  }

  // Pixel (x, y) counted from the bottom left.
  std::array<int, 3> pixel(int x, int y) const {
    uint8_t p[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
  }

  // Rows from the top, RGB.
  std::vector<uint8_t> read() const {
    std::vector<uint8_t> rows(static_cast<size_t>(width_) * height_ * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int y = 0; y < height_; ++y) {
      glReadPixels(0, height_ - 1 - y, width_, 1, GL_RGB, GL_UNSIGNED_BYTE,
                   &rows[static_cast<size_t>(y) * width_ * 3]);
    }
    return rows;
  }

  int width() const { return width_; }
  int height() const { return height_; }

  void release() {
    if (framebuffer_) {
      glBindFramebuffer(GL_FRAMEBUFFER, 0);
      glDeleteFramebuffers(1, &framebuffer_);
    }
    if (colour_) glDeleteRenderbuffers(1, &colour_);
    framebuffer_ = colour_ = 0;
  }

 private:
  GLuint framebuffer_ = 0, colour_ = 0;
  int width_ = 0, height_ = 0;
};

}  // namespace br_test
