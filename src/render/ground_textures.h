// The ground's composed textures on the graphics card: a low-detail set over the whole field,
// rings of finer textures around the camera re-composed as it moves, and with the terrain's
// shader path matching normal and specular textures. Game only.
#pragma once

#include <cstdint>
#include <vector>

#include "render/ground_blocks.h"
#include "track/scenery.h"
#include "track/terrain.h"
#include "track/track.h"

namespace br {

// One composed texture and the square of tile cells it shows.
struct GroundTexture {
  unsigned colour = 0, normal = 0, specular = 0;
  int x0 = -1, z0 = -1, cells = 0;  // tile cells; x0 < 0 while it shows nothing
  bool stale = true;
  // A decal with a specular map lies on the block: without one the specular texture is plain
  // (no highlight anywhere) and the ground is drawn without reading it.
  bool highlights = false;
};

// Chooses the composing method from render_settings(), creates every texture and composes the
// low-detail set. False (and nothing kept) when no ground texture can be made: the terrain is
// then drawn with its tiles repeated.
bool ground_textures_init(const Terrain& t, const std::vector<Decal>& decals);
// Moves the rings to the camera at (x, z) feet and composes the stale textures.
void ground_textures_update(float eye_x, float eye_z);
// The finest composed texture that covers the square of `samples` height-sample intervals
// from sample (sx, sz); null when none does (or there are no ground textures).
const GroundTexture* ground_texture_for(int sx, int sz, int samples);
// Keeps the textures for the loaded track: made on the first frame after each load, moved
// with the camera at (x, z) feet, released when no track is loaded.
void ground_textures_follow(const TrackState& track, float eye_x, float eye_z);
// Every texture is composed again before it is next used (the whole ground changed).
void ground_textures_mark_stale();
bool ground_textures_ready();
// Deletes every ground texture (with the track, and before the context goes).
void ground_textures_release();

// The method in effect after init, for the log and the tests.
enum class GroundComposer { kNone, kSoftware, kCopy, kFramebuffer };
GroundComposer ground_composer();

// Composes one block with the hardware path into the current framebuffer's lower-left
// `size` x `size` pixels (also used by the tests).
void draw_ground_block(int x0, int z0, int cells, int size);

}  // namespace br
