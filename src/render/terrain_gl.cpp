#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/ground_textures.h"
#include "render/ground_vertices.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "render/view_frustum.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

// The ground's vertices kept on the card between frames: one per height sample, so a frame
// only sends the fans' sample numbers, and dug ground only the samples it changed.
struct GroundBuffer {
  GLuint id = 0;          // buffer object; 0 when the driver has none
  uint64_t serial = 0;    // the detail tree build the vertices belong to
  int side = 0;
  std::array<float, 3> sun{};         // the light dug ground was coloured for
  std::vector<GroundVertex> memory;   // the vertices themselves without buffer objects
  std::vector<GroundVertex> row;      // one row on its way to the card
};

GroundBuffer& ground_buffer() {
  static GroundBuffer buffer;
  return buffer;
}

// One frame's leaves and what covers each, kept between frames to avoid reallocating.
struct GroundFrame {
  TerrainFans fans;
  std::vector<GLuint> textures;              // per fan
  std::vector<const GroundTexture*> ground;  // per fan, null for a repeated tile
  std::vector<GLuint> indices;               // one run of fans as triangles
};

GroundFrame& ground_frame() {
  static GroundFrame frame;
  return frame;
}

// Tiles kept as pictures (ground composed in software) get a repeating texture of their own
// the first time they are drawn.
struct PictureTexture {
  const Image* image;
  GLuint id;
};

std::vector<PictureTexture>& picture_textures() {
  static std::vector<PictureTexture> textures;
  return textures;
}

GLuint upload_picture(const Image& image) {
  static constexpr GLenum kFormats[5] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
  if (image.components < 1 || image.components > 4 || image.width < 1 || image.height < 1) {
    return 0;
  }
  const GLenum format = kFormats[image.components];
  GLuint id = 0;
  glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int level = 0; level < image.levels; ++level) {
    if (level_offset(image, level) + level_bytes(image, level) > image.pixels.size()) break;
    glTexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(format),
                 mip_dimension(image.width, level), mip_dimension(image.height, level), 0, format,
                 GL_UNSIGNED_BYTE, image.pixels.data() + level_offset(image, level));
  }
  glPopClientAttrib();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, image.levels - 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  image.levels > 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  return id;
}

GLuint picture_texture(const Image* image) {
  if (!image) return 0;
  // The pictures of an earlier track may be gone, and a new one may live at the same address.
  static int uploaded_generation = texture_generation();
  if (texture_generation() != uploaded_generation) {
    terrain_gl_release();
    uploaded_generation = texture_generation();
  }
  for (const PictureTexture& p : picture_textures()) {
    if (p.image == image) return p.id;
  }
  GLuint id = upload_picture(*image);
  picture_textures().push_back({image, id});
  return id;
}

GLuint tile_texture(const TileType& tile) {
  return tile.texture ? tile.texture : picture_texture(tile.image);
}

bool buffers_available() {
  return epoxy_gl_version() >= 15 || epoxy_has_gl_extension("GL_ARB_vertex_buffer_object");
}

// Sends the vertices of the samples in `r` (the buffer is bound when it exists).
void send_samples(GroundBuffer& b, const Terrain& t, const LodRect& r,
                  const std::array<float, 3>& sun) {
  const size_t n = static_cast<size_t>(r.x1 - r.x0 + 1);
  for (int row = r.z0; row <= r.z1; ++row) {
    const size_t first = static_cast<size_t>(r.x0) + static_cast<size_t>(t.side) * row;
    if (!b.id) {
      ground_vertices_fill(t, row, r.x0, r.x1, sun, &b.memory[first]);
      continue;
    }
    b.row.resize(n);
    ground_vertices_fill(t, row, r.x0, r.x1, sun, b.row.data());
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(first * sizeof(GroundVertex)),
                    static_cast<GLsizeiptr>(n * sizeof(GroundVertex)), b.row.data());
  }
  render_stats().ground_samples_sent.value += static_cast<int>(n) * (r.z1 - r.z0 + 1);
}

