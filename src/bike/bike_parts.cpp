#include "bike/bike_parts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/log.h"
#include "render/model_cache.h"
#include "render/render_settings.h"

namespace br {
namespace {

// Which texture governs each model: a custom texture may come with matching models.
struct ModelSlot {
  PartFile file;
  BikeTexture texture;
  bool silent;  // optional models fail without a warning
};
constexpr ModelSlot kModelSlots[] = {
    {kFrameModel, kTextureBike, false},        {kForkUpperModel, kTextureBike, false},
    {kForkLowerModel, kTextureBike, false},    {kSwingarmModel, kTextureBike, false},
    {kSidePlatesModel, kTextureBike, false},   {kFrontPlateModel, kTextureBike, false},
    {kFrontWheelModel, kTextureWheels, false}, {kRearWheelModel, kTextureWheels, false},
    {kRiderBodyModel, kTextureRider, false},   {kRiderFirstPersonModel, kTextureRider, true},
    {kRiderPlateModel, kTextureRider, true},   {kHeadModel, kTextureHead, false},
};
constexpr PartFile kShapeSlots[] = {kFrameShape,    kForkUpperShape,  kForkLowerShape,
                                    kSwingarmShape, kFrontWheelShape, kRearWheelShape,
                                    kRiderShape};
constexpr PartFile kDefaultTextures[kBikeTextureCount] = {kBikeTexture, kWheelTexture,
                                                          kRiderTexture, kHeadTexture};

std::string base_name(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (!base.empty() && base[0] == '@') base.erase(0, 1);
  return base;
}

// The directory part of a texture name, "/" included; "" when it has none.
std::string directory_of(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

Model* load_model_for(const std::string& model, const std::string& texture, bool silent) {
  std::string variant = model_variant_name(model, texture);
  if (!variant.empty()) {
    if (Model* m = model_load(variant)) return m;
    std::string dir = directory_of(texture);
    if (dir.empty()) {
      if (!silent) kota::log_printf("Warning: Can't load %.900s\n", variant.c_str());
    } else {
      std::string beside = dir + base_name(variant);
      if (Model* m = model_load(beside)) return m;
      if (!silent) {
        kota::log_printf("Warning: Can't load %.450s or %.450s\n", variant.c_str(), beside.c_str());
      }
    }
  }
  Model* m = model_load(model);
  if (!m && !silent) kota::log_printf("Warning: Can't load %.900s\n", model.c_str());
  return m;
}

// The first of "<stem><suffix>.seq", ".png" and ".ppm" that loads, for the texture in use
// and then for the default.
TextureId find_map(const std::string& texture, const std::string& fallback, const char* suffix) {
  for (const std::string* name : {&texture, &fallback}) {
    size_t dot = name->rfind('.');
    std::string stem = dot == std::string::npos ? *name : name->substr(0, dot);
    for (const char* ext : {".seq", ".png", ".ppm"}) {
      if (TextureId id = texture_load(stem + suffix + ext)) return id;
    }
  }
  return 0;
}

bool read_colour(const std::string& text, const char* tag, std::array<uint8_t, 3>& out) {
  size_t at = text.find(tag);
  if (at == std::string::npos) return false;
  float c[3];
  if (std::sscanf(text.c_str() + at + std::strlen(tag), "%f,%f,%f", &c[0], &c[1], &c[2]) != 3)
    return false;
  for (int i = 0; i < 3; ++i) {
    // A NaN fails both comparisons and so ends up 0.
    float v = c[i] > 0 ? std::min(c[i], 1.0f) : 0.0f;
    out[i] = static_cast<uint8_t>(v * 255);
  }
  return true;
}

// Digits of five by seven cells, one row per byte, the leftmost cell in bit 4.
constexpr uint8_t kDigitGlyphs[10][7] = {
    {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}, {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e},
    {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}, {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e},
    {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}, {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e},
    {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}, {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}, {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c},
};

}  // namespace

std::string model_variant_name(const std::string& model, const std::string& texture) {
  std::string base = base_name(texture);
  size_t first = base.find('-');
  if (first == std::string::npos) return "";
  size_t second = base.find('-', first + 1);
  if (second == std::string::npos) return "";
  size_t dot = model.rfind('.');
  if (dot == std::string::npos || model.find('/', dot) != std::string::npos) dot = model.size();
  return model.substr(0, dot) + base.substr(first, second - first) + model.substr(dot);
}

PlateColours parse_plate_colours(const std::string& text) {
  PlateColours c;
  read_colour(text, "[numberbackground:", c.background);
  read_colour(text, "[numberforeground:", c.digits);
  return c;
}

Image draw_number_plate(const std::string& number, const PlateColours& colours) {
  Image plate = make_image(kPlateSize, kPlateSize, 3);
  for (size_t i = 0; i < plate.pixels.size(); i += 3) {
    std::copy(colours.background.begin(), colours.background.end(), plate.pixels.begin() + i);
  }
  int count = static_cast<int>(std::min<size_t>(number.size(), kMaxNumberLength));
  if (count == 0) return plate;
  // Glyphs five cells wide with one cell between them, as large as fits with a margin.
  constexpr int kRoom = kPlateSize - 16;
  int columns = count * 6 - 1;
  int scale = std::max(1, std::min(kRoom / columns, kRoom / 7));
  int left = (kPlateSize - columns * scale) / 2;
  int top = (kPlateSize - 7 * scale) / 2;
  for (int n = 0; n < count; ++n) {
    char ch = number[n];
    if (ch < '0' || ch > '9') continue;  // anything else leaves a gap
    const uint8_t* glyph = kDigitGlyphs[ch - '0'];
    for (int row = 0; row < 7; ++row) {
      for (int col = 0; col < 5; ++col) {
        if (!(glyph[row] & (0x10 >> col))) continue;
        for (int y = 0; y < scale; ++y) {
          for (int x = 0; x < scale; ++x) {
            int px = left + (n * 6 + col) * scale + x;
            int py = top + row * scale + y;
            uint8_t* p = &plate.pixels[(static_cast<size_t>(py) * kPlateSize + px) * 3];
            std::copy(colours.digits.begin(), colours.digits.end(), p);
          }
        }
      }
    }
  }
  return plate;
}

BikeParts load_bike_parts(const BikeEntry& entry, const std::string& number,
                          const std::array<std::string, kBikeTextureCount>& custom) {
  BikeParts parts;
  bool shaders = render_settings().shaders_in_use;
  for (int t = 0; t < kBikeTextureCount; ++t) {
    const std::string& fallback = entry.files[kDefaultTextures[t]];
    TextureId id = custom[t].empty() ? 0 : texture_load(custom[t]);
    parts.texture_names[t] = id ? custom[t] : fallback;
    if (!id) id = texture_load(fallback);
    parts.textures[t] = id;
    if (shaders) {
      parts.normal_maps[t] = find_map(parts.texture_names[t], fallback, "_norm");
      parts.specular_maps[t] = find_map(parts.texture_names[t], fallback, "_spec");
    }
  }
  for (const ModelSlot& slot : kModelSlots) {
    parts.models[slot.file] =
        load_model_for(entry.files[slot.file], parts.texture_names[slot.texture], slot.silent);
  }
  for (PartFile file : kShapeSlots) parts.shapes[file] = shape_load(entry.files[file]);

  parts.plate_colours = parse_plate_colours(texture_metadata(parts.textures[kTextureBike]));
  parts.number_plate =
      texture_create("number plate " + number, draw_number_plate(number, parts.plate_colours));
  return parts;
}

void release_bike_parts(BikeParts& parts) {
  // Models, shapes and file textures stay in their caches for the next bike.
  if (parts.number_plate) texture_release(parts.number_plate);
  parts = BikeParts{};
}

}  // namespace br
