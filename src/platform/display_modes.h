// Full-screen display modes and the choice among them.
#pragma once

#include <optional>
#include <vector>

namespace kota {

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 0;
  int refresh_hz = 0;
};

// Depths the game can draw in; modes of other depths are listed but not used.
bool usable_mode_depth(int bits_per_pixel);

// Adds `mode` to `list` unless it is unusable or already there. Logs "Found mode ..." with
// " (ignored)" for unusable depths; returns whether the mode was added.
bool add_display_mode(std::vector<DisplayMode>& list, const DisplayMode& mode);

// The full-screen size for a requested size: the listed mode that covers it with the least
// excess width plus height; else the desktop's mode; else 640 x 480.
DisplayMode choose_fullscreen_mode(const std::vector<DisplayMode>& modes,
                                   const std::optional<DisplayMode>& desktop, int width,
                                   int height);

}  // namespace kota
