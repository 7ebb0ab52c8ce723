// Scenery placement along a course, and the pictures of the tracks: ground tiles, skies,
// trees, banners and course tape.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "track_files.h"

namespace kit {

struct SceneryStyle {
  int trees = 0;
  std::vector<std::string> tree_pictures;
  float tape_curvature = 1.0f / 110.0f;  // tape lines the turns tighter than this
  float bale_curvature = 1.0f / 75.0f;   // hay bales on the outside of turns tighter than this
  uint64_t seed = 1;
};

// Fills the billboards, statues and decals of a track from its course.
void place_scenery(TrackOutput& track, const SceneryStyle& style);

// Names the sky pictures that write_*_textures puts in the track directory `dir`.
void name_track_sky(br::LightingFile& lighting, const std::string& dir);

bool write_outdoor_textures(const std::string& root, const std::string& dir);
bool write_stadium_textures(const std::string& root, const std::string& dir);

}  // namespace kit
