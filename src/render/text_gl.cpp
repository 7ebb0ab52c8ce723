#include <epoxy/gl.h>

#include "render/text_draw.h"

namespace br {
namespace {

constexpr float kShadowOffset = 1.0f / 16;  // line heights

}  // namespace

void text_draw(const Font& font, float red, float green, float blue, float alpha,
               std::string_view text, int flags) {
  TextLayout layout = layout_text(font, text, {red, green, blue, alpha}, flags);
  if (layout.quads.empty() || font.texture == 0) return;
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, font.texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBegin(GL_QUADS);
  for (const TextQuad& q : layout.quads) {
    Glyph g = glyph_texture_rect(font, font.glyph(q.code));
    float x0 = q.x, x1 = q.x + q.width;
    float y0 = -q.line, y1 = 1.0f - q.line;
    glColor4f(q.colour[0], q.colour[1], q.colour[2], q.colour[3]);
    glTexCoord2f(g.left, g.bottom);
    glVertex2f(x0, y0);
    glTexCoord2f(g.right, g.bottom);
    glVertex2f(x1, y0);
    glTexCoord2f(g.right, g.top);
    glVertex2f(x1, y1);
    glTexCoord2f(g.left, g.top);
    glVertex2f(x0, y1);
  }
  glEnd();
  glPopAttrib();
}

void text_draw(float red, float green, float blue, float alpha, std::string_view text, int flags) {
  text_draw(game_fonts().main, red, green, blue, alpha, text, flags);
}

void text_draw_centred(const Font& font, float red, float green, float blue, float alpha,
                       float left, float right, std::string_view text) {
  float x = 0.5f * (left + right - text_width(font, text));
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glTranslatef(x + kShadowOffset, -kShadowOffset, 0);
  text_draw(font, 0, 0, 0, 0.5f * alpha, text, kTextShadowPass);
  glTranslatef(-kShadowOffset, kShadowOffset, 0);
  text_draw(font, red, green, blue, alpha, text);
  glPopMatrix();
}

void text_draw_centred(float red, float green, float blue, float alpha, float left, float right,
                       std::string_view text) {
  text_draw_centred(game_fonts().main, red, green, blue, alpha, left, right, text);
}

}  // namespace br
