#include "shell/video_modes.h"

#include "world/world.h"

namespace br {

std::vector<VideoMode> full_screen_modes(const std::vector<kota::DisplayMode>& modes) {
  std::vector<VideoMode> list;
  for (const kota::DisplayMode& m : modes) {
    if (m.bits_per_pixel == modes.front().bits_per_pixel) list.push_back({m.width, m.height});
  }
  return list;
}

WindowRequest window_request(const World& w) {
  const Settings& s = w.settings;
  WindowRequest r;
  int mode = s.video_mode.index;
  if (mode == kVideoModeWindowed) {
    // A size that is not a number reads as 0; the default size serves then.
    if (s.xres.value > 0) r.width = s.xres.value;
    if (s.yres.value > 0) r.height = s.yres.value;
    return r;
  }
  r.fullscreen = true;
  bool listed = mode >= 0 && mode < static_cast<int>(s.video_modes.size());
  r.width = listed ? s.video_modes[mode].width : 0;  // 0 x 0: the desktop's own mode
  r.height = listed ? s.video_modes[mode].height : 0;
  return r;
}

}  // namespace br
