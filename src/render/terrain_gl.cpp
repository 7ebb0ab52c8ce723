#include <epoxy/gl.h>

#include <algorithm>
#include <vector>

#include "render/ground_textures.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/rut_light.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

// The vertex arrays of one frame's fans, kept between frames to avoid reallocating.
struct GroundArrays {
  TerrainFans fans;
  std::vector<float> positions;              // x, y, z feet
  std::vector<float> texcoords;              // one unit per tile
  std::vector<uint8_t> colours;              // r, g, b, a
  std::vector<GLuint> textures;              // per fan
  std::vector<const GroundTexture*> ground;  // per fan, null for a repeated tile
  std::vector<GLuint> indices;               // one run of fans as triangles
};

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

// The fans [first, last) as one list of triangles: a single call draws a run of leaves that
// share a texture.
void draw_fan_run(GroundArrays& a, size_t first, size_t last) {
  a.indices.clear();
  for (size_t f = first; f < last; ++f) {
    const TerrainFan& fan = a.fans.fans[f];
    for (uint32_t k = fan.first + 1; k + 1 < fan.first + fan.count; ++k) {
      a.indices.push_back(fan.first);
      a.indices.push_back(k);
      a.indices.push_back(k + 1);
    }
  }
  if (!a.indices.empty()) {
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(a.indices.size()), GL_UNSIGNED_INT,
                   a.indices.data());
  }
}

