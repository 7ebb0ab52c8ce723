#include "render/title_screen.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "render/pixel_projection.h"
#include "render/text_draw.h"

namespace br {
namespace {

// Text sizes as fractions of the frame height, so the screen reads the same at any size.
constexpr float kProgressLine = 1.0f / 14;
constexpr float kVersionLine = 1.0f / 28;
constexpr float kPausedLine = 1.0f / 10;
constexpr float kTourNameLine = 1.0f / 16;
constexpr float kMinimumLine = 10.0f;     // pixels: below this the letters blur together
constexpr float kProgressHeight = 0.22f;  // of the frame, from the bottom

float line_height(int height, float share) {
  return std::max(kMinimumLine, share * static_cast<float>(height));
}

// Centred text whose first line's bottom sits at `y` pixels, `line` pixels high.
void centred_line(std::string_view text, float left, float right, float y, float line) {
  glPushMatrix();
  glTranslatef(0, y, 0);
  glScalef(line, line, 1);
  text_draw_centred(1, 1, 1, 1, left / line, right / line, text);
  glPopMatrix();
}

void draw_picture(TextureId title, int width, int height) {
  if (title == 0) return;
  GLint tw = 0, th = 0;
  glBindTexture(GL_TEXTURE_2D, title);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &tw);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &th);
  if (tw <= 0 || th <= 0) return;
  // As large as fits, keeping the picture's shape.
  float scale = std::min(static_cast<float>(width) / tw, static_cast<float>(height) / th);
  float w = tw * scale, h = th * scale;
  float x0 = 0.5f * (width - w), y0 = 0.5f * (height - h);
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(x0, y0);
  glTexCoord2f(1, 1);
  glVertex2f(x0 + w, y0);
  glTexCoord2f(1, 0);
  glVertex2f(x0 + w, y0 + h);
  glTexCoord2f(0, 0);
  glVertex2f(x0, y0 + h);
  glEnd();
  glPopAttrib();
}

}  // namespace

void draw_title_screen(TextureId title, int width, int height, std::string_view version,
                       std::string_view progress) {
  if (width <= 0 || height <= 0) return;
  PixelProjection projection(width, height);
  draw_picture(title, width, height);

  float version_line = line_height(height, kVersionLine);
  float margin = 0.5f * version_line;
  float right = static_cast<float>(width) - margin;
  float left = right - text_width(game_fonts().main, version) * version_line;
  centred_line(version, left, right, margin, version_line);

  if (!progress.empty()) {
    float line = line_height(height, kProgressLine);
    centred_line(progress, 0, static_cast<float>(width), kProgressHeight * height, line);
  }
}

void draw_paused_text(int width, int height) {
  if (width <= 0 || height <= 0) return;
  PixelProjection projection(width, height);
  float line = line_height(height, kPausedLine);
  centred_line("Paused", 0, static_cast<float>(width), 0.5f * (height - line), line);
}

void draw_top_line(int width, int height, std::string_view text) {
  if (width <= 0 || height <= 0 || text.empty()) return;
  PixelProjection projection(width, height);
  float line = line_height(height, kTourNameLine);
  centred_line(text, 0, static_cast<float>(width), height - 1.5f * line, line);
}

}  // namespace br
