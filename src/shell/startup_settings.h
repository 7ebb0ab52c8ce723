// The start-up steps that settle the settings around the configuration file: presets before
// it, then the command line's overrides after it.
#pragma once

#include <string>
#include <vector>

#include "render/graphics_setup.h"
#include "world/world.h"

namespace br {

// Before the file is read: the assist values of the current stability, and the
// Compatibility graphics preset.
void apply_startup_presets(Settings& s);

// After the file is read and the detail values derived: the command line's settings
// (--width, --height, --draw-fps, --draw-time, --draw-ping), which win over the stored values
// and are written back at shutdown, and its detail overrides.
void apply_command_line_settings(World& w);

// The renderer's loaders take their detail from the derived values and the command line.
void configure_renderer(const World& w);

// After the graphics settings changed in the menus: the detail values are derived again (the
// command line's overrides still win) and handed to the renderer. Textures loaded from now on
// follow them; those already loaded keep theirs until their track is loaded again.
void refresh_render_detail(World& w);

// What the graphics settings ask of the driver; start-up settles on it once the window is
// open, so a change in the menus takes effect at the next start.
GraphicsChoices graphics_choices(const Settings& s);

// The track the game starts on: the --track name, else the `track` setting. Selects it in the
// track choice when the list offers it, and returns the name. A name the list does not offer
// leaves the choice as it is, says so in the log (and on standard error for --track) and
// returns the track that will be ridden.
std::string select_startup_track(World& w);

}  // namespace br
