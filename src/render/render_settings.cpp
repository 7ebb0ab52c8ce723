#include "render/render_settings.h"

namespace br {

RenderSettings& render_settings() {
  static RenderSettings settings;
  return settings;
}

}  // namespace br
