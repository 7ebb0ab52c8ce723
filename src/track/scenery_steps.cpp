// The scenery's part of a track load, in the loader's order.
#include <cmath>

#include "platform/log.h"
#include "race/timing_gates.h"
#include "render/render_settings.h"
#include "track/flaggers.h"
#include "track/height_field.h"
#include "track/roost_pool.h"
#include "track/scenery.h"
#include "track/terrain_queries.h"
#include "track/text_lines.h"
#include "track/track_steps.h"
#include "world/world.h"

namespace br {
namespace {

Scenery& scenery() {
  return g_world.track.scenery;
}

// The file's text, or "" when the track has none: every scenery file is optional.
std::string optional_file(const std::string& path) {
  return read_text_file(path).value_or("");
}

void read_lighting(const std::string& track_path) {
  std::string path = track_path + "/lighting";
  Lighting& l = scenery().lighting;
  l = Lighting{};
  l.file = parse_lighting(optional_file(path), path);
  for (size_t k = 0; k < l.sky.size(); ++k) l.sky[k] = texture_load(l.file.sky[k]);
  l.environment = texture_load(l.file.sky_env);
  for (const LensFlare& f : l.file.flares) {
    std::vector<TextureId> ids;
    for (const FlareElement& e : f.elements) ids.push_back(texture_load(e.texture));
    l.flare_textures.push_back(std::move(ids));
  }
}

void read_decals(const std::string& track_path) {
  std::string path = track_path + "/decals";
  bool software = g_world.settings.render_texture.index == kGroundTextureSoftware;
  bool shaders = render_settings().shaders_in_use;
  for (const DecalEntry& e : parse_decals(optional_file(path), path)) {
    Decal d;
    if (software) {
      d.image = texture_load_terrain(e.picture);
    } else {
      d.texture = texture_load(e.picture);
    }
    if (!d.image && !d.texture) continue;  // nothing to lay on the ground
    if (shaders) {
      d.normal_map = texture_load(texture_companion_name(e.picture, "_tnorm.png"));
      d.specular_map = texture_load(texture_companion_name(e.picture, "_tspec.png"));
    }
    d.x = e.x, d.z = e.z, d.angle = e.angle, d.size_a = e.size_a, d.size_b = e.size_b;
    d.sin_angle = std::sin(e.angle);
    d.cos_angle = std::cos(e.angle);
    d.picture = e.picture;
    scenery().decals.push_back(std::move(d));
  }
}

void read_flaggers(const std::string& track_path) {
  std::string path = track_path + "/flaggers";
  create_flaggers(parse_flaggers(optional_file(path), path),
                  static_cast<int>(g_world.track.timing.gates.size()));
}

void read_billboards(const std::string& track_path) {
  std::string path = track_path + "/billboards";
  for (const BillboardEntry& e : parse_billboards(optional_file(path), path)) {
    Billboard& b =
        scenery().billboards[size_t(create_billboard(e.x, e.y, e.z, e.width, e.height, e.picture))];
    b.r = e.r, b.g = e.g, b.b = e.b;
  }
}

void read_statues(const std::string& track_path) {
  std::string path = track_path + "/statues";
  for (const StatueEntry& e : parse_statues(optional_file(path), path)) {
    create_statue(e.x, e.y, e.z, e.yaw, e.model, e.texture, e.shape);
  }
}

void load_map(const std::string& track_path) {
  scenery().map = texture_load(track_path + "/map.png");
}

std::vector<std::string> statue_models() {
  std::vector<std::string> models;
  for (const Statue& s : scenery().statues) models.push_back(s.model_name);
  return models;
}

void read_cameras(const std::string& track_path) {
  std::string path = track_path + "/cameras";
  Scenery& s = scenery();
  for (const CameraEntry& e : parse_cameras(optional_file(path), path)) {
    // Gates named before a camera hand the view to it.
    for (int g : e.gates) s.camera_for_gate[size_t(g)] = static_cast<int>(s.cameras.size());
    Camera c;
    c.x = e.x;
    c.z = e.z;
    c.y = terrain_height(g_world.track.terrain, e.x, e.z) + e.y;
    c.fov = e.fov;
    c.auto_fov_size = e.auto_fov_size;
    s.cameras.push_back(c);
  }
  if (g_world.options.debug_level >= 1) {
    kota::log_printf("%d cameras found\n", static_cast<int>(s.cameras.size()));
  }
}

void free_scenery() {
  clear_scenery();
  g_world.track.timing = TrackTiming{};
}

}  // namespace

void install_scenery_steps() {
  TrackSteps& s = track_steps();
  s.clear_scenery = free_scenery;
  s.read_lighting = read_lighting;
  s.read_decals = read_decals;
  s.read_timing_gates = load_timing_gates;
  s.create_roost_pool = create_roost_pool;
  s.read_flaggers = read_flaggers;
  s.read_billboards = read_billboards;
  s.read_statues = read_statues;
  s.load_map = load_map;
  s.register_statues = register_statues;
  s.statue_models = statue_models;
  s.read_cameras = read_cameras;
  s.free_scenery = free_scenery;
}

}  // namespace br
