// The ground tile list "tileinfo": per tile, property lines ("texture", "friction",
// "roll_resist", "roost", "erode_*") and then the line "addtile" that stores the tile.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace br {

constexpr int kMaxTiles = 256;
constexpr int kTileCurvePoints = 8;
constexpr int kTileRoostKinds = 4;

// The erosion values in their stored order, with their keywords and defaults.
enum ErodeValue {
  kErodeDepth,
  kErodeLower,         // lb: weaker pushes leave no mark
  kErodeUpper,         // lb: stronger pushes move the dirt the whole displacement
  kErodeDisplacement,  // feet
  kErodeRadius,        // feet
  kErodeMaxSlope,      // dirt is not pushed up anything steeper
  kErodeOffSpeed,      // ft/s: a slower wheel leaves no mark
  kErodeOnSpeed,       // ft/s: a faster one marks with its whole push
  kErodeValueCount
};
constexpr std::array<const char*, kErodeValueCount> kErodeKeywords = {
    "erode_depth",  "erode_lower",     "erode_upper",     "erode_displacement",
    "erode_radius", "erode_max_slope", "erode_off_speed", "erode_on_speed"};
constexpr std::array<float, kErodeValueCount> kErodeDefaults = {1.0f, 50.0f, 150.0f, 2.0f,
                                                                4.0f, 0.25f, 10.0f,  15.0f};

struct FrictionPoint {
  float value;
  float speed;  // feet per second
};

struct RollResistPoint {
  float low;    // with no wheel penetration
  float high;   // at full penetration
  float speed;  // feet per second
};

// One kind of thrown dirt; only the parameters that differ from the loader's defaults need
// to be given, as "name=value" words in the order of this list.
struct RoostLine {
  std::vector<std::pair<std::string, std::string>> params;
};

struct TileInfo {
  std::string texture;  // data path, for example "@rabbithill/loam.png"
  std::vector<FrictionPoint> friction;
  std::vector<RollResistPoint> roll_resist;
  std::vector<RoostLine> roost;
  std::array<float, kErodeValueCount> erode = kErodeDefaults;
};

// The whole file; erosion values equal to the defaults are left out.
std::string format_tileinfo(const std::vector<TileInfo>& tiles);

}  // namespace br
