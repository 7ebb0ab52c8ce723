// The frame's drawing order. Each stage leaves the GL state as the next one expects it.
#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "bike/bike.h"
#include "render/billboard_sort.h"
#include "render/ground_textures.h"
#include "render/lens_flare.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/render_stats.h"
#include "render/scene_draw.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "render/view_cameras.h"
#include "render/view_frustum.h"

namespace br {
namespace {

// Half the side of the sky cube around the eye, feet: inside any far plane the lighting file
// allows once the cube's corners are counted.
constexpr float kSkyScale = 2886.0f;
// The sky faces' texture coordinates stop short of the edge texels, which would show seams.
constexpr float kSkyLow = 1.0f / 128, kSkyHigh = 127.0f / 128;
constexpr float kAlphaCutout = 0.75f;
// Billboards and dirt drawn into the depth buffer only, for the lens flare to see them.
bool g_depth_only = false;

void load(GLenum mode, const Matrix4& m) {
  glMatrixMode(mode);
  glLoadMatrixf(m.data());
}

bool has_sky(const Lighting& l) {
  return std::all_of(l.sky.begin(), l.sky.end(), [](TextureId t) { return t != 0; });
}

// North (-z), east (+x), south (+z), west (-x) and up, each from its top-left corner as seen
// from inside the cube.
void draw_sky(const Lighting& l, const ViewCamera& camera) {
  static const float kFaces[5][4][3] = {
      {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}},
      {{1, 1, -1}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}},
      {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}},
      {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}},
      {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}},
  };
  static const float kCorners[4][2] = {
      {kSkyLow, kSkyLow}, {kSkyHigh, kSkyLow}, {kSkyHigh, kSkyHigh}, {kSkyLow, kSkyHigh}};
  load(GL_MODELVIEW, view_rotation_matrix(camera));
  glScalef(kSkyScale, kSkyScale, kSkyScale);
  // At the far end of the depth range, behind everything already drawn: it fills only the
  // pixels nothing else has.
  glDepthMask(GL_FALSE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthRange(1, 1);
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  glDisable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  for (int f = 0; f < 5; ++f) {
    glBindTexture(GL_TEXTURE_2D, l.sky[static_cast<size_t>(f)]);
    glBegin(GL_QUADS);
    for (int c = 0; c < 4; ++c) {
      glTexCoord2fv(kCorners[c]);
      glVertex3fv(kFaces[f][c]);
    }
    glEnd();
  }
  glDepthRange(0, 1);
  glDepthMask(GL_TRUE);
  glEnable(GL_CULL_FACE);
}

void set_fog_and_light(const LightingFile& l) {
  if (l.fog_density > 0) {
    const float colour[4] = {l.fog_color[0], l.fog_color[1], l.fog_color[2], 1};
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, l.fog_density);
    glFogfv(GL_FOG_COLOR, colour);
  } else {
    // The shader programs fog by the density whether or not fog is enabled.
    glFogf(GL_FOG_DENSITY, 0.0f);
    glDisable(GL_FOG);
  }
  // The sun is a directional light: its position is the direction toward it.
  const float sun[4] = {l.sun_vector[0], l.sun_vector[1], l.sun_vector[2], 0};
  const float diffuse[4] = {l.sun_color[0], l.sun_color[1], l.sun_color[2], 1};
  const float ambient[4] = {l.ambient[0], l.ambient[1], l.ambient[2], 1};
  const float global[4] = {l.global_ambient[0], l.global_ambient[1], l.global_ambient[2], 1};
  glLightfv(GL_LIGHT0, GL_POSITION, sun);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, diffuse);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, global);
  glEnable(GL_LIGHT0);
  RenderSettings& s = render_settings();
  std::copy_n(global, 4, s.global_ambient.begin());
  std::copy_n(ambient, 4, s.sun_ambient.begin());
  const float length = std::sqrt(sun[0] * sun[0] + sun[1] * sun[1] + sun[2] * sun[2]);
  if (length > 0) s.sun_direction = {sun[0] / length, sun[1] / length, sun[2] / length};
}

// A bike with its rider fits in this sphere around the frame body.
constexpr float kBikeReach = 8.0f;  // feet

