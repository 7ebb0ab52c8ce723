// Composing the ground's textures: in memory and uploaded (software), drawn into the back
// buffer and copied (copy), or drawn straight into the texture (framebuffer objects).
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/log.h"
#include "render/graphics_caps.h"
#include "render/ground_textures.h"
#include "render/render_files.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/shaders.h"
#include "render/texture_cache.h"

namespace br {
namespace {

// The copy and software methods go through the back buffer or system memory.
constexpr int kSmallMethodMaxSize = 256;
// Tile pictures are read this far in from their edges, as a share of the tile.
constexpr float kTileInset = 1.0f / 128;
// A ground texture without decal specular maps: no highlight (red), the smallest exponent.
constexpr float kPlainSpecular[4] = {0, 1, 1, 1};

struct Ring {
  int level = 0;
  BlockWindow window;
  std::vector<GroundTexture> textures;
};

struct GroundState {
  int generation = -1;  // of the track the textures were made for
  const Terrain* terrain = nullptr;
  GroundComposer composer = GroundComposer::kNone;
  int size = 64;
  bool normals = false;  // normal and specular textures too
  bool mipmaps = false;
  std::vector<GroundTexture> low;
  int low_cells = 64, low_blocks = 1;
  std::vector<Ring> rings;
  std::vector<uint8_t> light;          // per height sample, RGB
  std::vector<GLuint> light_textures;  // light_per_side^2, hardware methods
  std::vector<GLuint> base_textures;   // the ground's own normals, shader path
  int light_per_side = 1;
  GLuint framebuffer = 0;
  std::vector<GroundDecal> soft_decals;
  const std::vector<Decal>* decals = nullptr;
  Terrain soft_terrain;  // the software method's view of the tiles: pictures filled in
};

GroundState& state() {
  static GroundState s;
  return s;
}

// A bound texture that never wraps: blocks sit edge to edge and must not bleed into each other.
GLuint new_clamped_texture(bool mipmaps) {
  GLuint id = 0;
  glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  if (mipmaps) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  return id;
}

GLuint new_texture(int size, bool mipmaps, const float* fill = nullptr) {
  GLuint id = new_clamped_texture(mipmaps);
  std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4, 0);
  if (fill) {
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(fill[i % 4] * 255);
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return id;
}

void delete_texture(unsigned& id) {
  if (id) {
    GLuint name = id;
    glDeleteTextures(1, &name);
  }
  id = 0;
}

GroundTexture make_ground_texture() {
  GroundState& s = state();
  GroundTexture g;
  g.colour = new_texture(s.size, s.mipmaps);
  if (s.normals) {
    g.normal = new_texture(s.size, s.mipmaps);
    g.specular = new_texture(s.size, s.mipmaps, kPlainSpecular);
  }
  return g;
}

// The light picture cut into 512-sample textures with aprons. `texel` fills one texel from a
// sample index.
template <typename Fill>
void cut_light_textures(std::vector<GLuint>& out, Fill texel) {
  GroundState& s = state();
  const int side = s.terrain->side;
  std::vector<uint8_t> rgb(static_cast<size_t>(kLightTextureSize) * kLightTextureSize * 3);
  for (int tz = 0; tz < s.light_per_side; ++tz) {
    for (int tx = 0; tx < s.light_per_side; ++tx) {
      for (int r = 0; r < kLightTextureSize; ++r) {
        int z = std::clamp(tz * kLightUseful - kLightApron + r, 0, side - 1);
        for (int c = 0; c < kLightTextureSize; ++c) {
          int x = std::clamp(tx * kLightUseful - kLightApron + c, 0, side - 1);
          texel(static_cast<size_t>(z) * side + x,
                &rgb[(static_cast<size_t>(r) * kLightTextureSize + c) * 3]);
        }
      }
      GLuint id = new_clamped_texture(false);
      glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kLightTextureSize, kLightTextureSize, 0, GL_RGB,
                   GL_UNSIGNED_BYTE, rgb.data());
      out.push_back(id);
    }
  }
}

// The ground's own normal at every sample (x and z in red and blue) with the shadow's light
// factor in green, for the terrain programs.
void make_base_textures() {
  GroundState& s = state();
  const Terrain& t = *s.terrain;
  const bool shadowed = t.shadows.size() == t.heights.size();
  cut_light_textures(s.base_textures, [&](size_t i, uint8_t* out) {
    int c = static_cast<int>(i % static_cast<size_t>(t.side));
    int r = static_cast<int>(i / static_cast<size_t>(t.side));
    auto h = [&](int cc, int rr) {
      cc = std::clamp(cc, 0, t.side - 1);
      rr = std::clamp(rr, 0, t.side - 1);
      return t.heights[static_cast<size_t>(rr) * t.side + cc];
    };
    float nx = (h(c - 1, r) - h(c + 1, r)) / (2 * t.spacing);
    float nz = (h(c, r - 1) - h(c, r + 1)) / (2 * t.spacing);
    float len = std::sqrt(nx * nx + 1 + nz * nz);
    nx /= len, nz /= len;
    float keep = shadowed ? 1.0f - (1.0f - kShadowKeeps) * t.shadows[i] / 255.0f : 1.0f;
    out[0] = static_cast<uint8_t>(std::lround((nx + 1) * 127.5f));
    out[1] = static_cast<uint8_t>(std::lround(keep * 255));
    out[2] = static_cast<uint8_t>(std::lround((nz + 1) * 127.5f));
  });
}

// The light texture holding the block's samples and the texture coordinates of its corners.
GLuint light_texture_for(const std::vector<GLuint>& textures, int x0, int z0, int cells,
                         float st[4]) {
  GroundState& s = state();
  int tx = std::min((2 * x0) / kLightUseful, s.light_per_side - 1);
  int tz = std::min((2 * z0) / kLightUseful, s.light_per_side - 1);
  float ox = static_cast<float>(tx * kLightUseful - kLightApron);
  float oz = static_cast<float>(tz * kLightUseful - kLightApron);
  st[0] = (2.0f * x0 - ox + 0.5f) / kLightTextureSize;
  st[1] = (2.0f * z0 - oz + 0.5f) / kLightTextureSize;
  st[2] = (2.0f * (x0 + cells) - ox + 0.5f) / kLightTextureSize;
  st[3] = (2.0f * (z0 + cells) - oz + 0.5f) / kLightTextureSize;
  return textures[static_cast<size_t>(tz * s.light_per_side + tx)];
}

void block_quad(float x0, float z0, float x1, float z1, const float st[4]) {
  glTexCoord2f(st[0], st[1]);
  glVertex2f(x0, z0);
  glTexCoord2f(st[2], st[1]);
  glVertex2f(x1, z0);
  glTexCoord2f(st[2], st[3]);
  glVertex2f(x1, z1);
  glTexCoord2f(st[0], st[3]);
  glVertex2f(x0, z1);
}

// Cells drawn tile by tile, one bind per tile kind. `map` picks the picture of a tile.
template <typename Pick>
void draw_cells(int x0, int z0, int cells, Pick map) {
  const Terrain& t = *state().terrain;
  static const float kInset[4] = {kTileInset, kTileInset, 1 - kTileInset, 1 - kTileInset};
  for (size_t kind = 0; kind < t.tiles.size(); ++kind) {
    GLuint id = map(t.tiles[kind]);
    bool open = false;
    for (int j = z0; j < z0 + cells; ++j) {
      for (int i = x0; i < x0 + cells; ++i) {
        if (t.tilemap[static_cast<size_t>(j) * t.tile_side + i] != kind) continue;
        if (!open) {
          glBindTexture(GL_TEXTURE_2D, id);
          glBegin(GL_QUADS);
          open = true;
        }
        block_quad(static_cast<float>(i), static_cast<float>(j), static_cast<float>(i + 1),
                   static_cast<float>(j + 1), kInset);
      }
    }
    if (open) glEnd();
  }
}

// Decals laid over the block, blended by their alpha; `pick` chooses which of the decal's
// pictures.
template <typename Pick>
void draw_decals(int x0, int z0, int cells, Pick pick) {
  GroundState& s = state();
  if (!s.decals) return;
  const Terrain& t = *s.terrain;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  for (const Decal& d : *s.decals) {
    GLuint id = pick(d);
    GroundDecal g{nullptr, d.x, d.z, d.size_a, d.size_b, d.sin_angle, d.cos_angle};
    if (!id || !decal_overlaps(g, t, x0, z0, cells)) continue;
    // Corners in cell units: along the angle by size_a, across it by size_b.
    float ax = d.cos_angle * d.size_a / 2, az = d.sin_angle * d.size_a / 2;
    float bx = -d.sin_angle * d.size_b / 2, bz = d.cos_angle * d.size_b / 2;
    float cx = d.x, cz = d.z, k = 1.0f / t.tile_size;
    glBindTexture(GL_TEXTURE_2D, id);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f((cx - ax - bx) * k, (cz - az - bz) * k);
    glTexCoord2f(1, 0);
    glVertex2f((cx + ax - bx) * k, (cz + az - bz) * k);
    glTexCoord2f(1, 1);
    glVertex2f((cx + ax + bx) * k, (cz + az + bz) * k);
    glTexCoord2f(0, 1);
    glVertex2f((cx - ax + bx) * k, (cz - az + bz) * k);
    glEnd();
    render_stats().decals.value += 1;
  }
  glDisable(GL_BLEND);
}

// The GL state of composing: a flat view of the block in cell units.
struct ComposeView {
  ComposeView(int x0, int z0, int cells, int size) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, size, size);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(x0, x0 + cells, z0, z0 + cells, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1, 1, 1, 1);
  }
  ~ComposeView() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
  }
};

