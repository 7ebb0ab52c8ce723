// What stands on the loaded track and how it is lit: billboards, statues with their collision
// grid, flaggers, decals, trackside cameras, the lighting and the map. The records live in
// g_world.track.scenery; the track loader fills them through install_scenery_steps().
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "bike/shape_format.h"
#include "render/image.h"
#include "render/model.h"
#include "render/texture_cache.h"
#include "track/scenery_format.h"

namespace br {

struct Billboard {
  float x = 0, y = 0, z = 0;  // world; y = ground height + y_above
  float width = 1;
  float y_above = 0;  // height above the ground as given
  float height = 1;
  float reserved = 0;
  TextureId texture = 0;
  uint8_t r = 255, g = 255, b = 255, a = 255;
  std::string picture;  // as loaded, without the tint
  // Only billboards of the "billboards" file go back into it: not the flaggers, nor the
  // textureless ones of the roost pool.
  bool saved = true;
  bool particle = false;  // one of the roost pool's, drawn facing the camera
};

// A collision shape file shared by every statue that names it.
struct StatueShape {
  std::string name;
  std::vector<ShapeSphere> spheres;
  float radius = 0;  // bounding, feet
};

struct Statue {
  Model* model = nullptr;  // borrowed from the model cache
  int shape = -1;          // index into Scenery::shapes, -1 = none
  TextureId texture = 0, normal_map = 0, specular_map = 0;
  float x = 0, y_above = 0, z = 0;
  float yaw = 0;  // radians
  float y = 0;    // world
  // Rows of the rotation that takes the model's own axes to the world: world = R * local.
  std::array<float, 9> orientation{1, 0, 0, 0, 1, 0, 0, 0, 1};
  float special = 0;  // 2^yaw for upright yaws of 3.25 and more, else 0
  int32_t last_update = 0;
  float radius = 0;  // the model's bounding radius about its origin, feet
  std::string model_name, texture_name, shape_name;  // "" for none
  bool saved = true;  // false for the start gates, which belong to "timing_gates"
};

constexpr int kStatueGridCells = 8;
using StatueGrid = std::array<std::vector<int>, kStatueGridCells * kStatueGridCells>;

struct StartFlagger {
  bool present = false;
  int billboard = -1;
  Float3 a{0, 0, 0}, b{0, 0, 0};  // y above the ground
  float walk_seconds = 1.0f;
  std::array<TextureId, 5> frames{};
  int frame = 0;
};

enum FinishPicture { kFinishNormal = 0, kFinishHalfway = 1, kFinishLastLap = 2, kFinishDone = 3 };

struct FinishFlagger {
  bool present = false;
  int billboard = -1;
  std::array<TextureId, 4> pictures{};  // by FinishPicture
  int picture = kFinishNormal;
};

struct CornerFlagger {
  int billboard = -1;
  TextureId normal = 0, alert = 0;
  std::array<int, 4> gates{-1, -1, -1, -1};
  bool alerted = false;
};

struct Decal {
  TextureId texture = 0;         // not in the software ground-texture mode...
  const Image* image = nullptr;  // ...which composes this picture instead (texture cache's)
  TextureId normal_map = 0, specular_map = 0;
  float x = 0, z = 0, angle = 0, size_a = 1, size_b = 1;
  float sin_angle = 0, cos_angle = 1;
  std::string picture;
};

struct Camera {
  float x = 0, y = 0, z = 0;     // world
  std::array<float, 4> state{};  // the television view's working values
  float fov = 90.0f;             // degrees
  float auto_fov_size = 0.0f;
};

constexpr int kCameraGateSlots = 256;

struct Lighting {
  LightingFile file;
  std::array<TextureId, 5> sky{};  // north, east, south, west, up
  TextureId environment = 0;
  std::vector<std::vector<TextureId>> flare_textures;  // per flare, per element
};

struct Scenery {
  Lighting lighting;
  std::vector<Billboard> billboards;
  std::vector<Statue> statues;
  std::vector<StatueShape> shapes;
  StatueGrid grid;
  StartFlagger start_flagger;
  FinishFlagger finish_flagger;
  std::vector<CornerFlagger> corner_flaggers;
  std::vector<Decal> decals;
  std::vector<Camera> cameras;
  std::array<int, kCameraGateSlots> camera_for_gate;  // -1 = none
  int current_camera = -1;
  TextureId map = 0;

  Scenery() { camera_for_gate.fill(-1); }
};

// Puts the scenery readers, and the timing-gate reader, into the track loader's steps.
void install_scenery_steps();

// A billboard at (x, ground + y, z); `name` may carry a "#rrggbb#" tint. "" loads no texture.
int create_billboard(float x, float y, float z, float width, float height, const std::string& name);
// A statue at (x, ground + y, z). Names "" or "null" mean none.
int create_statue(float x, float y, float z, float yaw, const std::string& model,
                  const std::string& texture, const std::string& shape);

// Write the track's files back ("@<dir>/billboards", "@<dir>/statues"); false, with
// "Can't open 'billboards'" or "Can't open 'statues'", when the file cannot be written.
bool save_billboards();
bool save_statues();

// The entries those files would hold.
std::vector<BillboardEntry> billboard_entries(const Scenery& s);
std::vector<StatueEntry> statue_entries(const Scenery& s);

// The statue orientation for a yaw at (x, z), and its special value.
void orient_statue(Statue& statue);

// Fills the 8 x 8 grid from the statues that have a model.
void register_statues();
// The grid cells a span along one axis covers, for terrain side `extent`; false, with no
// cells, for a span that is not a number.
bool statue_cell_range(float low, float high, float extent, int* first, int* last);

// The statues whose bounding spheres may touch the sphere at (x, y, z) of `radius` feet, each
// once, appended to `out` after clearing it: what the physics step asks before testing a
// bike's spheres against a statue's shape.
void statues_near(float x, float y, float z, float radius, std::vector<int>& out);

// Everything the scenery holds, back to empty.
void clear_scenery();

}  // namespace br
