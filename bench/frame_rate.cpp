// Frames per second of the scene at 1280 x 720 on the default track, seen from the chase
// camera: 20 riders standing on the grid (the player and 19 robots), then 20 robots racing
// with the world ticking as the game would at 60 frames per second; each drawn with the
// fixed-function pipeline and with the shader programs. Every case prints its frame rate and
// the share of a frame spent in the simulation, in building the frame on the processor and in
// the driver finishing it. Then the same view with no riders and no scenery: the sky and the
// ground alone, the floor under every frame's cost; that floor again with only a few pixels
// drawn (what is left is the processor's work on vertices and triangles), and a frame that is
// only cleared and presented (what the window itself costs). The racing frames are also drawn
// without roost, without the riders (their roost still flying) and into a few pixels only, to
// split what the riders cost between their models, their dirt and the processor. Last, both
// scenes at the Compatibility preset the game starts on and at the High FPS preset, each
// chosen with the menu's button and settled as the next start would, at 1280 x 720 and at
// smaller windows. A picture name gets one picture per case, its label before the extension.
//   bench_frame_rate [seconds=10] [picture.ppm] [data directory] [view: chase, rider, tour]
// Needs a display (xvfb-run -a -s '-screen 0 1280x720x24' for Mesa's software renderer).
#include <epoxy/gl.h>
#include <ode/ode.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "bench_home.h"
#include "bench_window.h"
#include "bike/bike.h"
#include "bike/physics_world.h"
#include "race/session.h"
#include "render/graphics_setup.h"
#include "render/lens_flare.h"
#include "render/model_cache.h"
#include "render/render_stats.h"
#include "render/render_gl.h"
#include "render/scene_draw.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "render/view_cameras.h"
#include "render/view_frustum.h"
#include "shell/graphics_presets.h"
#include "shell/startup_settings.h"
#include "shell/world_tick.h"
#include "track/scenery.h"
#include "track/track_loader.h"
#include "ui/menu_actions.h"
#include "ui/menu_screens.h"
#include "world/world.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720, kRiders = 20;
constexpr int kNoPreset = -1;
// Racing cases start measuring this many steps after the gate drops (13 to 15 s into the
// session, at random): the field into the first turns.
constexpr int kRaceLeadSteps = 128 * 10;
// A rider who has not come this far from his gate by then is not racing.
constexpr float kLeftTheGate = 20.0f;  // feet
constexpr int kStepsPerSecond = 128, kGameFrameRate = 60;
// A bike and its rider fit in this sphere around the frame, as the scene culls them.
constexpr float kBikeReach = 8.0f;  // feet
// Where the data kit's coarse rider and wheels take over at the default model detail.
constexpr float kCoarseFrom = 32.0f;  // feet

using Clock = std::chrono::steady_clock;

// Processor time of every thread of the process (the driver's raster threads too), seconds:
// steadier than the clock on a shared machine when comparing two ways of drawing.
double processor_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

void write_ppm(const std::string& path, int width, int height) {
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", width, height);
  for (int y = height - 1; y >= 0; --y)
    std::fwrite(&rgb[static_cast<size_t>(y) * width * 3], 1, static_cast<size_t>(width) * 3, f);
  std::fclose(f);
}

BenchWindow* g_window = nullptr;

br::Vec3 frame_position(const br::World& w, int slot) {
  const br::RiderSlot& s = w.slots[static_cast<size_t>(slot)];
  if (!s.bike) return {0, 0, 0};
  const dReal* p = dBodyGetPosition(s.bike->bodies[br::kBodyFrame]);
  return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
}