void multiply_by_light(int x0, int z0, int cells) {
  GroundState& s = state();
  glEnable(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  float st[4] = {0, 0, 0, 0};
  if (s.normals) {
    // The terrain program lights the ground itself: only the half intensity goes in here.
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.5f, 0.5f, 0.5f, 1);
    glBegin(GL_QUADS);
    block_quad(static_cast<float>(x0), static_cast<float>(z0), static_cast<float>(x0 + cells),
               static_cast<float>(z0 + cells), st);
    glEnd();
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
  } else {
    glBindTexture(GL_TEXTURE_2D, light_texture_for(s.light_textures, x0, z0, cells, st));
    glBegin(GL_QUADS);
    block_quad(static_cast<float>(x0), static_cast<float>(z0), static_cast<float>(x0 + cells),
               static_cast<float>(z0 + cells), st);
    glEnd();
  }
  glDisable(GL_BLEND);
}

// The normal texture: each cell's tile normal map tilted onto the ground's normal from the
// base texture on unit 1, whose coordinates follow from the vertex (in cells) through texture
// matrix 1; then the decals' normal maps.
void draw_normals(int x0, int z0, int cells) {
  GroundState& s = state();
  float st[4] = {0, 0, 0, 0};
  GLuint base = light_texture_for(s.base_textures, x0, z0, cells, st);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, base);
  glMatrixMode(GL_TEXTURE);
  glPushMatrix();
  glLoadIdentity();
  float per_cell = (st[2] - st[0]) / static_cast<float>(cells);
  glTranslatef(st[0] - per_cell * static_cast<float>(x0), st[1] - per_cell * static_cast<float>(z0),
               0);
  glScalef(per_cell, per_cell, 1);
  glMatrixMode(GL_MODELVIEW);
  glActiveTexture(GL_TEXTURE0);
  shader_use(kShaderTerrainNormals);
  draw_cells(x0, z0, cells, [](const TileType& tile) { return tile.normal_map; });
  draw_decals(x0, z0, cells, [](const Decal& d) { return d.normal_map; });
  shader_use(kShaderFixed);
  glActiveTexture(GL_TEXTURE1);
  glMatrixMode(GL_TEXTURE);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
}

