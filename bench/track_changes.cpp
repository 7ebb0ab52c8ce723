// Resident memory over track changes made from the menus: each change opens the main menu,
// picks the other default track in the race menu and starts the race, then draws some frames
// of it. The resident size after each change is printed, and how far the last one lies from
// the size after the second change (the first two load everything the game keeps for good).
//   bench_track_changes [changes=20] [frames per race=30] [data directory]
// Needs a display (xvfb-run -a -s '-screen 0 1280x720x24' for Mesa's software renderer).
#include <epoxy/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_home.h"
#include "bench_window.h"
#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "platform/devices.h"
#include "platform/key_codes.h"
#include "render/font.h"
#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/scene_draw.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "render/view_cameras.h"
#include "shell/controls.h"
#include "shell/frame_loop.h"
#include "track/scenery.h"
#include "track/track_list.h"
#include "track/track_loader.h"
#include "ui/menu.h"
#include "ui/menu_draw.h"
#include "world/world.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720;

double resident_megabytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}

void press(const char* key) {
  kota::Event e;
  e.code = kota::key_code(key).value_or(-1);
  e.pressed = true;
  br::handle_event(br::g_world, e);
  e.pressed = false;
  br::handle_event(br::g_world, e);
}

std::string highlighted() {
  br::MenuScreen s = br::open_menu_screen(br::g_world);
  return s.entries.at(static_cast<size_t>(br::g_world.menu_selection)).label;
}

// Down to the entry `label` and Enter, as a player would.
bool choose(const std::string& label) {
  for (int i = 0; i < 64; ++i) {
    if (highlighted() == label) {
      press("enter");
      return true;
    }
    press("down");
  }
  std::fprintf(stderr, "no entry '%s'\n", label.c_str());
  return false;
}

bool change_track(const std::string& long_name) {
  press("esc");  // the main menu over the race
  return choose("New Race") && choose("Track") && choose(long_name) && choose("Start");
}

}  // namespace

int main(int argc, char** argv) {
  int changes = argc > 1 ? std::atoi(argv[1]) : 20;
  int frames = argc > 2 ? std::atoi(argv[2]) : 30;
  std::string data = argc > 3 ? argv[3] : "";
#ifdef BR_DEFAULT_DATA_DIR
  if (data.empty()) data = BR_DEFAULT_DATA_DIR;
#endif
  if (data.empty() || changes < 2 || frames < 0) {
    std::fprintf(stderr, "usage: bench_track_changes [changes] [frames per race] [data]\n");
    return 1;
  }
  BenchWindow window(kWidth, kHeight);
  if (!window.ok()) return 1;

  const BenchHome home(data);
  if (!home.ok()) return 1;
  br::world_reset();
  br::World& w = br::g_world;
  br::load_generic_shapes();
  br::render_gl_install();
  br::install_rider_skinning();
  br::install_scenery_steps();
  br::load_game_fonts();
  kota::register_builtin_aliases();
  br::resolve_menu_keys(w);
  br::physics_world_open(w);
  if (!br::build_startup_track_list() || w.track.list.dirs.size() < 2) {
    std::fprintf(stderr, "two tracks are needed in %s\n", data.c_str());
    return 1;
  }
  w.frame_width = kWidth;
  w.frame_height = kHeight;
  glViewport(0, 0, kWidth, kHeight);
  glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);

  std::printf("change  track                 resident MB  textures MB\n");
  double second = 0, last = 0;
  for (int i = 1; i <= changes; ++i) {
    const std::string& name = w.track.list.long_names[static_cast<size_t>(i % 2)];
    if (!change_track(name) || !w.session.loaded) {
      std::fprintf(stderr, "the race on %s did not start\n", name.c_str());
      return 1;
    }
    for (int f = 0; f < frames; ++f) {
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      if (std::optional<br::ViewCamera> camera = br::view_camera(w)) {
        br::scene_draw(w, *camera, w.viewed_slot, br::kViewRider, kWidth, kHeight);
      }
      // The last frames show the menu over the race, as on the way to the next change.
      if (f == frames - 1) br::menu_open(w, br::kMenuMain);
      br::menu_draw(w, kWidth, kHeight);
      window.present();
    }
    br::menu_close(w);
    glFinish();
    last = resident_megabytes();
    if (i == 2) second = last;
    std::printf("%6d  %-20s  %11.1f  %11.1f\n", i, name.c_str(), last,
                static_cast<double>(br::texture_memory_used()) / (1024.0 * 1024.0));
    std::fflush(stdout);
  }
  std::printf("after change %d: %.1f MB resident, %+.1f%% from %.1f MB after the second\n", changes,
              last, 100.0 * (last - second) / second, second);

  br::free_all_bikes(w);
  br::physics_world_close(w);
  br::free_track();
  br::terrain_gl_release();
  br::texture_delete_all();
  br::model_delete_all();
  br::game_fonts() = br::GameFonts{};
  br::shape_cache_clear();
  return 0;
}
