// The parts a bike is drawn and collides with: its models, collision shapes and textures,
// chosen from the rider's custom textures with the model's defaults as the fallback, and the
// number plate drawn for the rider's number.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "bike/catalogue.h"
#include "bike/shape_cache.h"
#include "render/image.h"
#include "render/model.h"
#include "render/texture_cache.h"

namespace br {

enum BikeTexture { kTextureBike, kTextureWheels, kTextureRider, kTextureHead, kBikeTextureCount };

struct PlateColours {
  std::array<uint8_t, 3> background{255, 255, 255};
  std::array<uint8_t, 3> digits{0, 0, 0};
};

constexpr int kPlateSize = 128;      // texels, square
constexpr int kMaxNumberLength = 7;  // characters

struct BikeParts {
  std::array<Model*, kPartFileCount> models{};  // borrowed from the model cache; null if none
  std::array<const CollisionShape*, kPartFileCount> shapes{};  // null if none
  std::array<TextureId, kBikeTextureCount> textures{};         // 0 when even the default failed
  std::array<std::string, kBikeTextureCount> texture_names;    // the names in use
  std::array<TextureId, kBikeTextureCount> normal_maps{}, specular_maps{};  // shaders only
  PlateColours plate_colours;
  TextureId number_plate = 0;  // owned by the bike
};

// Loads everything the entry names. `custom` holds the caller's texture names in
// BikeTexture order; an empty or unloadable one falls back to the entry's default.
BikeParts load_bike_parts(const BikeEntry& entry, const std::string& number,
                          const std::array<std::string, kBikeTextureCount>& custom);
void release_bike_parts(BikeParts& parts);

// The model name that matches a custom texture: for a texture whose base name holds two "-",
// the text from the first "-" up to the second goes before the model's extension
// ("@x_frame.jm" with "a-red-b.png" gives "@x_frame-red.jm"). Empty when there is none.
std::string model_variant_name(const std::string& model, const std::string& texture);

// The plate colours a bike texture's text carries in "[numberbackground:r,g,b]" and
// "[numberforeground:r,g,b]" (components 0..1, clamped); white and black without them.
PlateColours parse_plate_colours(const std::string& text);

// The rider's number (at most kMaxNumberLength characters) drawn on a square RGB plate.
Image draw_number_plate(const std::string& number, const PlateColours& colours);

}  // namespace br
