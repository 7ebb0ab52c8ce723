#include "platform/display_modes.h"

#include "platform/log.h"

namespace kota {

bool usable_mode_depth(int bits) {
  return bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

bool add_display_mode(std::vector<DisplayMode>& list, const DisplayMode& m) {
  for (const DisplayMode& seen : list) {
    if (seen.width == m.width && seen.height == m.height &&
        seen.bits_per_pixel == m.bits_per_pixel && seen.refresh_hz == m.refresh_hz) {
      return false;
    }
  }
  bool usable = usable_mode_depth(m.bits_per_pixel);
  log_printf("Found mode %dx%dx%d@%dhz%s\n", m.width, m.height, m.bits_per_pixel, m.refresh_hz,
             usable ? "" : " (ignored)");
  if (usable) list.push_back(m);
  return usable;
}

DisplayMode choose_fullscreen_mode(const std::vector<DisplayMode>& modes,
                                   const std::optional<DisplayMode>& desktop, int width,
                                   int height) {
  const DisplayMode* best = nullptr;
  int best_excess = 0;
  for (const DisplayMode& m : modes) {
    if (m.width < width || m.height < height) continue;
    int excess = (m.width - width) + (m.height - height);
    if (!best || excess < best_excess) {
      best = &m;
      best_excess = excess;
    }
  }
  if (best) return *best;
  if (desktop) return *desktop;
  return {640, 480, 0, 0};
}

}  // namespace kota