void draw_specular(int x0, int z0, int cells) {
  glClearColor(kPlainSpecular[0], kPlainSpecular[1], kPlainSpecular[2], kPlainSpecular[3]);
  glClear(GL_COLOR_BUFFER_BIT);
  draw_decals(x0, z0, cells, [](const Decal& d) { return d.specular_map; });
}

// Draws one of the block's pictures and puts it into `texture`.
template <typename Draw>
void render_into(GLuint texture, int x0, int z0, int cells, Draw draw) {
  GroundState& s = state();
  if (s.composer == GroundComposer::kFramebuffer) {
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, s.framebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture,
                              0);
    GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    if (status != GL_FRAMEBUFFER_COMPLETE_EXT) {
      char text[64];
      std::snprintf(text, sizeof text, "Framebuffer error %x", status);
      render_message(text);
      glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
      return;
    }
    {
      ComposeView view(x0, z0, cells, s.size);
      draw();
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    if (s.mipmaps) {
      glBindTexture(GL_TEXTURE_2D, texture);
      glGenerateMipmapEXT(GL_TEXTURE_2D);
    }
    return;
  }
  {
    ComposeView view(x0, z0, cells, s.size);
    draw();
  }
  glBindTexture(GL_TEXTURE_2D, texture);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, s.size, s.size);
}

