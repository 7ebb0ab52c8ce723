// The riding surface of the loaded track: a square grid of height samples triangulated in a
// checkerboard, a coarser map of ground tiles, and the tile table with each ground's friction,
// rolling resistance, roost and erosion. Lengths in feet, speeds in feet per second.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "render/image.h"
#include "render/texture_cache.h"
#include "track/tileinfo_format.h"

namespace br {

// One kind of dirt thrown by a wheel.
enum RoostMode { kRoostUnused = 0, kRoostDirt = 1, kRoostSplash = 2 };

struct RoostRecord {
  int mode = kRoostUnused;
  TextureId texture = 0;
  float count = 10.0f;
  float dig = 1.0f;
  float slip_threshold = 4.0f;
  float slow_angle = 1.5707964f;   // radians
  float fast_angle = 0.19634955f;  // radians
  float slow_speed = 0.0f;
  float fast_speed = 64.0f;
  float size = 0.25f;  // feet
  float grow = 4.0f;
  float drag = 0.5f;
  float vscale = 1.0f;
  float randomize = 15.0f;
  std::array<uint8_t, 4> colour{255, 255, 255, 255};  // r, g, b, a
  std::array<int8_t, 4> fade{0, 0, 0, -2};            // change per simulation step
};

constexpr const char* kDefaultRoostTexture = "@roost.png";
// Speeds below this are raised to it, so curve points never sit at the "unused" speed 0.
constexpr float kMinCurveSpeed = 9.536743e-7f;  // 2^-20

struct TileType {
  // A texture id, or in the software ground-texture mode the decoded picture instead.
  TextureId texture = 0;
  const Image* image = nullptr;  // borrowed from the texture cache
  // With the terrain's shader path: the tile's normal and specular maps.
  TextureId normal_map = 0, specular_map = 0;
  std::string texture_name;  // as the tile table names it
  std::string base_name;     // "/name.png": from the texture name's last '/'
  int class_code = 0;
  // Used points first, by ascending speed; unused points have speed 0.
  std::array<FrictionPoint, kTileCurvePoints> friction{};
  std::array<RollResistPoint, kTileCurvePoints> roll_resist{};
  std::array<RoostRecord, kTileRoostKinds> roost{};
  std::array<float, kErodeValueCount> erode = kErodeDefaults;
};

// A tile with every property at its default: friction 1.0 and rolling resistance 5/15, one
// point each at speed 1, no roost.
TileType default_tile();

struct Terrain {
  int size_exp = 0;
  int tile_side = 0;     // T: the tile map is T by T cells
  int side = 0;          // S = 2T + 1 height samples per side
  float spacing = 1.0f;  // feet between neighbouring samples
  float tile_size = 2.0f;
  float extent = 0.0f;  // the terrain covers 0..extent in x and z
  float min_height = 0.0f;
  float max_height = 0.0f;
  std::vector<float> heights;    // S*S, sample (c, r) at c + S*r
  std::vector<uint8_t> shading;  // S*S RGB triples at half intensity
  std::vector<uint8_t> shadows;  // S*S, 0 = unshadowed, larger = darker
  std::vector<uint8_t> tilemap;  // T*T tile indices, cell (i, j) at i + T*j
  std::vector<TileType> tiles;   // at most kMaxTiles
  // The wheels dig ruts into `heights` while riding. A networked session locks the ground so
  // that every client rides the same heights, and reloads a track whose ground was changed.
  bool modified = false;
  bool locked = false;
  uint32_t changes = 0;  // deformations since the load
  // The heights as loaded, kept from the first deformation on (empty before), so that what
  // the wheels changed can be measured and lit.
  std::vector<float> loaded_heights;

  bool loaded() const { return side > 0; }
};

// Sets the sizes that follow from the size exponent and spacing.
void terrain_set_size(Terrain& t, int size_exp, float spacing);

}  // namespace br
