#include "track/height_field.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/digest.h"
#include "files/messages.h"
#include "platform/log.h"
#include "render/image_formats.h"
#include "render/render_files.h"
#include "render/texture_decode.h"
#include "track/terrain_format.h"
#include "track/tile_table.h"
#include "track/track_steps.h"
#include "world/world.h"

namespace br {
namespace {

void cant_open(const std::string& path) {
  show_message("Can't open '%.950s'", path.c_str());
}

size_t texture_memory_of_load() {
  size_t used = texture_memory_used(), base = g_world.track.texture_memory_base;
  return used > base ? used - base : 0;
}

// The 16-bit samples, inline after the header or from "terrain.png".
bool read_samples(const std::string& track_path, const std::vector<uint8_t>& file,
                  const ParsedTerrain& parsed, int side, std::vector<uint16_t>& samples) {
  size_t count = static_cast<size_t>(side) * side;
  if (parsed.inline_heights) {
    // A short file would leave part of the ground undefined; refuse it, before a few bytes
    // can make us allocate the largest ground.
    if (file.size() - parsed.samples_offset < count * 2) return false;
    samples.assign(count, 0);
    const uint8_t* p = file.data() + parsed.samples_offset;
    for (size_t k = 0; k < count; ++k)
      samples[k] = static_cast<uint16_t>(p[2 * k] | p[2 * k + 1] << 8);
    return true;
  }
  samples.assign(count, 0);
  std::string png_path = track_path + "/terrain.png";
  auto bytes = read_data_file(png_path);
  std::string error;
  std::optional<GreySamples16> png;
  if (bytes) png = decode_png_grey16(*bytes, &error);
  if (!png) {
    if (bytes) kota::log_printf("%s: %s\n", png_path.c_str(), error.c_str());
    return true;  // every height stays at the lowest
  }
  for (int r = 0; r < side; ++r) {
    int pr = std::min(r, png->height - 1);
    for (int c = 0; c < side; ++c) {
      int pc = std::min(c, png->width - 1);
      samples[static_cast<size_t>(c) + static_cast<size_t>(side) * r] =
          png->samples[static_cast<size_t>(pc) + static_cast<size_t>(png->width) * pr];
    }
  }
  return true;
}

bool read_heights(const std::string& track_path, Terrain& t) {
  std::string path = track_path + "/terrain.hf";
  auto file = read_data_file(path);
  if (!file) {
    cant_open(path);
    return false;
  }
  auto parsed = parse_terrain_header(
      std::string(file->begin(), file->begin() + std::min<size_t>(file->size(), 256)));
  if (!parsed) {
    show_message("Bad height field parameters");
    show_message("Error reading heights");
    return false;
  }
  const TerrainHeader& h = parsed->header;
  terrain_set_size(t, h.size_exp, h.spacing);
  t.min_height = h.min_height;
  t.max_height = h.max_height;
  std::vector<uint16_t> samples;
  if (!read_samples(track_path, *file, *parsed, t.side, samples)) {
    show_message("Error reading heights");
    return false;
  }
  t.heights.resize(samples.size());
  for (size_t k = 0; k < samples.size(); ++k) t.heights[k] = height_from_sample(samples[k], h);
  if (g_world.options.debug_level >= 2) {
    std::vector<uint8_t> stored(samples.size() * 2);
    for (size_t k = 0; k < samples.size(); ++k) {
      stored[2 * k] = static_cast<uint8_t>(samples[k] & 0xff);
      stored[2 * k + 1] = static_cast<uint8_t>(samples[k] >> 8);
    }
    kota::log_printf("%s\n", ripemd160_hex(stored.data(), stored.size()).c_str());
  }
  return true;
}

std::optional<Image> decode_shading(const std::vector<uint8_t>& bytes, std::string* error) {
  ImageFormat f = detect_image_format(bytes);
  if (f == ImageFormat::kJ6 || f == ImageFormat::kJ7) return decode_j6_j7(bytes, error);
  return decode_ppm(bytes, error);
}

bool read_shading(const std::string& track_path, Terrain& t) {
  bool halve = false;
  auto bytes = read_data_file(track_path + "/shadingx2.ppm");
  if (!bytes) {
    std::string path = track_path + "/shading.ppm";
    bytes = read_data_file(path);
    if (!bytes) {
      cant_open(path);
      return false;
    }
    halve = true;  // stored at full intensity; kept at half like the doubled file
  }
  std::string error;
  auto image = decode_shading(*bytes, &error);
  if (!image) {
    show_message("Error reading shading");
    return false;
  }
  if (image->width != t.side || image->height != t.side) {
    show_message("Bad shading dimensions (%dx%d)", image->width, image->height);
    return false;
  }
  size_t count = static_cast<size_t>(t.side) * t.side;
  int comps = image->components;
  t.shading.resize(count * 3);
  for (size_t k = 0; k < count; ++k) {
    for (int c = 0; c < 3; ++c) {
      uint8_t v = image->pixels[k * comps + (comps >= 3 ? c : 0)];
      t.shading[k * 3 + c] = halve ? v >> 1 : v;
    }
  }
  return true;
}

bool read_shadows(const std::string& track_path, Terrain& t) {
  size_t count = static_cast<size_t>(t.side) * t.side;
  std::string error;
  auto image = decode_grey_file(track_path + "/shadows.pgm", &error);
  if (!image) {
    if (!error.empty()) {
      show_message("Error reading shadows");
      return false;
    }
    t.shadows.assign(count, 0);
    return true;
  }
  if (image->width != t.side || image->height != t.side) {
    kota::log_printf("Bad shadow dimensions (%dx%d)\n", image->width, image->height);
    return false;
  }
  t.shadows.resize(count);
  // White in the file is sunlit; in memory larger means darker.
  for (size_t k = 0; k < count; ++k) t.shadows[k] = 255 - image->pixels[k * image->components];
  return true;
}

bool read_tiles(const std::string& track_path, int texture_mode, Terrain& t) {
  bool debug = g_world.options.debug_level >= 1;
  if (debug) {
    kota::log_printf("%lu bytes texture memory used before ground tiles loaded\n",
                     static_cast<unsigned long>(texture_memory_of_load()));
  }
  TileTextures mode =
      texture_mode == kGroundTextureSoftware ? TileTextures::kPictures : TileTextures::kTextureIds;
  if (auto info = read_data_file(track_path + "/tileinfo")) {
    parse_tileinfo(std::string_view(reinterpret_cast<const char*>(info->data()), info->size()),
                   mode, t.tiles);
  } else {
    std::string path = track_path + "/texturelist";
    auto list = read_data_file(path);
    if (!list) {
      cant_open(path);
      return false;
    }
    parse_texturelist(std::string_view(reinterpret_cast<const char*>(list->data()), list->size()),
                      mode, t.tiles);
  }
  if (t.tiles.empty()) {
    // Every map cell needs a tile to stand for; a plain ground keeps the track rideable.
    show_message("No ground tiles in '%.900s'; using a default tile", track_path.c_str());
    t.tiles.push_back(default_tile());
  }
  assign_class_codes(t.tiles);
  if (debug) {
    kota::log_printf("%lu bytes texture memory used after ground tiles loaded\n",
                     static_cast<unsigned long>(texture_memory_of_load()));
  }
  return true;
}

bool read_tilemap(const std::string& track_path, Terrain& t) {
  std::string path = track_path + "/tilemap";
  auto bytes = read_data_file(path);
  if (!bytes) {
    cant_open(path);
    return false;
  }
  size_t count = static_cast<size_t>(t.tile_side) * t.tile_side;
  if (bytes->size() < count) {
    show_message("Error reading tilemap");
    return false;
  }
  uint8_t last = static_cast<uint8_t>(t.tiles.size() - 1);
  t.tilemap.assign(bytes->begin(), bytes->begin() + static_cast<long>(count));
  for (uint8_t& cell : t.tilemap) cell = std::min(cell, last);
  return true;
}

}  // namespace

void terrain_set_size(Terrain& t, int size_exp, float spacing) {
  t.size_exp = size_exp;
  t.tile_side = terrain_tile_side(size_exp);
  t.side = terrain_side(size_exp);
  t.spacing = spacing;
  t.tile_size = 2.0f * spacing;
  t.extent = spacing * 2.0f * static_cast<float>(t.tile_side);
}

bool load_height_field(const std::string& track_path, int texture_mode, Terrain& t) {
  t = Terrain{};
  bool ok = read_heights(track_path, t) && read_shading(track_path, t) &&
            read_shadows(track_path, t) && read_tiles(track_path, texture_mode, t) &&
            read_tilemap(track_path, t);
  if (!ok) {
    free_height_field(t);
    return false;
  }
  if (track_steps().read_decals) track_steps().read_decals(track_path);
  return true;
}

void free_height_field(Terrain& t) {
  // Tile textures stay in the texture cache, which is emptied on its own schedule.
  t = Terrain{};
}

}  // namespace br