void draw_block_colours(int x0, int z0, int cells) {
  draw_cells(x0, z0, cells, [](const TileType& tile) { return tile.texture; });
  draw_decals(x0, z0, cells, [](const Decal& d) { return d.texture; });
  multiply_by_light(x0, z0, cells);
}

void compose_software(GroundTexture& g) {
  GroundState& s = state();
  std::vector<uint8_t> rgb;
  compose_ground_block(s.soft_terrain, s.soft_decals, s.light, g.x0, g.z0, g.cells, s.size, rgb);
  glBindTexture(GL_TEXTURE_2D, g.colour);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, s.size, s.size, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
}

// Whether a decal lays highlights (a specular map) on the block.
bool has_highlights(int x0, int z0, int cells) {
  GroundState& s = state();
  if (!s.decals) return false;
  for (const Decal& d : *s.decals) {
    GroundDecal g{nullptr, d.x, d.z, d.size_a, d.size_b, d.sin_angle, d.cos_angle};
    if (d.specular_map && decal_overlaps(g, *s.terrain, x0, z0, cells)) return true;
  }
  return false;
}

void compose(GroundTexture& g) {
  GroundState& s = state();
  g.highlights = s.normals && has_highlights(g.x0, g.z0, g.cells);
  if (s.composer == GroundComposer::kSoftware) {
    compose_software(g);
  } else {
    render_into(g.colour, g.x0, g.z0, g.cells,
                [&] { draw_ground_block(g.x0, g.z0, g.cells, s.size); });
    if (s.normals) {
      render_into(g.normal, g.x0, g.z0, g.cells, [&] { draw_normals(g.x0, g.z0, g.cells); });
      render_into(g.specular, g.x0, g.z0, g.cells, [&] { draw_specular(g.x0, g.z0, g.cells); });
    }
  }
  g.stale = false;
}

GroundComposer choose_composer(int* size) {
  const RenderSettings& r = render_settings();
  const int m = r.ground_method;
  const bool direct = m == kGroundMethodHardwareDirect || m == kGroundMethodShadersDirect;
  const bool copy = m == kGroundMethodHardwareCopy || m == kGroundMethodShadersCopy;
  if (direct && graphics_caps().framebuffer_object) {
    kota::log_printf("Terrain texture rendering with framebuffer objects\n");
    return GroundComposer::kFramebuffer;
  }
  *size = std::min(*size, kSmallMethodMaxSize);
  if (copy) {
    kota::log_printf("Terrain texture rendering with CopyTexSubImage\n");
    return GroundComposer::kCopy;
  }
  kota::log_printf("Terrain texture rendering with TexSubImage\n");
  return GroundComposer::kSoftware;
}

