// Frames per second of the scene at 1280 x 720 with 20 riders on the grid of the default
// track (the player and 19 robots), seen from the chase camera behind the player, drawn with
// the fixed-function pipeline and then with the shader programs. A picture name gets a second
// picture, "-shaders" before its extension, of the shader run.
//   bench_frame_rate [seconds=10] [picture.ppm] [data directory] [view: chase, rider, tour]
// Needs a display (xvfb-run -a -s '-screen 0 1280x720x24' for Mesa's software renderer).
#include <epoxy/gl.h>
#include <ode/ode.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_home.h"
#include "bench_window.h"
#include "bike/bike.h"
#include "bike/physics_world.h"
#include "race/session.h"
#include "render/graphics_setup.h"
#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/scene_draw.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "render/view_cameras.h"
#include "track/scenery.h"
#include "track/track_loader.h"
#include "world/world.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720, kRiders = 20;

void write_ppm(const std::string& path) {
  std::vector<unsigned char> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
  for (int y = kHeight - 1; y >= 0; --y)
    std::fwrite(&rgb[static_cast<size_t>(y) * kWidth * 3], 1, kWidth * 3, f);
  std::fclose(f);
}

BenchWindow* g_window = nullptr;

// One measured run: the graphics settled, a session started with its textures loaded for that
// way of drawing, frames drawn for `seconds`, everything freed again.
bool run_case(const char* label, bool shaders, int method, double seconds,
              const std::string& picture, const std::string& view, const std::string& data) {
  br::GraphicsChoices choices;
  choices.use_shader = shaders;
  choices.render_texture = method;
  br::render_settings().ground_method = method;
  br::settle_graphics(choices);
  if (shaders && !br::render_settings().shaders_in_use) {
    std::printf("%s: shader programs not available\n", label);
    return true;
  }
  br::world_reset();
  br::render_gl_install();
  br::install_rider_skinning();
  br::install_scenery_steps();
  br::World& w = br::g_world;
  w.settings.render_texture.index = method;
  br::physics_world_open(w);
  // A race session puts them on the grid behind the starting gates.
  w.settings.track.value = "rabbithill";
  br::Lineup lineup{};
  // The player on the first gate, seen as a player sees himself: from the chase camera.
  lineup[0] = br::kLineupHuman;
  for (int i = 1; i < kRiders; ++i) lineup[static_cast<size_t>(i)] = br::kLineupRobot;
  br::SessionStart race;
  race.lineup = &lineup;
  if (!br::start_session(w, race)) {
    std::fprintf(stderr, "rabbithill does not load from %s\n", data.c_str());
    return false;
  }
  int riders = 0;
  for (const br::RiderSlot& slot : w.slots) riders += slot.bike ? 1 : 0;
  std::printf("%s: riders on the grid: %d\n", label, riders);
  w.view_mode = view == "rider"  ? br::kViewRider
                : view == "tour" ? br::kViewCameraTour
                                 : br::kViewChase;
  glViewport(0, 0, kWidth, kHeight);
  glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);

  int frames = 0;
  auto start = std::chrono::steady_clock::now();
  double elapsed = 0;
  while (elapsed < seconds) {
    std::optional<br::ViewCamera> camera = br::view_camera(w);
    br::scene_draw(w, *camera, w.viewed_slot, w.view_mode, kWidth, kHeight);
    if (frames == 0 && !picture.empty()) write_ppm(picture);
    g_window->present();
    ++frames;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  glFinish();
  std::printf("%s: %d frames in %.2f s: %.2f frames per second at %dx%d\n", label, frames, elapsed,
              frames / elapsed, kWidth, kHeight);
  br::free_all_bikes(w);
  br::physics_world_close(w);
  br::free_track();
  br::terrain_gl_release();
  br::texture_delete_all();
  br::model_delete_all();
  br::shaders_release();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 10;
  std::string picture = argc > 2 ? argv[2] : "";
  std::string data = argc > 3 ? argv[3] : "";
  std::string view = argc > 4 ? argv[4] : "chase";
#ifdef BR_DEFAULT_DATA_DIR
  if (data.empty()) data = BR_DEFAULT_DATA_DIR;
#endif
  if (data.empty() || !(seconds > 0)) {
    std::fprintf(stderr,
                 "usage: bench_frame_rate [seconds] [picture.ppm] [data directory] [view]\n");
    return 1;
  }
  BenchWindow window(kWidth, kHeight);
  if (!window.ok()) return 1;
  g_window = &window;
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

  const BenchHome home(data);
  if (!home.ok()) return 1;
  br::graphics_probe();
  // Both ways in one run, so the two figures share the machine's load.
  struct Case {
    const char* label;
    bool shaders;
    int method;
  };
  const Case cases[] = {{"shaders off", false, br::kGroundMethodSoftware},
                        {"shaders on", true, br::kGroundMethodShadersDirect}};
  for (const Case& c : cases) {
    std::string shot = picture;
    if (!shot.empty() && c.shaders)
      shot.insert(shot.rfind('.') == std::string::npos ? shot.size() : shot.rfind('.'), "-shaders");
    if (!run_case(c.label, c.shaders, c.method, seconds, shot, view, data)) return 1;
  }
  return 0;
}