GroundArrays& ground_arrays() {
  static GroundArrays arrays;
  return arrays;
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

// Shadows darken the baked shading but never to black, so shadowed ground keeps its texture.
constexpr float kShadowStrength = 1.0f - kShadowKeeps;

// Per fan: the composed ground texture that covers it, or null to draw the tile repeated.
void choose_ground(const Terrain& t, GroundArrays& a) {
  a.ground.resize(a.fans.fans.size());
  for (size_t f = 0; f < a.fans.fans.size(); ++f) {
    const TerrainFan& fan = a.fans.fans[f];
    const int span = (t.side - 1) >> fan.level;
    a.ground[f] = ground_texture_for(fan.x * span, fan.z * span, span);
  }
}

void fill_arrays(const Terrain& t, GroundArrays& a) {
  const size_t n = a.fans.samples.size();
  a.positions.resize(n * 3);
  a.texcoords.resize(n * 2);
  a.colours.resize(n * 4);
  const bool shaded = t.shading.size() == t.heights.size() * 3;
  const bool shadowed = t.shadows.size() == t.heights.size();
  const bool dug = t.modified;
  const std::array<float, 3>& sun = render_settings().sun_direction;
  choose_ground(t, a);
  a.textures.resize(a.fans.fans.size());
  for (size_t f = 0; f < a.fans.fans.size(); ++f) {
    const TerrainFan& fan = a.fans.fans[f];
    const GroundTexture* g = a.ground[f];
    // A composed texture holds its cells' light already; a repeated tile takes it per vertex.
    const float origin_x = g ? 2.0f * static_cast<float>(g->x0) : 0;
    const float origin_z = g ? 2.0f * static_cast<float>(g->z0) : 0;
    const float per_sample = g ? 0.5f / static_cast<float>(g->cells) : t.spacing / t.tile_size;
    for (uint32_t i = fan.first; i < fan.first + fan.count; ++i) {
      const uint32_t s = a.fans.samples[i];
      const int c = static_cast<int>(s % static_cast<uint32_t>(t.side));
      const int r = static_cast<int>(s / static_cast<uint32_t>(t.side));
      a.positions[3 * i] = static_cast<float>(c) * t.spacing;
      a.positions[3 * i + 1] = t.heights[s];
      a.positions[3 * i + 2] = static_cast<float>(r) * t.spacing;
      a.texcoords[2 * i] = (static_cast<float>(c) - origin_x) * per_sample;
      a.texcoords[2 * i + 1] = (static_cast<float>(r) - origin_z) * per_sample;
      const float rut = dug ? rut_light(t, c, r, sun) : 1.0f;
      if (g) {
        // Composed ground is already at full light: ruts can only darken it.
        const auto shade = static_cast<uint8_t>(255 * std::min(rut, 1.0f));
        std::fill_n(&a.colours[4 * i], 3, shade);
        a.colours[4 * i + 3] = 255;
        continue;
      }
      float light =
          shadowed ? 1.0f - kShadowStrength * static_cast<float>(t.shadows[s]) / 255.0f : 1.0f;
      light *= rut;
      for (int k = 0; k < 3; ++k) {
        float base =
            shaded ? static_cast<float>(t.shading[3 * static_cast<size_t>(s) + k]) : 128.0f;
        a.colours[4 * i + k] = static_cast<uint8_t>(std::clamp(base * light, 0.0f, 255.0f));
      }
      a.colours[4 * i + 3] = 255;
    }
    if (g) {
      a.textures[f] = g->colour;
      continue;
    }
    const float side =
        static_cast<float>(t.side - 1) / static_cast<float>(1 << fan.level) * t.spacing;
    float cx = (static_cast<float>(fan.x) + 0.5f) * side;
    float cz = (static_cast<float>(fan.z) + 0.5f) * side;
    if (t.tiles.empty()) {
      a.textures[f] = 0;
      continue;
    }
    a.textures[f] = tile_texture(t.tiles[std::min<size_t>(tile_at(t, cx, cz), t.tiles.size() - 1)]);
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

}  // namespace

void terrain_draw(const float eye[3], TerrainLod& lod, const ViewFrustum* frustum) {
  if (!lod.terrain) return;
  const Terrain& t = *lod.terrain;
  GroundArrays& a = ground_arrays();
  terrain_lod_mark(lod, eye[0], eye[2]);
  terrain_lod_fans(lod, eye[0], eye[2], a.fans);
  if (frustum) cull_fans(t, *frustum, a.fans);
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
  fill_arrays(t, a);  // may upload tile pictures

  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
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

  const bool arrays = render_settings().vertex_arrays;
  if (arrays) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, a.positions.data());
    glTexCoordPointer(2, GL_FLOAT, 0, a.texcoords.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, a.colours.data());
  }
  const bool lit_by_shader = render_settings().terrain_shaders;
  GLuint bound = ~0u;
  size_t run = 0;  // first fan not yet drawn, with vertex arrays
  for (size_t f = 0; f < a.fans.fans.size(); ++f) {
    const TerrainFan& fan = a.fans.fans[f];
    const GroundTexture* g = a.ground[f];
    if (arrays && a.textures[f] == bound) continue;  // same run
    if (arrays) draw_fan_run(a, run, f);
    run = f;
    if (lit_by_shader) {
      // The terrain program lights only composed ground with its normal and specular maps.
      bool maps = g && g->normal && g->specular;
      if (maps && g->colour != bound) bind_maps(*g);
      shader_use(maps ? kShaderTerrain : kShaderFixed);
    }
    bind_ground(a.textures[f], bound);
    if (arrays) continue;
    glBegin(GL_TRIANGLE_FAN);
    for (uint32_t i = fan.first; i < fan.first + fan.count; ++i) {
      glColor4ubv(&a.colours[4 * i]);
      glTexCoord2fv(&a.texcoords[2 * i]);
      glVertex3fv(&a.positions[3 * i]);
    }
    glEnd();
  }
  if (arrays) draw_fan_run(a, run, a.fans.fans.size());
  render_stats().ground_polygons.value += static_cast<int>(a.fans.triangles);
  if (lit_by_shader) shader_use(kShaderFixed);
  glPopClientAttrib();
  glPopAttrib();
}

void terrain_gl_release() {
  ground_textures_release();
  for (const PictureTexture& p : picture_textures()) glDeleteTextures(1, &p.id);
  picture_textures().clear();
}

}  // namespace br
