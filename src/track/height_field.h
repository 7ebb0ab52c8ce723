// Loading the ground of a track: heights from "terrain.hf" (or "terrain.png"), shading and
// shadows, the tile table from "tileinfo" (or "texturelist") and the "tilemap".
#pragma once

#include <string>

#include "render/render_settings.h"
#include "track/terrain.h"

namespace br {

// The renderer's ground-texture method whose tiles need their pictures in memory.
constexpr int kGroundTextureSoftware = kGroundMethodSoftware;

// `track_path` is "@" + the track directory; `texture_mode` the renderer's ground-texture
// method. On failure the messages are shown and `terrain` is left empty.
bool load_height_field(const std::string& track_path, int texture_mode, Terrain& terrain);
void free_height_field(Terrain& terrain);

}  // namespace br
