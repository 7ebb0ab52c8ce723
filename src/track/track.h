// The track part of the world record: the list of tracks found at start-up and the loaded
// track with its terrain and digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/digest.h"
#include "race/timing_gates.h"
#include "render/terrain_lod.h"
#include "track/roost_pool.h"
#include "track/scenery.h"
#include "track/terrain.h"

namespace br {

// Parallel arrays, sorted by long name.
struct TrackList {
  std::vector<std::string> dirs;        // the data name before "/terrain.hf"
  std::vector<std::string> long_names;  // first line of "desc", or the directory name
};

using TrackDigest = std::array<uint8_t, kDigestBytes>;

struct TrackState {
  TrackList list;

  bool loaded = false;
  std::string dir;        // of the loaded track, or of the one being loaded
  std::string long_name;  // as the list names it
  TrackDigest digest{};
  // Kept by the timing gates when they are read.
  int first_lap_entries = 0;
  int normal_lap_entries = 0;
  int start_positions = 0;
  int load_generation = 0;         // counts load attempts
  size_t texture_memory_base = 0;  // the texture layer's counter when this load began
  Terrain terrain;
  Scenery scenery;     // what stands on the ground, the lighting and the cameras
  TrackTiming timing;  // start positions, timing gates and lap lists
  TerrainLod lod;      // the renderer's detail tree over `terrain`
  RoostPool roost;
};

}  // namespace br
