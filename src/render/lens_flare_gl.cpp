// The lens flare and the occlusion queries that tell how much of the sun is in sight.
#include <epoxy/gl.h>

#include <algorithm>
#include <vector>

#include "render/lens_flare.h"
#include "render/pixel_projection.h"

namespace br {
namespace {

// The sun is measured over a square this many pixels either side of where it falls: a sun
// sliding behind a ridge fades over a few frames instead of blinking out.
constexpr int kProbeHalf = 2;
// Cut-outs of billboards that hide the sun: nearly clear texels let it through, as they let
// the sky's colour through when blended.
constexpr float kSeeThroughCutout = 0.25f;
constexpr float kAlphaCutout = 0.75f;  // the opaque pass's, put back afterwards

struct FlareProbe {
  GLuint query = 0;
  bool pending = false;  // asked, answer not read yet
  bool stale = false;    // the sun left the window since it was asked
  GLint expected = 0;    // pixels of the square inside the window when asked
  float strength = 0;    // share of the square the sky showed at the last answer
};
std::vector<FlareProbe> g_probes;

bool queries_available() {
  return epoxy_gl_version() >= 15;
}

// The answer of the last frame's query, when the driver has it; never waits for it.
void collect(FlareProbe& p) {
  if (!p.pending) return;
  // A context made since the query was asked knows nothing of it.
  if (!glIsQuery(p.query)) {
    p = FlareProbe{};
    return;
  }
  GLuint ready = 0;
  glGetQueryObjectuiv(p.query, GL_QUERY_RESULT_AVAILABLE, &ready);
  if (!ready) return;
  GLuint passed = 0;
  glGetQueryObjectuiv(p.query, GL_QUERY_RESULT, &passed);
  p.pending = false;
  if (p.stale) {
    p.stale = false;
    return;
  }
  p.strength = p.expected > 0 ? std::min(1.0f, static_cast<float>(passed) / p.expected) : 0.0f;
}

// Where a flare's sun falls in the window, in pixels from the bottom left; false when it is
// behind the camera or outside the window.
bool sun_pixel(const LensFlare& flare, const LightingFile& f, const ViewCamera& camera, int width,
               int height, double* sx, double* sy) {
  Vec3 at = flare.where;
  if (flare.is_direction) {
    for (int k = 0; k < 3; ++k)
      at[static_cast<size_t>(k)] = camera.eye[k] + flare.where[k] * f.far_plane * 0.5f;
  }
  // Behind the camera it projects through the eye: nothing to see.
  Vec3 back = camera.backward();
  float ahead = -((at[0] - camera.eye[0]) * back[0] + (at[1] - camera.eye[1]) * back[1] +
                  (at[2] - camera.eye[2]) * back[2]);
  if (ahead <= 0) return false;
  GLdouble model[16], proj[16];
  GLint view[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, proj);
  glGetIntegerv(GL_VIEWPORT, view);
  double clip[4], eye_space[4];
  for (int r = 0; r < 4; ++r) {
    eye_space[r] = model[r] * at[0] + model[4 + r] * at[1] + model[8 + r] * at[2] + model[12 + r];
  }
  for (int r = 0; r < 4; ++r) {
    clip[r] = proj[r] * eye_space[0] + proj[4 + r] * eye_space[1] + proj[8 + r] * eye_space[2] +
              proj[12 + r] * eye_space[3];
  }
  if (clip[3] <= 0) return false;
  *sx = view[0] + (clip[0] / clip[3] + 1) * 0.5 * view[2];
  *sy = view[1] + (clip[1] / clip[3] + 1) * 0.5 * view[3];
  return *sx >= 0 && *sy >= 0 && *sx < width && *sy < height;
}

// Its elements spread along the line from the sun to the centre of the window, a = 0 at the
// sun, 1 at the centre; `size` is a fraction of the window's height.
void draw_elements(const Lighting& l, size_t i, double sx, double sy, float strength, int width,
                   int height) {
  const LensFlare& flare = l.file.flares[i];
  const PixelProjection pixels(width, height);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glAlphaFunc(GL_GREATER, 0.0f);
  for (size_t e = 0; e < flare.elements.size() && e < l.flare_textures[i].size(); ++e) {
    const FlareElement& el = flare.elements[e];
    double cx = sx + (width / 2.0 - sx) * el.a, cy = sy + (height / 2.0 - sy) * el.a;
    double half = el.size * height / 2;
    glBindTexture(GL_TEXTURE_2D, l.flare_textures[i][e]);
    glColor4f(el.colour[0], el.colour[1], el.colour[2], strength);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2d(cx - half, cy - half);
    glTexCoord2f(1, 1);
    glVertex2d(cx + half, cy - half);
    glTexCoord2f(1, 0);
    glVertex2d(cx + half, cy + half);
    glTexCoord2f(0, 0);
    glVertex2d(cx - half, cy + half);
    glEnd();
  }
  glColor4f(1, 1, 1, 1);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glAlphaFunc(GL_GREATER, kAlphaCutout);
}

// Counts the pixels of the square around the sun that nothing was drawn in front of: the sky
// lies at the far end of the depth range, where the depth buffer was cleared to.
void ask(FlareProbe& p, double sx, double sy, int width, int height,
         const std::function<void()>& draw_see_through) {
  const int x = static_cast<int>(sx), y = static_cast<int>(sy);
  const int x0 = std::max(0, x - kProbeHalf), x1 = std::min(width, x + kProbeHalf);
  const int y0 = std::max(0, y - kProbeHalf), y1 = std::min(height, y + kProbeHalf);
  if (x1 <= x0 || y1 <= y0) return;
  if (p.query == 0) glGenQueries(1, &p.query);
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT |
               GL_VIEWPORT_BIT | GL_CURRENT_BIT);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glEnable(GL_SCISSOR_TEST);
  glScissor(x0, y0, x1 - x0, y1 - y0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  glDisable(GL_BLEND);
  // Billboards and dirt are blended without depth; here they take their place in it.
  glDepthMask(GL_TRUE);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, kSeeThroughCutout);
  draw_see_through();
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_FALSE);
  glDepthRange(1, 1);
  {
    const PixelProjection pixels(width, height);
    glBeginQuery(GL_SAMPLES_PASSED, p.query);
    glBegin(GL_QUADS);
    glVertex2i(x0, y0);
    glVertex2i(x1, y0);
    glVertex2i(x1, y1);
    glVertex2i(x0, y1);
    glEnd();
    glEndQuery(GL_SAMPLES_PASSED);
  }
  glPopAttrib();
  p.pending = true;
  p.expected = (x1 - x0) * (y1 - y0);
}

}  // namespace

void draw_lens_flare(const Lighting& l, const ViewCamera& camera, int width, int height,
                     const std::function<void()>& draw_see_through) {
  const LightingFile& f = l.file;
  const size_t count = std::min(f.flares.size(), l.flare_textures.size());
  if (count == 0 || !queries_available()) return;
  if (g_probes.size() != count) {
    lens_flare_release();
    g_probes.resize(count);
  }
  for (size_t i = 0; i < count; ++i) {
    FlareProbe& p = g_probes[i];
    collect(p);
    double sx = 0, sy = 0;
    if (!sun_pixel(f.flares[i], f, camera, width, height, &sx, &sy)) {
      p.strength = 0;
      p.stale = p.pending;
      continue;
    }
    if (p.strength > 0) draw_elements(l, i, sx, sy, p.strength, width, height);
    if (!p.pending) ask(p, sx, sy, width, height, draw_see_through);
  }
}

void lens_flare_release() {
  for (FlareProbe& p : g_probes) {
    if (p.query != 0 && glIsQuery(p.query)) glDeleteQueries(1, &p.query);
  }
  g_probes.clear();
}

void lens_flare_forget() {
  g_probes.clear();
}

}  // namespace br
