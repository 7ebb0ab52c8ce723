#include "shell/graphics_presets.h"

#include <iterator>

namespace br {
namespace {

struct PresetValues {
  double ground_detail;
  double ground_texture_detail;
  const char* ground_texture_dim;
  const char* ground_mipmaps;
  const char* texture_compress;
  const char* render_texture;
  const char* use_shader;
  double model_detail;
  double model_texture_detail;
  const char* lens_flare;
  const char* reflections;
  double roost_density;
};

// In GraphicsPreset order.
constexpr PresetValues kPresets[] = {
    {70, 9, "64x64", "Yes", "No", "Software", "Yes", 50, 9, "Yes", "Yes", 1000},
    {50, 7, "64x64", "Yes", "Yes", "Hardware/Direct", "No", 25, 7, "No", "No", 0},
    {70, 9, "128x128", "Yes", "Yes", "Shaders/Direct", "Yes", 50, 9, "Yes", "Yes", 1000},
    {90, 10, "256x256", "Yes", "No", "Shaders/Direct", "Yes", 75, 10, "Yes", "Yes", 1000},
};

constexpr const char* kPresetNames[] = {"Compatibility", "High FPS", "Normal", "High Detail"};

bool matches(const Settings& s, const PresetValues& p) {
  return s.ground_detail.value == p.ground_detail &&
         s.ground_texture_detail.value == p.ground_texture_detail &&
         s.ground_texture_dim.text() == p.ground_texture_dim &&
         s.ground_mipmaps.text() == p.ground_mipmaps &&
         s.texture_compress.text() == p.texture_compress &&
         s.render_texture.text() == p.render_texture && s.use_shader.text() == p.use_shader &&
         s.model_detail.value == p.model_detail &&
         s.model_texture_detail.value == p.model_texture_detail &&
         s.lens_flare.text() == p.lens_flare && s.reflections.text() == p.reflections &&
         s.roost_density.value == p.roost_density;
}

}  // namespace

void apply_graphics_preset(Settings& s, GraphicsPreset preset) {
  const PresetValues& p = kPresets[static_cast<int>(preset)];
  number_set(s.ground_detail, p.ground_detail);
  number_set(s.ground_texture_detail, p.ground_texture_detail);
  s.ground_texture_dim.select(p.ground_texture_dim);
  s.ground_mipmaps.select(p.ground_mipmaps);
  s.texture_compress.select(p.texture_compress);
  s.render_texture.select(p.render_texture);
  s.use_shader.select(p.use_shader);
  number_set(s.model_detail, p.model_detail);
  number_set(s.model_texture_detail, p.model_texture_detail);
  s.lens_flare.select(p.lens_flare);
  s.reflections.select(p.reflections);
  number_set(s.roost_density, p.roost_density);
}

std::optional<GraphicsPreset> matching_graphics_preset(const Settings& s) {
  std::optional<GraphicsPreset> found;
  for (int i = 0; i < static_cast<int>(std::size(kPresets)); ++i) {
    if (matches(s, kPresets[i])) found = static_cast<GraphicsPreset>(i);
  }
  return found;
}

const char* graphics_preset_name(GraphicsPreset preset) {
  return kPresetNames[static_cast<int>(preset)];
}

std::string current_settings_text(const Settings& s) {
  std::optional<GraphicsPreset> preset = matching_graphics_preset(s);
  return std::string("Current Settings: ") + (preset ? graphics_preset_name(*preset) : "Custom");
}

}  // namespace br