// Brings the card's vertices up to the heights: all of them for a new ground (or a new sun on
// dug ground), otherwise only what the wheels changed since the last frame. Leaves the buffer
// bound.
void keep_vertices_current(GroundBuffer& b, TerrainLod& lod) {
  const Terrain& t = *lod.terrain;
  const std::array<float, 3>& sun = render_settings().sun_direction;
  LodRegions changed = terrain_lod_take_redraw(lod);
  if (b.serial != lod.serial || b.side != t.side || (t.modified && b.sun != sun)) {
    b.serial = lod.serial;
    b.side = t.side;
    b.sun = sun;
    const size_t count = static_cast<size_t>(t.side) * t.side;
    if (!b.id && buffers_available()) glGenBuffers(1, &b.id);
    if (b.id) {
      while (glGetError() != GL_NO_ERROR) {
      }
      glBindBuffer(GL_ARRAY_BUFFER, b.id);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(GroundVertex)),
                   nullptr, GL_DYNAMIC_DRAW);
      if (glGetError() == GL_NO_ERROR) {
        std::vector<GroundVertex>().swap(b.memory);
      } else {
        // No room on the card: the ground is drawn from memory instead.
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDeleteBuffers(1, &b.id);
        b.id = 0;
      }
    }
    if (!b.id) b.memory.resize(count);
    changed.rects[0] = {0, 0, t.side - 1, t.side - 1};
    changed.count = 1;
  }
  if (b.id) glBindBuffer(GL_ARRAY_BUFFER, b.id);
  for (int i = 0; i < changed.count; ++i) {
    const LodRect r = ground_vertices_affected(t, changed.rects[i]);
    if (!r.empty()) send_samples(b, t, r, sun);
  }
}

// Keeps only the leaves that can show: a leaf's box spans the terrain's whole height range,
// so only the horizontal extent really decides.
void cull_fans(const Terrain& t, const ViewFrustum& frustum, TerrainFans& fans) {
  size_t kept = 0;
  size_t triangles = 0;
  for (const TerrainFan& fan : fans.fans) {
    const float side =
        static_cast<float>(t.side - 1) / static_cast<float>(1 << fan.level) * t.spacing;
    const float low[3] = {static_cast<float>(fan.x) * side, t.min_height,
                          static_cast<float>(fan.z) * side};
    const float high[3] = {low[0] + side, t.max_height, low[2] + side};
    if (!frustum_sees_box(frustum, low, high)) continue;
    fans.fans[kept++] = fan;
    triangles += fan.count - 2;
  }
  fans.fans.resize(kept);
  fans.triangles = triangles;
}

// Per fan: the composed ground texture that covers it (or null to draw the tile repeated) and
// the texture to bind.
void choose_textures(const Terrain& t, GroundFrame& a) {
  a.ground.resize(a.fans.fans.size());
  a.textures.resize(a.fans.fans.size());
  for (size_t f = 0; f < a.fans.fans.size(); ++f) {
    const TerrainFan& fan = a.fans.fans[f];
    const int span = (t.side - 1) >> fan.level;
    const GroundTexture* g = ground_texture_for(fan.x * span, fan.z * span, span);
    a.ground[f] = g;
    if (g) {
      a.textures[f] = g->colour;
      continue;
    }
    if (t.tiles.empty()) {
      a.textures[f] = 0;
      continue;
    }
    const float side = static_cast<float>(span) * t.spacing;
    const float cx = (static_cast<float>(fan.x) + 0.5f) * side;
    const float cz = (static_cast<float>(fan.z) + 0.5f) * side;
    a.textures[f] = tile_texture(t.tiles[std::min<size_t>(tile_at(t, cx, cz), t.tiles.size() - 1)]);
  }
}

// The texture coordinates come from the vertex positions: a composed texture spans its block
// of cells once, a repeated tile once per tile.
void load_texture_matrix(const Terrain& t, const GroundTexture* g) {
  float scale = 1.0f / t.tile_size, s0 = 0, t0 = 0;
  if (g && g->cells > 0) {
    // Two sample intervals to a cell.
    scale = 0.5f / (static_cast<float>(g->cells) * t.spacing);
    s0 = -static_cast<float>(g->x0) / static_cast<float>(g->cells);
    t0 = -static_cast<float>(g->z0) / static_cast<float>(g->cells);
  }
  // Column-major: s from x, t from z.
  const float m[16] = {scale, 0, 0, 0, 0, 0, 0, 0, 0, scale, 0, 0, s0, t0, 0, 1};
  glLoadMatrixf(m);
}

// The fans [first, last) as one list of triangles of sample numbers.
void draw_indexed(GroundFrame& a, size_t first, size_t last) {
  a.indices.clear();
  for (size_t f = first; f < last; ++f) {
    const TerrainFan& fan = a.fans.fans[f];
    const uint32_t* s = &a.fans.samples[fan.first];
    for (uint32_t k = 1; k + 1 < fan.count; ++k) {
      a.indices.push_back(s[0]);
      a.indices.push_back(s[k]);
      a.indices.push_back(s[k + 1]);
    }
  }
  if (a.indices.empty()) return;
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(a.indices.size()), GL_UNSIGNED_INT,
                 a.indices.data());
}