bool bike_in_view(const Bike& bike, const ViewFrustum& frustum) {
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  return frustum_sees_sphere(frustum, static_cast<float>(p[0]), static_cast<float>(p[1]),
                             static_cast<float>(p[2]), kBikeReach);
}

float distance_squared_to(const Bike& bike, const float eye[3]) {
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  const float dx = static_cast<float>(p[0]) - eye[0], dy = static_cast<float>(p[1]) - eye[1],
              dz = static_cast<float>(p[2]) - eye[2];
  return dx * dx + dy * dy + dz * dz;
}

// Kept between frames so that sorting the riders allocates nothing.
std::vector<std::pair<float, size_t>>& opaque_riders_scratch() {
  static std::vector<std::pair<float, size_t>> riders;
  return riders;
}

void draw_statues(Scenery& s, const float eye[3], const ViewFrustum& frustum) {
  GLuint bound = static_cast<GLuint>(-1);
  for (Statue& statue : s.statues) {
    if (!statue.model) continue;
    if (!frustum_sees_sphere(frustum, statue.x, statue.y, statue.z, statue.radius)) continue;
    if (statue.texture != bound) {
      glBindTexture(GL_TEXTURE_2D, statue.texture);
      bound = statue.texture;
      render_stats().texture_changes.value += 1;
      if (texture_has_alpha(statue.texture)) {
        glEnable(GL_ALPHA_TEST);
      } else {
        glDisable(GL_ALPHA_TEST);
      }
    }
    const auto& r = statue.orientation;
    const float m[16] = {r[0], r[3], r[6], 0, r[1],     r[4],     r[7],     0,
                         r[2], r[5], r[8], 0, statue.x, statue.y, statue.z, 1};
    model_set_maps(statue.normal_map, statue.specular_map);
    glPushMatrix();
    glMultMatrixf(m);
    const float at[3] = {statue.x, statue.y, statue.z};
    model_draw(*statue.model, eye, at);
    glPopMatrix();
  }
  glEnable(GL_ALPHA_TEST);
}

// The corners of one billboard's quad: bottom left, bottom right, top right, top left.
using QuadCorners = std::array<Vec3, 4>;

// Billboards blended over what is drawn, unlit, from both sides and without depth writes, in
// the given order (places into `board`, which holds billboard indices); one batch per run of
// the same picture.
template <typename Corners>
void draw_blended_quads(const Scenery& s, const std::vector<int>& board,
                        const std::vector<KeyedIndex>& order, Corners corners) {
  static const float kTexCoords[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  if (!g_depth_only) {
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.0f);
  }
  GLuint bound = static_cast<GLuint>(-1);
  bool open = false;
  for (const KeyedIndex& k : order) {
    const Billboard& b = s.billboards[static_cast<size_t>(board[static_cast<size_t>(k.index)])];
    if (b.texture != bound) {
      if (open) glEnd();
      glBindTexture(GL_TEXTURE_2D, b.texture);
      bound = b.texture;
      render_stats().texture_changes.value += 1;
      glBegin(GL_QUADS);
      open = true;
    }
    const QuadCorners q = corners(b);
    glColor4ub(b.r, b.g, b.b, b.a);
    for (int c = 0; c < 4; ++c) {
      glTexCoord2fv(kTexCoords[c]);
      glVertex3fv(q[static_cast<size_t>(c)].data());
    }
    if (!g_depth_only) render_stats().billboards.value += 1;
  }
  if (open) glEnd();
  glColor4f(1, 1, 1, 1);
  glDepthMask(GL_TRUE);
  glEnable(GL_CULL_FACE);
  glEnable(GL_LIGHTING);
  glAlphaFunc(GL_GREATER, kAlphaCutout);
}

