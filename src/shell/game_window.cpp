#include "shell/game_window.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/log.h"
#include "platform/message_box.h"
#include "platform/options.h"
#include "render/overlay_draw.h"
#include "render/scene_draw.h"
#include "render/title_screen.h"
#include "render/view_cameras.h"
#include "shell/command_line.h"
#include "shell/screenshot.h"
#include "shell/video_modes.h"
#include "track/terrain_queries.h"
#include "ui/menu_draw.h"
#include "ui/menu_hooks.h"
#include "world/progress_text.h"

namespace br {
namespace {

constexpr int kDrawableTries = 162;
constexpr int64_t kDrawableWaitMicroseconds = 62500;

// The frame buffer as RGB rows, top row first; empty when it cannot be held.
std::vector<uint8_t> read_frame_rgb(int width, int height) {
  size_t row = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> bottom_up, top_down;
  try {
    bottom_up.resize(row * height);
    top_down.resize(row * height);
  } catch (const std::bad_alloc&) {
    return {};
  }
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottom_up.data());
  for (int y = 0; y < height; ++y) {
    std::copy_n(bottom_up.data() + row * (height - 1 - y), row, top_down.data() + row * y);
  }
  return top_down;
}

// One binary PPM picture on standard output, for --record-video.
void write_video_frame(int width, int height) {
  std::vector<uint8_t> rgb = read_frame_rgb(width, height);
  if (rgb.empty()) return;
  std::printf("P6\n%d %d\n255\n", width, height);
  std::fwrite(rgb.data(), 1, rgb.size(), stdout);
  std::fflush(stdout);
}

// With no bike to follow, the tour looks over the middle of the track from above its edge.
ViewCamera overview_camera(const World& w) {
  const Terrain& t = w.track.terrain;
  float half = t.extent / 2;
  float ground = t.heights.empty() ? 0.0f : terrain_height(t, half, half);
  return look_at({half, ground + half * 0.4f, t.extent}, {half, ground, half});
}

// Frames drawn over the latest second of wall time, for the frame-rate line.
FrameRate g_frame_rate;
// Whether the log has said that the track is on the screen, which tests of the window wait for.
bool g_track_shown_logged = false;

void draw_world(World& w, int width, int height) {
  std::optional<ViewCamera> camera = view_camera(w);
  if (!camera) camera = overview_camera(w);
  if (w.options.print_orientation) {
    kota::log_printf("%s", orientation_line(w.world_time, *camera).c_str());
  }
  scene_draw(w, *camera, w.viewed_slot, w.view_mode, width, height);
  const RiderSlot& viewed = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (w.view_mode == kViewCameraTour && w.camera_tour_auto &&
      viewed.control == kControlPlayedBack && !viewed.identity.name.empty()) {
    draw_top_line(width, height, viewed.identity.name);
  }
  OverlayReadings readings;
  readings.frames_per_second =
      count_frame(g_frame_rate, kota::clock_seconds(kota::clock_now()));
  // Until the server's clock has reached us there is no round trip to show.
  if (w.connected && w.net.clock_set) {
    readings.ping_steps = w.net.ping;
    readings.server_offset_steps = w.last_server_frame - w.frame;
  }
  overlay_draw(w, w.viewed_slot, width, height, readings);
}

}  // namespace

kota::Window* open_game_window(World& w) {
  WindowRequest request = window_request(w);
  kota::WindowParams params;
  params.title = "Bermrider";
  params.width = request.width;
  params.height = request.height;
  params.fullscreen = request.fullscreen;
  params.colour_bits = w.options.colour_bits;
  params.depth_bits = w.options.depth_bits;
  kota::Window* window = kota::window_open(params);
  // The platform's "fullscreen" option makes every window full screen.
  w.window_windowed = window && !request.fullscreen && !kota::option_flag("fullscreen", false);
  if (!window) {
    std::string text = std::string("Can't open the game window: ") + kota::last_error() + "\n";
    kota::message_box("Problem starting Bermrider", text.c_str());
  }
  return window;
}

bool wait_until_drawable(kota::Window* window) {
  for (int tries = 0; tries < kDrawableTries; ++tries) {
    if (kota::begin_frame(window)) return true;
    // A closing window never becomes drawable: waiting out the tries would leave the player
    // staring at a dead window for ten seconds.
    if (kota::window_closing(window)) {
      kota::log_printf("The window was closed before it was first drawn\n");
      return false;
    }
    kota::sleep_for(0, kDrawableWaitMicroseconds);
  }
  kota::log_printf("The window never became drawable\n");
  return false;
}

void set_fixed_gl_state(const World& w) {
  glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_CULL_FACE);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  if (w.options.fugly) glShadeModel(GL_FLAT);
}

bool draw_frame(World& w, kota::Window* window) {
  std::optional<kota::FrameArea> area = kota::begin_frame(window);
  if (!area) return true;  // minimised or closing: sound and simulation go on
  w.frame_width = area->width;
  w.frame_height = area->height;
  if (w.window_windowed) {
    // A window the player resized keeps its size next time.
    w.settings.xres.value = area->width;
    w.settings.yres.value = area->height;
  }
  glViewport(area->x, area->y, area->width, area->height);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // The world, the overlay and the menus are drawn here as the renderer arrives.
  if (w.view_mode == kViewTitle) {
    draw_title_screen(w.hud.title, area->width, area->height, kVersionText);
  } else {
    draw_world(w, area->width, area->height);
  }
  if (w.options.record_video && !w.paused && w.view_mode != kViewTitle) {
    write_video_frame(area->width, area->height);
  }
  if (w.paused && w.options.pause_text_shown) draw_paused_text(area->width, area->height);
  menu_draw(w, area->width, area->height);
  if (w.screenshot_requested) {
    w.screenshot_requested = false;
    save_screenshot(w, area->width, area->height, read_frame_rgb(area->width, area->height));
  }
  if (w.options.glfinish) glFinish();
  bool swapped = kota::swap_buffers(window);
  if (swapped && w.view_mode != kViewTitle && !g_track_shown_logged) {
    g_track_shown_logged = true;
    kota::log_printf("First picture of the track drawn at %dx%d\n", area->width, area->height);
    kota::log_flush();
  }
  return swapped;
}

void install_progress_presenter(const World& w, kota::Window* window) {
  if (!window) {
    set_progress_presenter(nullptr);
    return;
  }
  set_progress_presenter([&w, window](std::string_view text) {
    std::optional<kota::FrameArea> area = kota::begin_frame(window);
    if (!area) return;  // not drawable now: the text is skipped, not waited for
    glViewport(area->x, area->y, area->width, area->height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_title_screen(w.hud.title, area->width, area->height, kVersionText, text);
    kota::swap_buffers(window);
  });
}

void install_menu_hooks(kota::Window* window) {
  MenuHooks& hooks = menu_hooks();
  if (!window) {
    hooks = MenuHooks{};
    return;
  }
  hooks.switch_video_mode = [window](World& w) -> std::string {
    WindowRequest request = window_request(w);
    if (!kota::window_set_mode(window, request.width, request.height, request.fullscreen)) {
      return std::string("Can't change the video mode: ") + kota::last_error();
    }
    w.window_windowed = !request.fullscreen;
    return "Video mode changed to " + w.settings.video_mode.text();
  };
}

EventSource window_event_source(kota::Window* window) {
  return [window](kota::Event& e, const kota::ClockTime* deadline) {
    return deadline ? kota::next_event_before(window, e, *deadline) : kota::next_event(window, e);
  };
}

}  // namespace br
