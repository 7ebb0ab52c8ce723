// The ground's vertices as the graphics card keeps them: one per height sample, sent once
// when the track loads and again only where the wheels changed the heights. No graphics here.
#pragma once

#include <array>
#include <cstdint>

#include "render/terrain_lod.h"
#include "track/terrain.h"

namespace br {

// The vertex colour of composed ground that leaves it as composed: it is drawn at four times
// its colour, so that ruts facing the sun can brighten it as well as darken it.
constexpr float kComposedGrey = 127.5f;

struct GroundVertex {
  float x = 0, y = 0, z = 0;  // feet
  // For ground drawn with its tile repeated: the baked shading and shadow, scaled by the rut
  // light. Stored at half intensity like the shading.
  std::array<uint8_t, 4> lit{};
  // For composed ground, which holds its light already: grey at half intensity (the ground as
  // composed), darker or brighter where ruts turned the ground from or toward the sun.
  std::array<uint8_t, 4> dug{};
};

// Vertices of samples first_c..last_c of row `row` into out[0 .. last_c - first_c]; `sun` is
// the unit direction toward the sun.
void ground_vertices_fill(const Terrain& t, int row, int first_c, int last_c,
                          const std::array<float, 3>& sun, GroundVertex* out);

// The samples whose vertices differ once the heights of `changed` have: the light reads the
// slope from the neighbouring samples, so one more all round, kept inside the grid.
LodRect ground_vertices_affected(const Terrain& t, const LodRect& changed);

}  // namespace br