// Upright quads turned to the camera about the vertical, standing on their positions.
void draw_billboards(const Scenery& s, const ViewCamera& camera, int lookahead,
                     const ViewFrustum& frustum) {
  std::vector<BillboardPlace> places;
  std::vector<unsigned> pictures;
  std::vector<int> board;  // by place
  places.reserve(s.billboards.size());
  pictures.reserve(s.billboards.size());
  board.reserve(s.billboards.size());
  for (size_t i = 0; i < s.billboards.size(); ++i) {
    const Billboard& b = s.billboards[i];
    if (b.particle || b.texture == 0) continue;  // roost has a pass of its own
    // Turned to the camera about the vertical, a board stays inside the sphere round its middle.
    const float reach = std::sqrt(b.width * b.width + b.height * b.height) / 2;
    if (!frustum_sees_sphere(frustum, b.x, b.y + b.height / 2, b.z, reach)) continue;
    places.push_back({b.x, b.y, b.z});
    pictures.push_back(b.texture);
    board.push_back(static_cast<int>(i));
  }
  std::vector<KeyedIndex> order = billboard_draw_order(camera, places);
  group_equal_pictures(order, pictures, lookahead);
  if (order.empty()) return;
  Vec3 right = camera.right();
  float flat = std::sqrt(right[0] * right[0] + right[2] * right[2]);
  float rx = flat > 1e-6f ? right[0] / flat : 1, rz = flat > 1e-6f ? right[2] / flat : 0;
  draw_blended_quads(s, board, order, [&](const Billboard& b) {
    float hx = rx * b.width / 2, hz = rz * b.width / 2, top = b.y + b.height;
    return QuadCorners{Vec3{b.x - hx, b.y, b.z - hz}, Vec3{b.x + hx, b.y, b.z + hz},
                       Vec3{b.x + hx, top, b.z + hz}, Vec3{b.x - hx, top, b.z - hz}};
  });
}

// Flying dirt: quads square to the camera, centred on each particle, far to near so that
// they blend over one another.
void draw_particles(const RoostPool& pool, const Scenery& s, const ViewCamera& camera,
                    const ViewFrustum& frustum) {
  if (pool.active == 0) return;
  std::vector<BillboardPlace> places;
  std::vector<int> board;  // by place
  places.reserve(static_cast<size_t>(pool.active));
  board.reserve(static_cast<size_t>(pool.active));
  for (int i = pool.active_list; i >= 0; i = pool.particles[static_cast<size_t>(i)].next) {
    int index = pool.particles[static_cast<size_t>(i)].billboard;
    if (index < 0 || index >= static_cast<int>(s.billboards.size())) continue;
    const Billboard& b = s.billboards[static_cast<size_t>(index)];
    // Dust that has faded out flies on, growing, until it lands: fully clear it leaves every
    // pixel as it was (and the alpha test drops it from the sun's probe), yet its wide quad
    // would still be rasterized and shaded.
    if (b.texture == 0 || b.a == 0) continue;
    if (!frustum_sees_sphere(frustum, b.x, b.y, b.z, b.width * 0.71f)) continue;  // half diagonal
    places.push_back({b.x, b.y, b.z});
    board.push_back(index);
  }
  std::vector<KeyedIndex> order = billboard_draw_order(camera, places);
  if (order.empty()) return;
  const Vec3 right = camera.right(), up = camera.up();
  draw_blended_quads(s, board, order, [&](const Billboard& b) {
    const float h = b.width / 2;
    QuadCorners q;
    const float across[4] = {-h, h, h, -h}, upward[4] = {-h, -h, h, h};
    for (size_t c = 0; c < 4; ++c) {
      q[c] = {b.x + right[0] * across[c] + up[0] * upward[c],
              b.y + right[1] * across[c] + up[1] * upward[c],
              b.z + right[2] * across[c] + up[2] * upward[c]};
    }
    return q;
  });
}

}  // namespace

