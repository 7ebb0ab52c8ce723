// The four graphics presets: each sets the twelve graphics items at once. The game starts
// on the Compatibility preset, before the configuration file is read.
#pragma once

#include <optional>
#include <string>

#include "world/settings.h"

namespace br {

enum class GraphicsPreset { kCompatibility, kHighFps, kNormal, kHighDetail };

void apply_graphics_preset(Settings& s, GraphicsPreset preset);

// The preset whose twelve items all equal the settings' (presets are compared in the order
// Compatibility, High FPS, Normal, High Detail and the last that matches wins); nothing when
// the settings match none.
std::optional<GraphicsPreset> matching_graphics_preset(const Settings& s);

// "Compatibility", "High FPS", "Normal", "High Detail".
const char* graphics_preset_name(GraphicsPreset preset);

// The Graphics/Sound screen's line: "Current Settings: Normal", or "... Custom".
std::string current_settings_text(const Settings& s);

}  // namespace br