// The software method reads pictures: tiles and decals loaded as textures get theirs too.
void prepare_software(const Terrain& t, const std::vector<Decal>& decals) {
  GroundState& s = state();
  s.soft_terrain.tile_side = t.tile_side;
  s.soft_terrain.side = t.side;
  s.soft_terrain.tile_size = t.tile_size;
  s.soft_terrain.tilemap = t.tilemap;
  s.soft_terrain.tiles.clear();
  for (const TileType& tile : t.tiles) {
    TileType copy;
    copy.image = tile.image ? tile.image : texture_load_terrain(tile.texture_name);
    s.soft_terrain.tiles.push_back(copy);
  }
  s.soft_decals.clear();
  for (const Decal& d : decals) {
    const Image* image = d.image ? d.image : texture_load_terrain(d.picture);
    s.soft_decals.push_back({image, d.x, d.z, d.size_a, d.size_b, d.sin_angle, d.cos_angle});
  }
}

}  // namespace

void draw_ground_block(int x0, int z0, int cells, int size) {
  ComposeView view(x0, z0, cells, size);
  draw_block_colours(x0, z0, cells);
}

bool ground_textures_init(const Terrain& t, const std::vector<Decal>& decals) {
  ground_textures_release();
  GroundState& s = state();
  const RenderSettings& r = render_settings();
  if (!t.loaded() || t.tilemap.size() != static_cast<size_t>(t.tile_side) * t.tile_side ||
      t.tiles.empty()) {
    return false;
  }
  s.terrain = &t;
  s.decals = &decals;
  s.size = std::clamp(r.ground_texture_size, 32, 1024);
  s.composer = choose_composer(&s.size);
  s.mipmaps = r.ground_mipmaps;
  s.normals = r.terrain_shaders && s.composer != GroundComposer::kSoftware;
  s.light = ground_light(t);
  s.light_per_side = light_textures_per_side(t.tile_side);
  if (s.composer == GroundComposer::kSoftware) {
    prepare_software(t, decals);
  } else {
    cut_light_textures(s.light_textures,
                       [&](size_t i, uint8_t* out) { std::copy_n(&s.light[3 * i], 3, out); });
    if (s.normals) make_base_textures();
  }
  if (s.composer == GroundComposer::kFramebuffer) glGenFramebuffersEXT(1, &s.framebuffer);

  s.low_cells = low_detail_cells(t);
  s.low_blocks = low_detail_blocks(t);
  if (r.debug_level >= 1) {
    kota::log_printf("%dx%d low detail textures needed for %dx%d field\n", s.low_blocks,
                     s.low_blocks, t.tile_side, t.tile_side);
  }
  for (int z = 0; z < s.low_blocks; ++z) {
    for (int x = 0; x < s.low_blocks; ++x) {
      GroundTexture g = make_ground_texture();
      g.x0 = x * s.low_cells, g.z0 = z * s.low_cells, g.cells = s.low_cells;
      s.low.push_back(g);
    }
  }
  const int levels = ground_levels(t);
  for (int l = std::max(0, r.ground_texture_first_level);
       l <= kFinestRingTop && (1 << l) < s.low_cells; ++l) {
    Ring ring;
    ring.level = l;
    ring.window = {0, 0, 0};
    int count = std::min(kRingBlocks, std::max(1, t.tile_side >> l));
    for (int i = 0; i < count * count; ++i) ring.textures.push_back(make_ground_texture());
    s.rings.push_back(std::move(ring));
  }
  (void)levels;
  if (glGetError() != GL_NO_ERROR) {
    render_message("Error creating low LOD textures");
    ground_textures_release();
    return false;
  }
  for (GroundTexture& g : s.low) compose(g);
  return true;
}