void scene_draw(World& w, const ViewCamera& camera, int viewed_slot, int view_mode, int width,
                int height) {
  render_stats_begin_frame();
  texture_animate(w.world_time);
  Scenery& scenery = w.track.scenery;
  const LightingFile& light = scenery.lighting.file;
  // Start-gate and flagger frames follow the race clock once races run.

  // Ground textures for the camera.
  ground_textures_follow(w.track, camera.eye[0], camera.eye[2]);

  // Projection and view.
  float aspect = height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
  const Matrix4 projection = perspective_matrix(static_cast<float>(w.settings.fov.value), aspect,
                                                light.near_plane, light.far_plane);
  load(GL_PROJECTION, projection);
  const ViewFrustum frustum = view_frustum(projection, view_matrix(camera));
  // Reflections turn with the camera: eye space back to the world is the camera's rotation.
  shader_set_envmat(camera.rotation.data());
  model_set_environment(scenery.lighting.environment, w.settings.reflections.text() == "Yes");

  // Background.
  // The sky is drawn once the opaque world stands, behind everything, so only the pixels it
  // shows are textured; without sky pictures the clear colour.
  const bool sky = has_sky(scenery.lighting);
  glClear(sky ? GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  // Fog, the view translated by minus the eye, the sun.
  load(GL_MODELVIEW, view_matrix(camera));
  set_fog_and_light(light);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);

  // Opaque pass. Without reflections the riders go near to far and before the ground: a
  // software rasteriser then skips the shading of every pixel a nearer rider already covers,
  // and in a pack seen from behind that is much of the field and the ground under it. All of
  // it is opaque and depth-tested, so the order changes no pixel (for ties, see the terrain
  // below). A reflective coat is see-through where its mesh is cut out and shows what was
  // drawn before it, so with reflections the ground comes first and the riders in slot order.
  const float eye[3] = {camera.eye[0], camera.eye[1], camera.eye[2]};
  const bool ground_last =
      !(w.settings.reflections.text() == "Yes" && scenery.lighting.environment != 0);
  const bool terrain = !w.track.terrain.heights.empty();
  if (terrain && !ground_last) terrain_draw(eye, w.track.lod, &frustum);
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, kAlphaCutout);
  glEnable(GL_NORMALIZE);
  update_rider_opacity(w);
  std::vector<std::pair<float, size_t>>& riders = opaque_riders_scratch();
  riders.clear();
  for (size_t i = 0; i < w.slots.size(); ++i) {
    RiderSlot& slot = w.slots[i];
    if (!slot.bike || w.rider_opacity[i] < 1.0f || !bike_in_view(*slot.bike, frustum)) continue;
    riders.emplace_back(ground_last ? distance_squared_to(*slot.bike, eye) : 0.0f, i);
  }
  std::stable_sort(riders.begin(), riders.end());
  for (const auto& [distance, i] : riders) {
    bool own_eyes = view_mode == kViewRider && static_cast<int>(i) == viewed_slot;
    draw_bike(w, *w.slots[i].bike, eye, 1.0f, own_eyes);
  }
  draw_statues(scenery, eye, frustum);
  model_draw_done();

  // Where a wheel meets the ground both can land on the same depth; drawn first with "less or
  // equal", the ground loses such ties to the rider, and drawn after him with "less" it
  // still does.
  if (terrain && ground_last) {
    glDepthFunc(GL_LESS);
    terrain_draw(eye, w.track.lod, &frustum);
    glDepthFunc(GL_LEQUAL);
  }

  if (sky) {
    draw_sky(scenery.lighting, camera);
    load(GL_MODELVIEW, view_matrix(camera));
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    if (light.fog_density > 0) glEnable(GL_FOG);
  }

  // Billboards, far to near.
  draw_billboards(scenery, camera, w.settings.billboard_optimize_lookahead.value, frustum);

  // Particles.
  draw_particles(w.track.roost, scenery, camera, frustum);

  // Faded riders.
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glAlphaFunc(GL_GREATER, 0.0f);
  for (size_t i = 0; i < w.slots.size(); ++i) {
    RiderSlot& slot = w.slots[i];
    float opacity = w.rider_opacity[i];
    if (!slot.bike || opacity <= 0.0f || opacity >= 1.0f) continue;
    bool own_eyes = view_mode == kViewRider && static_cast<int>(i) == viewed_slot;
    draw_bike(w, *slot.bike, eye, opacity, own_eyes);
  }
  model_draw_done();
  glAlphaFunc(GL_GREATER, kAlphaCutout);

  // The lens flare, over everything.
  if (w.settings.lens_flare.text() == "Yes") {
    draw_lens_flare(scenery.lighting, camera, width, height, [&] {
      g_depth_only = true;
      draw_billboards(scenery, camera, w.settings.billboard_optimize_lookahead.value, frustum);
      draw_particles(w.track.roost, scenery, camera, frustum);
      g_depth_only = false;
    });
  }

  // The overlay draws flat and unlit.
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_NORMALIZE);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace br
