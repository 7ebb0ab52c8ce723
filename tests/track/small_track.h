// Small tracks written by a test into its own data directory: a 17 x 17 height field (size
// exponent 3, spacing 2 ft, heights 0..10 ft) with an 8 x 8 tile map, through the same format
// writers the data kit uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/files_fixture.h"
#include "track/terrain_format.h"
#include "track/tileinfo_format.h"

namespace br_test {

struct SmallTrack {
  br::TerrainHeader header{3, 2.0f, 0.0f, 10.0f};
  std::vector<uint16_t> samples = std::vector<uint16_t>(17 * 17, 0);
  std::vector<br::TileInfo> tiles = std::vector<br::TileInfo>(2);
  std::vector<uint8_t> tilemap = std::vector<uint8_t>(8 * 8, 0);
  std::string desc = "Small Track\n";
};

inline std::string ppm_bytes(int side, int value, const char* magic = "P6") {
  std::string out =
      std::string(magic) + "\n" + std::to_string(side) + " " + std::to_string(side) + "\n255\n";
  bool grey = std::string(magic) == "P5";
  out.append(static_cast<size_t>(side) * side * (grey ? 1 : 3), static_cast<char>(value));
  return out;
}

// Writes every file the ground needs into the game directory under `dir`.
inline void write_small_track(const DataDirs& dirs, const std::string& dir,
                              const SmallTrack& t = {}) {
  int side = br::terrain_side(t.header.size_exp);
  DataDirs::put(dirs.game(dir + "/terrain.hf"), br::format_terrain_file(t.header, t.samples));
  DataDirs::put(dirs.game(dir + "/shadingx2.ppm"), ppm_bytes(side, 100));
  DataDirs::put(dirs.game(dir + "/tilemap"), std::string(t.tilemap.begin(), t.tilemap.end()));
  DataDirs::put(dirs.game(dir + "/tileinfo"), br::format_tileinfo(t.tiles));
  DataDirs::put(dirs.game(dir + "/desc"), t.desc);
}

}  // namespace br_test