float distance(const br::Vec3& a, const br::Vec3& b) {
  const float dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The riders the camera sees and, of them, those at or beyond `far` feet from its eye.
struct RidersInView {
  int seen = 0, far = 0;
};
RidersInView riders_in_view(const br::World& w, const br::ViewCamera& camera, float far,
                            float aspect) {
  const br::LightingFile& light = w.track.scenery.lighting.file;
  const br::ViewFrustum frustum = br::view_frustum(
      br::perspective_matrix(static_cast<float>(w.settings.fov.value), aspect, light.near_plane,
                             light.far_plane),
      br::view_matrix(camera));
  RidersInView r;
  for (int i = 0; i < br::kRiderSlots; ++i) {
    if (!w.slots[static_cast<size_t>(i)].bike) continue;
    const br::Vec3 p = frame_position(w, i);
    if (!br::frustum_sees_sphere(frustum, p[0], p[1], p[2], kBikeReach)) continue;
    ++r.seen;
    if (distance(p, camera.eye) >= far) ++r.far;
  }
  return r;
}

struct Case {
  const char* label;
  bool shaders = false;
  int method = br::kGroundMethodSoftware;
  bool racing = false;
  bool bare = false;  // sky and ground only: what any frame costs before riders and scenery
  // Pixels drawn limited to a square this many pixels across in the middle of the window (0:
  // all of them): with next to nothing to fill, what remains is the processor's share.
  int scissor = 0;
  bool empty = false;  // no scene at all: clearing the window and presenting it
  bool roost = true;   // false: the bikes throw no dirt
  bool riders = true;  // false: the riders race but are not drawn (their roost still is)
  // A GraphicsPreset chosen as the player would; its settings then decide what `shaders`
  // and `method` would have.
  int preset = kNoPreset;
  int width = kWidth, height = kHeight;
};

// The preset's button on the Graphics/Sound screen, pressed; false when the screen has none.
bool press_preset_button(br::World& w, int preset) {
  const br::MenuScreen screen = br::build_menu_screen(w, br::kMenuGraphicsSound);
  for (size_t i = 0; i < screen.entries.size(); ++i) {
    const br::MenuEntry& e = screen.entries[i];
    if (e.action == br::MenuAction::kPreset && e.arg == preset) {
      br::activate_entry(w, screen, static_cast<int>(i));
      return true;
    }
  }
  return false;
}

// The track's scenery and the riders' bikes, set aside for the bare frames and put back
// before the session is freed.
struct SetAside {
  std::vector<br::Billboard> billboards;
  std::vector<br::Statue> statues;
  std::array<br::BikePtr, br::kRiderSlots> bikes;
  void take(br::World& w) {
    billboards.swap(w.track.scenery.billboards);
    statues.swap(w.track.scenery.statues);
    for (size_t i = 0; i < bikes.size(); ++i) bikes[i] = std::move(w.slots[i].bike);
  }
  void give_back(br::World& w) {
    billboards.swap(w.track.scenery.billboards);
    statues.swap(w.track.scenery.statues);
    for (size_t i = 0; i < bikes.size(); ++i) {
      if (bikes[i]) w.slots[i].bike = std::move(bikes[i]);
    }
  }
};

std::string picture_for(const std::string& picture, const char* label) {
  if (picture.empty()) return picture;
  size_t dot = picture.rfind('.');
  if (dot == std::string::npos) dot = picture.size();
  std::string tag = label;
  for (char& c : tag) c = c == ' ' ? '-' : c;
  return picture.substr(0, dot) + "-" + tag + picture.substr(dot);
}

// One measured run: the graphics settled, a session started with its textures loaded for that
// way of drawing, frames drawn for `seconds`, everything freed again.
bool run_case(const Case& c, double seconds, const std::string& picture, const std::string& view,
              const std::string& data) {
  if (!g_window->resize(c.width, c.height)) {
    std::printf("%s: the window does not take %dx%d\n", c.label, c.width, c.height);
    return true;
  }
  // A preset reaches into the renderer's detail; the cases after it start from the same
  // renderer settings as those before it.
  const br::RenderSettings renderer_before = br::render_settings();
  br::world_reset();
  br::World& w = br::g_world;
  br::GraphicsChoices choices;
  if (c.preset != kNoPreset) {
    if (!press_preset_button(w, c.preset)) {
      std::fprintf(stderr, "%s: no button for this preset\n", c.label);
      return false;
    }
    choices = br::graphics_choices(w.settings);
  } else {
    choices.use_shader = c.shaders;
    choices.render_texture = c.method;
    br::render_settings().ground_method = c.method;
    w.settings.render_texture.index = c.method;
  }
  br::settle_graphics(choices);
  if (c.preset == kNoPreset && c.shaders && !br::render_settings().shaders_in_use) {
    std::printf("%s: shader programs not available\n", c.label);
    br::render_settings() = renderer_before;
    return true;
  }
  br::physics_world_open(w);
  w.settings.track.value = "rabbithill";
  br::Lineup lineup{};
  // Standing: the player on the first gate, seen as a player sees himself. Racing: robots on
  // every gate, the first one followed.
  lineup[0] = c.racing ? br::kLineupRobot : br::kLineupHuman;
  for (int i = 1; i < kRiders; ++i) lineup[static_cast<size_t>(i)] = br::kLineupRobot;
  br::SessionStart race;
  race.lineup = &lineup;
  if (!br::start_session(w, race)) {
    std::fprintf(stderr, "rabbithill does not load from %s\n", data.c_str());
    return false;
  }
  if (!c.roost) w.detail.roost_frequency = 0;
  if (c.racing) {
    const br::Vec3 gate = frame_position(w, 0);
    while (w.frame < w.race_start_frame + kRaceLeadSteps) br::world_tick(w);
    const br::Vec3 now = frame_position(w, 0);
    if (distance(gate, now) < kLeftTheGate) {
      // Robots without lines stay at the gate, which would measure a standing grid again.
      std::fprintf(stderr, "%s: the robots do not race (no lines in %s? build default_lines)\n",
                   c.label, data.c_str());
      return false;
    }
  }
  w.view_mode = view == "rider"  ? br::kViewRider
                : view == "tour" ? br::kViewCameraTour
                                 : br::kViewChase;
  glViewport(0, 0, c.width, c.height);
  glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);

  // Bare frames look at the empty grid from where the chase camera stood over the riders.
  const std::optional<br::ViewCamera> start_camera = br::view_camera(w);
  SetAside aside;
  if (c.bare) aside.take(w);

  int frames = 0;
  long steps = 0;
  double simulation = 0, building = 0, driver = 0;
  double model_triangles = 0, ground_triangles = 0, quads = 0, particles = 0, riders_seen = 0, riders_far = 0;
  const Clock::time_point start = Clock::now();
  const double processor_start = processor_seconds();
  double elapsed = 0;
  while (elapsed < seconds) {
    if (c.racing) {
      // The steps a game drawing 60 frames a second would run before this frame.
      long due = static_cast<long>(frames + 1) * kStepsPerSecond / kGameFrameRate;
      Clock::time_point t = Clock::now();
      for (; steps < due; ++steps) br::world_tick(w);
      simulation += since(t);
    }
    Clock::time_point t = Clock::now();
    std::optional<br::ViewCamera> camera = c.bare ? start_camera : br::view_camera(w);
    if (c.scissor > 0) {
      glEnable(GL_SCISSOR_TEST);
      glScissor((c.width - c.scissor) / 2, (c.height - c.scissor) / 2, c.scissor, c.scissor);
    }
    if (c.empty) {
      br::render_stats_begin_frame();
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    } else if (!c.riders) {
      SetAside hidden;
      for (size_t i = 0; i < hidden.bikes.size(); ++i) hidden.bikes[i] = std::move(w.slots[i].bike);
      br::scene_draw(w, *camera, w.viewed_slot, w.view_mode, c.width, c.height);
      for (size_t i = 0; i < hidden.bikes.size(); ++i) w.slots[i].bike = std::move(hidden.bikes[i]);
    } else {
      br::scene_draw(w, *camera, w.viewed_slot, w.view_mode, c.width, c.height);
    }
    glDisable(GL_SCISSOR_TEST);
    building += since(t);
    model_triangles += br::render_stats().model_polygons.value;
    ground_triangles += br::render_stats().ground_polygons.value;
    quads += br::render_stats().billboards.value;
    particles += w.track.roost.active;
    const RidersInView in_view =
        riders_in_view(w, *camera, kCoarseFrom, static_cast<float>(c.width) / c.height);
    riders_seen += in_view.seen;
    riders_far += in_view.far;
    t = Clock::now();
    if (frames == 0 && !picture.empty()) write_ppm(picture_for(picture, c.label), c.width, c.height);
    glFinish();
    g_window->present();
    driver += since(t);
    ++frames;
    elapsed = since(start);
  }
  const double processor = processor_seconds() - processor_start;
  std::printf(
      "%s: %d frames in %.2f s: %.2f frames per second at %dx%d; processor %.1f ms a frame; of "
      "a frame %.0f%% simulation, %.0f%% building, %.0f%% driver; %.0f model and %.0f ground triangles a frame; %.1f riders in view, "
      "%.1f of them %.0f ft away or more; %.0f blended quads drawn, %.0f roost particles\n",
      c.label, frames, elapsed, frames / elapsed, c.width, c.height,
      1000 * processor / std::max(frames, 1), 100 * simulation / elapsed,
      100 * building / elapsed, 100 * driver / elapsed, model_triangles / std::max(frames, 1),
      ground_triangles / std::max(frames, 1), riders_seen / std::max(frames, 1), riders_far / std::max(frames, 1), kCoarseFrom,
      quads / std::max(frames, 1), particles / std::max(frames, 1));
  aside.give_back(w);
  br::free_all_bikes(w);
  br::physics_world_close(w);
  br::free_track();
  br::terrain_gl_release();
  br::lens_flare_release();
  br::texture_delete_all();
  br::model_delete_all();
  br::shaders_release();
  br::render_settings() = renderer_before;
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
  br::render_gl_install();
  br::install_rider_skinning();
  br::install_scenery_steps();
  br::graphics_probe();
  constexpr int kCompatibility = static_cast<int>(br::GraphicsPreset::kCompatibility);
  constexpr int kHighFps = static_cast<int>(br::GraphicsPreset::kHighFps);
  // Every case in one run, so the figures share the machine's load.
  const Case cases[] = {
      {"standing shaders off", false, br::kGroundMethodSoftware, false},
      {"standing shaders on", true, br::kGroundMethodShadersDirect, false},
      {"racing shaders off", false, br::kGroundMethodSoftware, true},
      {"racing shaders on", true, br::kGroundMethodShadersDirect, true},
      {"racing, no roost, shaders off", false, br::kGroundMethodSoftware, true, false, 0, false,
       false},
      {"racing, no roost, shaders on", true, br::kGroundMethodShadersDirect, true, false, 0, false,
       false},
      {"racing, riders not drawn, shaders off", false, br::kGroundMethodSoftware, true, false, 0,
       false, true, false},
      {"racing, riders not drawn, shaders on", true, br::kGroundMethodShadersDirect, true, false,
       0, false, true, false},
      {"racing 4x4 pixels shaders off", false, br::kGroundMethodSoftware, true, false, 4},
      {"racing 4x4 pixels shaders on", true, br::kGroundMethodShadersDirect, true, false, 4},
      {"sky and ground shaders off", false, br::kGroundMethodSoftware, false, true},
      {"sky and ground shaders on", true, br::kGroundMethodShadersDirect, false, true},
      {"sky and ground 4x4 pixels shaders off", false, br::kGroundMethodSoftware, false, true, 4},
      {"sky and ground 4x4 pixels shaders on", true, br::kGroundMethodShadersDirect, false, true,
       4},
      {"clear and present only", false, br::kGroundMethodSoftware, false, true, 0, true},
      {.label = "Compatibility standing 1280x720", .racing = false, .preset = kCompatibility},
      {.label = "Compatibility racing 1280x720", .racing = true, .preset = kCompatibility},
      {.label = "High FPS standing 1280x720", .racing = false, .preset = kHighFps},
      {.label = "High FPS racing 1280x720", .racing = true, .preset = kHighFps},
      // Where a High FPS racing frame goes: the floor, the riders, the processor.
      {.label = "High FPS sky and ground 1280x720", .bare = true, .preset = kHighFps},
      {.label = "High FPS racing, riders not drawn, 1280x720", .racing = true, .riders = false,
       .preset = kHighFps},
      {.label = "High FPS racing 4x4 pixels 1280x720", .racing = true, .scissor = 4,
       .preset = kHighFps},
      {.label = "Compatibility standing 1024x576", .racing = false, .preset = kCompatibility,
       .width = 1024, .height = 576},
      {.label = "Compatibility racing 1024x576", .racing = true, .preset = kCompatibility,
       .width = 1024, .height = 576},
      {.label = "High FPS standing 1024x576", .racing = false, .preset = kHighFps,
       .width = 1024, .height = 576},
      {.label = "High FPS racing 1024x576", .racing = true, .preset = kHighFps, .width = 1024,
       .height = 576},
      {.label = "High FPS standing 800x600", .racing = false, .preset = kHighFps, .width = 800,
       .height = 600},
      {.label = "High FPS racing 800x600", .racing = true, .preset = kHighFps, .width = 800,
       .height = 600},
  };
  // Only the cases whose label holds this text, for profiling.
  const char* only = std::getenv("BR_BENCH_CASE");
  for (const Case& c : cases) {
    if (only && std::string(c.label).find(only) == std::string::npos) continue;
    if (!run_case(c, seconds, picture, view, data)) return 1;
  }
  return 0;
}
