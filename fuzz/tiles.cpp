// Ground tile lists: "tileinfo", the older "texturelist" and the class codes derived from
// their texture names. The first byte picks the format.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "fuzz_support.h"
#include "track/tile_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  br_fuzz::fuzz_home();
  std::vector<br::TileType> tiles;
  auto text = br_fuzz::as_text(data + 1, size - 1);
  if (data[0] & 1) {
    br::parse_texturelist(text, br::TileTextures::kTextureIds, tiles);
  } else {
    br::parse_tileinfo(text, br::TileTextures::kTextureIds, tiles);
  }
  br::assign_class_codes(tiles);
  // The tyre contact takes these numbers as they are: they must be finite.
  for (const br::TileType& t : tiles) {
    for (const auto& p : t.friction)
      if (!std::isfinite(p.value) || !std::isfinite(p.speed)) std::abort();
    for (const auto& p : t.roll_resist)
      if (!std::isfinite(p.low) || !std::isfinite(p.high) || !std::isfinite(p.speed)) std::abort();
  }
  br_fuzz::reset_caches(true);
  return 0;
}
