// Reading the ground tile table: the "tileinfo" file, or the older "texturelist" when a track
// has none, and the class codes the ground-texture renderer uses to find transition tiles.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "track/terrain.h"

namespace br {

// Software ground-texture composition wants each tile's decoded picture instead of a texture.
enum class TileTextures { kTextureIds, kPictures };

// Appends the tiles of a "tileinfo" text (at most kMaxTiles in all). Problems are warnings;
// the offending line is skipped.
void parse_tileinfo(std::string_view text, TileTextures mode, std::vector<TileType>& tiles);

// Appends the tiles of a "texturelist" text: one tile per line, "F L H name" or just "name".
void parse_texturelist(std::string_view text, TileTextures mode, std::vector<TileType>& tiles);

// Applies the "name=value" words of a "roost" line to a roost record.
void apply_roost_parameters(std::string_view words, RoostRecord& roost);

// The part of a texture name the class codes look at: from its last '/' on, or the whole
// name without a leading '@'.
std::string tile_base_name(const std::string& texture_name);

// Sets every tile's class code from the base names: plain and alternative tiles name their own
// tile twice, transitions "a-b-mmmm" name both tiles and a four-bit mask, and a transition to a
// tile that does not exist gets -256.
void assign_class_codes(std::vector<TileType>& tiles);

}  // namespace br
