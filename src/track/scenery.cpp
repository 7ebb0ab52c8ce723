#include "track/scenery.h"

#include <algorithm>
#include <cmath>

#include "files/data_file.h"
#include "files/messages.h"
#include "render/model_cache.h"
#include "render/render_files.h"
#include "render/render_settings.h"
#include "track/terrain_queries.h"
#include "world/world.h"

namespace br {
namespace {

Scenery& scenery() {
  return g_world.track.scenery;
}

bool named(const std::string& name) {
  return !name.empty() && name != "null";
}

float model_radius(const Model* m) {
  float r2 = 0;
  for (; m; m = m->next.get()) {
    for (size_t i = 0; i + 2 < m->positions.size(); i += 3) {
      const float* p = &m->positions[i];
      r2 = std::max(r2, p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    }
  }
  return std::sqrt(r2);
}

int load_shape(const std::string& name) {
  Scenery& s = scenery();
  for (size_t i = 0; i < s.shapes.size(); ++i) {
    if (s.shapes[i].name == name) return static_cast<int>(i);
  }
  auto bytes = read_data_file(name);
  std::optional<std::vector<ShapeSphere>> spheres;
  if (bytes) spheres = parse_shape(std::string(bytes->begin(), bytes->end()));
  if (!spheres) {
    show_message("Warning: missing shape file %.900s", name.c_str());
    return -1;
  }
  float radius = shape_bounding_radius(*spheres);
  s.shapes.push_back({name, std::move(*spheres), radius});
  return static_cast<int>(s.shapes.size() - 1);
}

// Normal and specular maps: beside the texture first, then beside the model.
void load_companions(Statue& st) {
  if (!render_settings().shaders_in_use) return;
  for (const std::string* base : {&st.texture_name, &st.model_name}) {
    if (!st.normal_map) st.normal_map = texture_load(texture_companion_name(*base, "_tnorm.png"));
    if (!st.specular_map)
      st.specular_map = texture_load(texture_companion_name(*base, "_tspec.png"));
  }
}

bool write_file(const char* what, const std::string& text) {
  // Without a track there is no directory to write into.
  if (g_world.track.dir.empty()) {
    show_message("Can't open '%s'", what);
    return false;
  }
  std::string name = "@" + g_world.track.dir + "/" + what;
  bool ok = data_replace_file(name.c_str(), text);
  if (!ok) show_message("Can't write '%s'", what);
  return ok;
}

}  // namespace

int create_billboard(float x, float y, float z, float width, float height,
                     const std::string& name) {
  BillboardEntry e;
  split_billboard_name(name, e);
  Billboard b;
  b.x = x;
  b.z = z;
  b.y_above = y;
  b.y = terrain_height(g_world.track.terrain, x, z) + y;
  b.width = width;
  b.height = height;
  b.r = e.r, b.g = e.g, b.b = e.b;
  b.picture = e.picture;
  if (!b.picture.empty()) b.texture = texture_load(b.picture);
  scenery().billboards.push_back(std::move(b));
  return static_cast<int>(scenery().billboards.size() - 1);
}

void orient_statue(Statue& st) {
  constexpr float kTwoPi = 6.2831853f;
  std::array<float, 9>& m = st.orientation;
  m = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  st.special = 0;
  if (st.yaw >= kStatueUprightYaw) {
    st.special = std::pow(2.0f, st.yaw);
    return;
  }
  float c = std::cos(st.yaw), s = std::sin(st.yaw);
  std::array<float, 9> yaw = {c, 0, s, 0, 1, 0, -s, 0, c};
  if (st.yaw <= -kTwoPi) {
    m = yaw;
    return;
  }
  // Tilt the up axis onto the ground normal by the smallest rotation, after the yaw.
  const Terrain& t = g_world.track.terrain;
  float h = terrain_height(t, st.x, st.z);
  float nx = -(terrain_height(t, st.x + 1, st.z) - h), ny = 1.0f;
  float nz = -(terrain_height(t, st.x, st.z + 1) - h);
  float len = std::sqrt(nx * nx + ny * ny + nz * nz);
  nx /= len, ny /= len, nz /= len;
  // Axis (0,1,0) x n = (nz, 0, -nx); sine = its length, cosine = ny.
  float vx = nz, vz = -nx;
  float s2 = vx * vx + vz * vz;
  std::array<float, 9> tilt = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  if (s2 > 1e-12f) {
    float k = (1.0f - ny) / s2;
    // I + [v]x + k [v]x^2 with v = (vx, 0, vz).
    tilt = {1 - k * vz * vz, -vz, k * vx * vz,    vz, 1 - k * s2, -vx,
            k * vx * vz,     vx,  1 - k * vx * vx};
  }
  for (int r = 0; r < 3; ++r) {
    for (int col = 0; col < 3; ++col) {
      float sum = 0;
      for (int k = 0; k < 3; ++k) sum += tilt[size_t(r * 3 + k)] * yaw[size_t(k * 3 + col)];
      m[size_t(r * 3 + col)] = sum;
    }
  }
}

int create_statue(float x, float y, float z, float yaw, const std::string& model,
                  const std::string& texture, const std::string& shape) {
  Statue st;
  st.model_name = named(model) ? model : "";
  st.texture_name = named(texture) ? texture : "";
  st.shape_name = named(shape) ? shape : "";
  if (!st.model_name.empty()) st.model = model_load(st.model_name);
  if (st.model && !st.texture_name.empty()) {
    st.texture = texture_load(st.texture_name);
    load_companions(st);
  }
  st.radius = model_radius(st.model);
  if (!st.shape_name.empty()) st.shape = load_shape(st.shape_name);
  st.x = x;
  st.y_above = y;
  st.z = z;
  st.yaw = yaw;
  st.y = terrain_height(g_world.track.terrain, x, z) + y;
  orient_statue(st);
  st.last_update = 0;
  scenery().statues.push_back(std::move(st));
  return static_cast<int>(scenery().statues.size() - 1);
}

std::vector<BillboardEntry> billboard_entries(const Scenery& s) {
  std::vector<BillboardEntry> out;
  for (const Billboard& b : s.billboards) {
    if (!b.saved || b.picture.empty()) continue;
    out.push_back({b.x, b.y_above, b.z, b.width, b.height, b.picture, b.r, b.g, b.b});
  }
  return out;
}

std::vector<StatueEntry> statue_entries(const Scenery& s) {
  std::vector<StatueEntry> out;
  for (const Statue& st : s.statues) {
    if (!st.saved) continue;
    out.push_back({st.x, st.y_above, st.z, st.yaw, st.model_name, st.texture_name, st.shape_name});
  }
  return out;
}

bool save_billboards() {
  return write_file("billboards", format_billboards(billboard_entries(scenery())));
}

bool save_statues() {
  return write_file("statues", format_statues(statue_entries(scenery())));
}

bool statue_cell_range(float low, float high, float extent, int* first, int* last) {
  // A NaN from a body the physics has lost has no cell; casting it would index anywhere.
  if (std::isnan(low / extent) || std::isnan(high / extent)) return false;
  // The eight cells span the middle three quarters; the outer ones take the rest.
  auto cell = [extent](float v) {
    float f = std::floor((v / extent - 0.125f) * (4.0f / 3.0f) * kStatueGridCells);
    return static_cast<int>(std::clamp(f, 0.0f, float(kStatueGridCells - 1)));
  };
  *first = cell(low);
  *last = cell(high);
  return true;
}

void register_statues() {
  Scenery& s = scenery();
  for (auto& cell : s.grid) cell.clear();
  float extent = g_world.track.terrain.extent;
  if (!(extent > 0)) return;
  for (size_t i = 0; i < s.statues.size(); ++i) {
    const Statue& st = s.statues[i];
    if (!st.model) continue;
    int x0, x1, z0, z1;
    if (!statue_cell_range(st.x - st.radius, st.x + st.radius, extent, &x0, &x1) ||
        !statue_cell_range(st.z - st.radius, st.z + st.radius, extent, &z0, &z1))
      continue;
    for (int cz = z0; cz <= z1; ++cz) {
      for (int cx = x0; cx <= x1; ++cx) {
        s.grid[size_t(cz * kStatueGridCells + cx)].push_back(static_cast<int>(i));
      }
    }
  }
}

void statues_near(float x, float y, float z, float radius, std::vector<int>& out) {
  out.clear();
  const Scenery& s = scenery();
  float extent = g_world.track.terrain.extent;
  if (!(extent > 0)) return;
  int x0, x1, z0, z1;
  if (!statue_cell_range(x - radius, x + radius, extent, &x0, &x1) ||
      !statue_cell_range(z - radius, z + radius, extent, &z0, &z1))
    return;
  for (int cz = z0; cz <= z1; ++cz) {
    for (int cx = x0; cx <= x1; ++cx) {
      for (int i : s.grid[size_t(cz * kStatueGridCells + cx)]) {
        const Statue& st = s.statues[size_t(i)];
        float reach =
            radius + std::max(st.radius, st.shape >= 0 ? s.shapes[size_t(st.shape)].radius : 0.0f);
        float dx = st.x - x, dy = st.y - y, dz = st.z - z;
        if (dx * dx + dy * dy + dz * dz > reach * reach) continue;
        if (std::find(out.begin(), out.end(), i) == out.end()) out.push_back(i);
      }
    }
  }
}

void clear_scenery() {
  scenery() = Scenery{};
}

}  // namespace br