// The --novertexarrays way: every vertex sent by hand.
void draw_immediate(const Terrain& t, GroundFrame& a, size_t first, size_t last, bool composed) {
  const std::array<float, 3>& sun = render_settings().sun_direction;
  GroundVertex v;
  for (size_t f = first; f < last; ++f) {
    const TerrainFan& fan = a.fans.fans[f];
    glBegin(GL_TRIANGLE_FAN);
    for (uint32_t i = fan.first; i < fan.first + fan.count; ++i) {
      const uint32_t s = a.fans.samples[i];
      const int c = static_cast<int>(s % static_cast<uint32_t>(t.side));
      const int r = static_cast<int>(s / static_cast<uint32_t>(t.side));
      ground_vertices_fill(t, r, c, c, sun, &v);
      glColor4ubv(composed ? v.dug.data() : v.lit.data());
      glTexCoord3f(v.x, v.y, v.z);
      glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
  }
}

void bind_ground(GLuint id, GLuint& bound) {
  if (id == bound) return;
  if (id) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, id);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  bound = id;
  render_stats().texture_changes.value += 1;
}

void bind_maps(const GroundTexture& g) {
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, g.normal);
  glActiveTexture(GL_TEXTURE2);
  glBindTexture(GL_TEXTURE_2D, g.specular);
  glActiveTexture(GL_TEXTURE0);
}

void set_texture_environment() {
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  // The shading is stored at half intensity: texture x colour x 2 restores it and lets lit
  // ground be brighter than its texture.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
  glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, 2.0f);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_PRIMARY_COLOR);
}

}  // namespace

void terrain_draw(const float eye[3], TerrainLod& lod, const ViewFrustum* frustum) {
  if (!lod.terrain) return;
  const Terrain& t = *lod.terrain;
  if (t.side < 2 || t.heights.size() != static_cast<size_t>(t.side) * t.side) return;
  GroundFrame& a = ground_frame();
  terrain_lod_mark(lod, eye[0], eye[2]);
  terrain_lod_fans(lod, eye[0], eye[2], a.fans);
  if (frustum) cull_fans(t, *frustum, a.fans);
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
  choose_textures(t, a);  // may upload tile pictures
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  set_texture_environment();
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();

  GroundBuffer& b = ground_buffer();
  const bool arrays = render_settings().vertex_arrays;
  // Vertex data: offsets into the buffer, or its copy in memory. An address held as a number,
  // because offsets from a null pointer are undefined where GL wants them as pointers.
  uintptr_t base = 0;
  auto at = [&base](size_t offset) { return reinterpret_cast<const void*>(base + offset); };
  if (arrays) {
    keep_vertices_current(b, lod);
    if (!b.id) base = reinterpret_cast<uintptr_t>(b.memory.data());
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    const GLsizei stride = sizeof(GroundVertex);
    glVertexPointer(3, GL_FLOAT, stride, at(offsetof(GroundVertex, x)));
    glTexCoordPointer(3, GL_FLOAT, stride, at(offsetof(GroundVertex, x)));
  }
  const bool lit_by_shader = render_settings().terrain_shaders;
  GLuint bound = ~0u;
  // Leaves come front to back; neighbours mostly share a texture and go in one call.
  for (size_t first = 0, last = 0; first < a.fans.fans.size(); first = last) {
    const GroundTexture* g = a.ground[first];
    for (last = first + 1; last < a.fans.fans.size(); ++last) {
      if (a.textures[last] != a.textures[first] || a.ground[last] != g) break;
    }
    if (lit_by_shader) {
      // The terrain program lights only composed ground with its normal and specular maps.
      const bool maps = g && g->normal && g->specular;
      if (maps) bind_maps(*g);
      const int lit = g && g->highlights ? kShaderTerrain : kShaderTerrainPlain;
      shader_use(maps ? lit : kShaderFixed);
    }
    bind_ground(a.textures[first], bound);
    // Composed ground's vertex colour is at half intensity again (see kComposedGrey).
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, g ? 4.0f : 2.0f);
    load_texture_matrix(t, g);
    if (!arrays) {
      draw_immediate(t, a, first, last, g != nullptr);
      continue;
    }
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(GroundVertex),
                   at(g ? offsetof(GroundVertex, dug) : offsetof(GroundVertex, lit)));
    draw_indexed(a, first, last);
  }
  render_stats().ground_polygons.value += static_cast<int>(a.fans.triangles);
  if (lit_by_shader) shader_use(kShaderFixed);
  glPopMatrix();
  if (b.id) glBindBuffer(GL_ARRAY_BUFFER, 0);
  glPopClientAttrib();
  glPopAttrib();
}

void terrain_gl_release() {
  ground_textures_release();
  for (const PictureTexture& p : picture_textures()) glDeleteTextures(1, &p.id);
  picture_textures().clear();
  GroundBuffer& b = ground_buffer();
  if (b.id) glDeleteBuffers(1, &b.id);
  b = GroundBuffer{};
}

}  // namespace br
