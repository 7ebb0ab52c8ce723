// A window with the game's renderer in it, for tests that race on the default data set's tracks
// and look at what the chase camera draws: open() installs what the scene needs, close()
// frees the race, the track and everything on the card, and read_picture() gives the frame
// as RGB rows top to bottom.
#pragma once

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "render/graphics_setup.h"
#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/scene_draw.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "track/scenery.h"
#include "track/track_loader.h"
#include "world/world.h"

// Only where the game's data exists.
#ifdef BR_DEFAULT_DATA_DIR
namespace br_test {

class GlScene {
 public:
  // False, with the reason in why(), when there is no display or no context.
  bool open(const char* title, int width) {
    if (!gl_.open(title, width, 24)) return false;
    use_data_directory(BR_DEFAULT_DATA_DIR);
    br::render_settings() = br::RenderSettings{};
    br::render_gl_install();
    br::install_rider_skinning();
    br::install_scenery_steps();
    br::graphics_probe();
    return true;
  }
  const std::string& why() const { return gl_.why(); }

  void close() {
    if (gl_.is_open()) {
      br::free_all_bikes(br::g_world);
      br::physics_world_close(br::g_world);
      br::shape_cache_clear();
      if (br::g_world.track.loaded) br::free_track();
      br::terrain_gl_release();
      br::shaders_release();
      br::texture_delete_all();
      br::model_delete_all();
      br::render_gl_uninstall();
      br::world_reset();
      gl_.close();
      restore_data_directories();
    }
    br::render_settings() = br::RenderSettings{};
  }

  // What was drawn, finished, as RGB rows from the top.
  static std::vector<uint8_t> read_picture(int width, int height) {
    glFinish();
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    std::vector<uint8_t> picture(rows.size());
    const size_t row_bytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
      std::copy_n(&rows[static_cast<size_t>(height - 1 - y) * row_bytes], row_bytes,
                  &picture[static_cast<size_t>(y) * row_bytes]);
    }
    return picture;
  }

 private:
  GlWindow gl_;
};

}  // namespace br_test
#endif
