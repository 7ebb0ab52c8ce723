// The ground's composed textures without the graphics: which square blocks of tile cells get
// a texture of their own, and the software composition of one block from the tile pictures,
// the decals and the baked light. Blocks are counted in tile cells (the tile map's grid); a
// cell spans two height-sample intervals, so the light picture has two samples per cell.
#pragma once

#include <cstdint>
#include <vector>

#include "render/image.h"
#include "track/terrain.h"

namespace br {

// Low-detail textures each cover this many tile cells per side (fewer on a smaller field).
constexpr int kLowDetailLevel = 6;
// Detail rings stop below the low-detail level.
constexpr int kFinestRingTop = 5;
// Every ring is this many blocks per side, centred on the camera.
constexpr int kRingBlocks = 4;
// Tile pictures are read this far in from their edges, in texels of the level in use, so
// filtering never blends in the opposite edge.
constexpr float kTileInsetTexels = 0.5f;
// The light picture's textures hold this many useful samples per side, with an apron of
// kLightApron on every side so filtering never reads across a texture edge.
constexpr int kLightTextureSize = 512, kLightUseful = 384, kLightApron = 64;
// Shadowed ground keeps this share of its light.
constexpr float kShadowKeeps = 0.4f;

// Cell counts: the tile map is 2^levels cells per side.
int ground_levels(const Terrain& t);
// Low-detail blocks per side and the cells each covers.
int low_detail_blocks(const Terrain& t);
int low_detail_cells(const Terrain& t);
// Light textures per side: enough 384-sample windows for the 2^levels * 2 sample intervals.
int light_textures_per_side(int tile_side);

// The 4 x 4 window of blocks of 2^level cells around a camera at (x, z) feet: its first block
// on each axis and its size (smaller only when the field is).
struct BlockWindow {
  int x0 = 0, z0 = 0, count = 0;
};
BlockWindow ring_window(const Terrain& t, int level, float eye_x, float eye_z);

// The baked light of every height sample, RGB at half intensity (128 leaves a texel as it
// is after the renderer's doubling): the track's shading darkened where shadows fall.
std::vector<uint8_t> ground_light(const Terrain& t);

// A decal as the composer lays it: `size_a` along the angle's direction, `size_b` across.
struct GroundDecal {
  const Image* image = nullptr;
  float x = 0, z = 0, size_a = 1, size_b = 1, sin_angle = 0, cos_angle = 1;
};
// The decal's picture coordinates at (x, z) feet; inside the decal when both lie in 0..1.
void decal_coords(const GroundDecal& d, float x, float z, float* u, float* v);
// Whether the decal's square bound overlaps cells [x0, x0 + n) x [z0, z0 + n).
bool decal_overlaps(const GroundDecal& d, const Terrain& t, int x0, int z0, int n);

// Composes the block of n x n cells from cell (x0, z0) into `size` x `size` RGB texels, row 0
// at the block's low z edge: each cell's tile picture, the decals blended by their alpha,
// then multiplied by the light (`light` from ground_light). Tiles without a picture are grey.
void compose_ground_block(const Terrain& t, const std::vector<GroundDecal>& decals,
                          const std::vector<uint8_t>& light, int x0, int z0, int n, int size,
                          std::vector<uint8_t>& rgb);

// Bilinear sample of one level of a picture at (u, v) in 0..1, clamped to its edges; RGBA out
// (alpha 255 for pictures without one).
void sample_picture(const Image& image, int level, float u, float v, float rgba[4]);
// The finest level no wider than about `texels_across` (the level mipmapping would pick).
int picture_level_for(const Image& image, float texels_across);

}  // namespace br