void ground_textures_update(float eye_x, float eye_z) {
  GroundState& s = state();
  if (!s.terrain) return;
  for (Ring& ring : s.rings) {
    BlockWindow w = ring_window(*s.terrain, ring.level, eye_x, eye_z);
    const int cells = 1 << ring.level;
    auto inside = [&](const GroundTexture& g) {
      if (g.x0 < 0) return false;
      int bx = g.x0 / cells - w.x0, bz = g.z0 / cells - w.z0;
      return bx >= 0 && bz >= 0 && bx < w.count && bz < w.count;
    };
    // Textures whose block left the window take the newly uncovered blocks.
    std::vector<GroundTexture*> free;
    for (GroundTexture& g : ring.textures) {
      if (!inside(g)) free.push_back(&g);
    }
    for (int bz = 0; bz < w.count && !free.empty(); ++bz) {
      for (int bx = 0; bx < w.count && !free.empty(); ++bx) {
        int x0 = (w.x0 + bx) * cells, z0 = (w.z0 + bz) * cells;
        bool shown = std::any_of(ring.textures.begin(), ring.textures.end(),
                                 [&](const GroundTexture& g) { return g.x0 == x0 && g.z0 == z0; });
        if (shown) continue;
        GroundTexture* g = free.back();
        free.pop_back();
        g->x0 = x0, g->z0 = z0, g->cells = cells, g->stale = true;
      }
    }
    for (GroundTexture* g : free) g->x0 = -1;
    ring.window = w;
  }
  for (GroundTexture& g : s.low) {
    if (g.stale) compose(g);
  }
  for (Ring& ring : s.rings) {
    for (GroundTexture& g : ring.textures) {
      if (g.x0 >= 0 && g.stale) compose(g);
    }
  }
}

const GroundTexture* ground_texture_for(int sx, int sz, int samples) {
  GroundState& s = state();
  if (!s.terrain) return nullptr;
  // Two sample intervals to a cell.
  for (const Ring& ring : s.rings) {
    const int span = 2 << ring.level;
    if (samples > span) continue;
    for (const GroundTexture& g : ring.textures) {
      if (g.x0 < 0 || g.stale) continue;
      if (sx >= 2 * g.x0 && sz >= 2 * g.z0 && sx + samples <= 2 * (g.x0 + g.cells) &&
          sz + samples <= 2 * (g.z0 + g.cells)) {
        return &g;
      }
    }
  }
  const int span = 2 * s.low_cells;
  int bx = std::clamp(sx / span, 0, s.low_blocks - 1),
      bz = std::clamp(sz / span, 0, s.low_blocks - 1);
  const GroundTexture& g = s.low[static_cast<size_t>(bz * s.low_blocks + bx)];
  return g.stale ? nullptr : &g;
}

void ground_textures_follow(const TrackState& track, float eye_x, float eye_z) {
  GroundState& s = state();
  if (!track.terrain.loaded()) {
    if (s.generation >= 0 || s.terrain) ground_textures_release();
    return;
  }
  if (s.generation != track.load_generation) {
    ground_textures_init(track.terrain, track.scenery.decals);
    s.generation = track.load_generation;
  }
  ground_textures_update(eye_x, eye_z);
}

void ground_textures_mark_stale() {
  GroundState& s = state();
  for (GroundTexture& g : s.low) g.stale = true;
  for (Ring& ring : s.rings) {
    for (GroundTexture& g : ring.textures) g.stale = true;
  }
}

bool ground_textures_ready() {
  return state().terrain != nullptr;
}

void ground_textures_release() {
  GroundState& s = state();
  auto drop = [](GroundTexture& g) {
    delete_texture(g.colour);
    delete_texture(g.normal);
    delete_texture(g.specular);
  };
  for (GroundTexture& g : s.low) drop(g);
  for (Ring& ring : s.rings) {
    for (GroundTexture& g : ring.textures) drop(g);
  }
  for (GLuint id : s.light_textures) glDeleteTextures(1, &id);
  for (GLuint id : s.base_textures) glDeleteTextures(1, &id);
  if (s.framebuffer) glDeleteFramebuffersEXT(1, &s.framebuffer);
  s = GroundState{};
}

GroundComposer ground_composer() {
  return state().composer;
}

}  // namespace br
