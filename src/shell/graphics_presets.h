// The four graphics presets: each sets the twelve graphics items at once. The game starts
// on the Compatibility preset, before the configuration file is read.
#pragma once

#include "world/settings.h"

namespace br {

enum class GraphicsPreset { kCompatibility, kHighFps, kNormal, kHighDetail };

void apply_graphics_preset(Settings& s, GraphicsPreset preset);

}  // namespace br
