// Dug ground relit from its new slope.
#include "render/rut_light.h"

#include <gtest/gtest.h>

#include "render/terrain_lod.h"
#include "track/terrain_deform.h"

namespace br {
namespace {

TEST(RutLight, AHoleIsBrightOnTheSideFacingTheSunAndDarkOnTheOther) {
  Terrain t;
  terrain_set_size(t, 3, 2.0f);
  t.heights.assign(static_cast<size_t>(t.side) * t.side, 0.0f);
  const std::array<float, 3> sun = {0.6f, 0.8f, 0.0f};  // low in the +x direction
  EXPECT_EQ(rut_light(t, 8, 8, sun), 1.0f);             // never dug: as baked
  TerrainLod lod;
  deform_terrain(t, lod, 16, 16, 6, -1);
  // The hole's wall on the -x side slopes up toward +x, facing the sun; the +x wall turns away.
  EXPECT_GT(rut_light(t, 7, 8, sun), 1.0f);
  EXPECT_LT(rut_light(t, 9, 8, sun), 1.0f);
  EXPECT_NEAR(rut_light(t, 8, 8, sun), 1.0f, 1e-6);  // the flat bottom faces as before
  EXPECT_EQ(rut_light(t, 1, 1, sun), 1.0f);          // far from it
  // However deep, a hole is never lit black nor blinding.
  deform_terrain(t, lod, 16, 16, 6, -100);
  EXPECT_GE(rut_light(t, 9, 8, sun), 0.5f);
  EXPECT_LE(rut_light(t, 7, 8, sun), 1.5f);
}

}  // namespace
}  // namespace br
