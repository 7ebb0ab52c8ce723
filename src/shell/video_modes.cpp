#include "shell/video_modes.h"

#include "shell/world.h"

namespace br {

std::vector<VideoModeEntry> build_video_mode_list(const std::vector<kota::DisplayMode>& modes) {
  std::vector<VideoModeEntry> list = {{"Default Fullscreen", 0, 0}, {"Windowed", 0, 0}};
  for (const kota::DisplayMode& m : modes) {
    if (m.bits_per_pixel != modes.front().bits_per_pixel) continue;
    list.push_back({std::to_string(m.width) + "x" + std::to_string(m.height), m.width, m.height});
  }
  return list;
}

WindowRequest window_request(const World& w) {
  WindowRequest r;
  // A size that is not a number reads as 0; the default size serves then.
  if (w.options.width && *w.options.width > 0) r.width = *w.options.width;
  if (w.options.height && *w.options.height > 0) r.height = *w.options.height;
  return r;
}

}  // namespace br
