#include "platform/window.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "platform/devices.h"
#include "platform/key_names.h"
#include "platform/log.h"
#include "platform/message_box.h"
#include "platform/options.h"
#include "platform/sdl_input.h"

namespace kota {

enum class ThreadState { kStarting, kReady, kFailed, kDone };

struct Window {
  WindowParams params;
  std::string title;
  SDL_Window* sdl = nullptr;
  SDL_GLContext gl = nullptr;

  // The window lock, held from begin_frame to swap_buffers.
  std::mutex lock;
  bool frame_open = false;  // touched by the drawing thread only
  std::atomic<bool> closing{false};
  bool close_event_sent = false;  // touched by the pumping thread only

  // With the "threaded" option a thread of its own owns the window and its messages.
  bool threaded = false;
  std::thread thread;
  std::mutex state_mutex;
  std::condition_variable state_changed;
  ThreadState state = ThreadState::kStarting;
  std::atomic<bool> quit_thread{false};
};

namespace {

DisplayMode mode_of(const SDL_DisplayMode& m) {
  return {m.w, m.h, static_cast<int>(SDL_BITSPERPIXEL(m.format)), m.refresh_rate};
}

// Starts SDL's video with a driver that shows something, or fails. A display that is set but
// refuses the first connection (a busy X server) is tried again before giving up.
bool init_video() {
  // The game handles its own stop signals so that shutdown still writes its files.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  constexpr int kDisplayTries = 5;
  constexpr int64_t kDisplayRetryMicroseconds = 200000;
  const char* display = std::getenv("DISPLAY");
  for (int attempt = 1;; ++attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      std::string why = std::string("No display available: ") + SDL_GetError();
      set_error(why.c_str());
      return false;
    }
    // Without a screen SDL falls back to drivers that draw nowhere; a game window nobody can
    // see is no window, unless the player asked for such a driver by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    bool invisible =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (!invisible || std::getenv("SDL_VIDEODRIVER")) {
      log_printf("Video driver %s\n", driver ? driver : "?");
      return true;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!display || !*display || attempt == kDisplayTries) break;
    log_printf("Display %s did not answer; trying again\n", display);
    sleep_for(0, kDisplayRetryMicroseconds);
  }
  set_error("No display available (DISPLAY is not set or the display cannot be reached)");
  return false;
}

// Stamps an SDL event on our clock: SDL's stamp is in whole milliseconds since its start, so
// the event is dated back from now by its age and never lies in the future.
ClockTime stamp(uint32_t sdl_ticks) {
  ClockTime now = clock_now();
  uint32_t ticks = SDL_GetTicks();
  if (sdl_ticks == 0 || sdl_ticks > ticks) return now;
  return clock_from_seconds(clock_seconds(now) - (ticks - sdl_ticks) * 1e-3);
}

void request_close(Window* w, ClockTime time) {
  if (w->threaded) {
    std::lock_guard guard(w->lock);
    w->closing = true;
  } else {
    w->closing = true;
  }
  // A full queue refuses the event; pump offers it again until it gets in, since a game that
  // never hears of the close would run on with nothing on screen.
  if (!w->close_event_sent) w->close_event_sent = event_push({kEventWindowClosed, true, time});
}

void translate(Window* w, const SDL_Event& ev) {
  switch (ev.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (ev.key.repeat) break;  // a held key is one press
      int scan = scan_from_sdl(ev.key.keysym.scancode);
      if (scan < 0) break;
      event_push({kEventKeyBase + scan, ev.type == SDL_KEYDOWN, stamp(ev.key.timestamp)});
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      sdl_note_mouse_button(ev.button.button, ev.type == SDL_MOUSEBUTTONDOWN,
                            stamp(ev.button.timestamp));
      break;
    case SDL_MOUSEMOTION:
      sdl_note_motion(ev.motion.x, ev.motion.y, ev.motion.xrel, ev.motion.yrel);
      break;
    case SDL_WINDOWEVENT:
      if (ev.window.event == SDL_WINDOWEVENT_CLOSE) request_close(w, stamp(ev.window.timestamp));
      break;
    case SDL_QUIT:
      request_close(w, stamp(ev.quit.timestamp));
      break;
    default:
      break;
  }
}

void offer_pending_close(Window* w) {
  if (w->closing && !w->close_event_sent) {
    w->close_event_sent = event_push({kEventWindowClosed, true, clock_now()});
  }
}

void pump(Window* w) {
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) translate(w, ev);
  offer_pending_close(w);
}

void set_gl_attributes(const WindowParams& s) {
  bool deep = s.colour_bits >= 24;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, deep ? 8 : 5);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, deep ? 8 : 6);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, deep ? 8 : 5);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, s.alpha_bits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, s.depth_bits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, s.stencil_bits);
  int accum = s.accum_bits / 4;
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The renderer draws with the fixed-function pipeline.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

// Window flags and size for full screen and, for a mode other than the desktop's, the mode
// to switch to. The window is made at the size it is to cover: SDL only asks the window
// manager to stretch a full-screen window, and where nobody does (a bare X server) a window
// made at another size stays at that size while SDL reports the screen's.
uint32_t fullscreen_flags(const WindowParams& s, std::optional<SDL_DisplayMode>& switch_to,
                          int& width, int& height) {
  SDL_DisplayMode desktop_mode{};
  bool desktop_known = SDL_GetDesktopDisplayMode(0, &desktop_mode) == 0;
  if (desktop_known) {
    width = desktop_mode.w;
    height = desktop_mode.h;
  }
  if (s.width <= 0 || s.height <= 0) return SDL_WINDOW_FULLSCREEN_DESKTOP;
  std::vector<DisplayMode> modes = display_modes();
  std::optional<DisplayMode> desktop;
  if (!modes.empty()) desktop = modes.front();
  DisplayMode chosen = choose_fullscreen_mode(modes, desktop, s.width, s.height);
  if (desktop && chosen.width == desktop->width && chosen.height == desktop->height) {
    return SDL_WINDOW_FULLSCREEN_DESKTOP;
  }
  SDL_DisplayMode want{};
  want.w = chosen.width;
  want.h = chosen.height;
  SDL_DisplayMode got{};
  if (!SDL_GetClosestDisplayMode(0, &want, &got)) return SDL_WINDOW_FULLSCREEN_DESKTOP;
  log_printf("Switching the display to %dx%d\n", got.w, got.h);
  switch_to = got;
  width = got.w;
  height = got.h;
  return SDL_WINDOW_FULLSCREEN;
}

// Creates the window and its context, current on the calling thread. Undoes itself on failure.
bool create_window(Window* w) {
  const WindowParams& s = w->params;
  bool fullscreen = s.fullscreen || option_flag("fullscreen", false);
  uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
  std::optional<SDL_DisplayMode> switch_to;
  int width = s.width > 0 ? s.width : 640;
  int height = s.height > 0 ? s.height : 480;
  if (fullscreen) {
    flags |= fullscreen_flags(s, switch_to, width, height);
  } else {
    flags |= SDL_WINDOW_RESIZABLE;
  }

  log_printf("Choosing pixel format\n");
  set_gl_attributes(s);
  w->sdl = SDL_CreateWindow(w->title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                            height, flags);
  if (!w->sdl) {
    // SDL reports a missing OpenGL visual as a window creation failure.
    const char* why = SDL_GetError();
    bool no_format = std::strstr(why, "visual") || std::strstr(why, "pixel format");
    log_printf(no_format ? "No suitable pixel formats found\n" : "Can't create window!\n");
    set_error(SDL_GetError());
    return false;
  }
  if (switch_to) SDL_SetWindowDisplayMode(w->sdl, &*switch_to);

  log_printf("Creating OpenGL context\n");
  w->gl = SDL_GL_CreateContext(w->sdl);
  if (!w->gl) {
    log_printf("Couldn't create OpenGL context\n");
    set_error(SDL_GetError());
    SDL_DestroyWindow(w->sdl);
    w->sdl = nullptr;
    return false;
  }
  int red = 0, green = 0, blue = 0, alpha = 0, depth = 0, stencil = 0;
  SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &red);
  SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &green);
  SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &blue);
  SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &alpha);
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
  SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
  log_printf("Pixel format: %d/%d/%d colour, %d alpha, %d depth, %d stencil bits\n", red, green,
             blue, alpha, depth, stencil);
  int drawable_width = 0, drawable_height = 0;
  SDL_GL_GetDrawableSize(w->sdl, &drawable_width, &drawable_height);
  log_printf("Window is %dx%d\n", drawable_width, drawable_height);
  return true;
}

void destroy_window(Window* w) {
  if (w->gl) {
    log_printf("Deleting OpenGL context\n");
    SDL_GL_DeleteContext(w->gl);
    w->gl = nullptr;
  }
  if (w->sdl) {
    log_printf("Destroying window\n");
    SDL_DestroyWindow(w->sdl);  // also puts the desktop's display mode back
    w->sdl = nullptr;
  }
}

void set_thread_state(Window* w, ThreadState state) {
  std::lock_guard guard(w->state_mutex);
  w->state = state;
  w->state_changed.notify_all();
}

ThreadState wait_thread_state(Window* w, ThreadState from) {
  std::unique_lock guard(w->state_mutex);
  w->state_changed.wait(guard, [&] { return w->state != from; });
  return w->state;
}

void message_thread(Window* w) {
  bool ok = init_video();
  if (ok && !create_window(w)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    ok = false;
  }
  if (!ok) {
    set_thread_state(w, ThreadState::kFailed);
    return;
  }
  SDL_GL_MakeCurrent(w->sdl, nullptr);  // the drawing thread takes the context
  set_thread_state(w, ThreadState::kReady);
  while (!w->quit_thread) {
    SDL_Event ev;
    if (SDL_WaitEventTimeout(&ev, 50)) {
      translate(w, ev);
      pump(w);
    } else {
      offer_pending_close(w);
    }
  }
  destroy_window(w);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  set_thread_state(w, ThreadState::kDone);
}

bool take_event(Window* w, Event& out, const ClockTime* deadline) {
  if (!w->threaded) pump(w);
  auto pop = [&] { return deadline ? event_pop_before(out, *deadline) : event_pop(out); };
  if (pop()) return true;
  sdl_devices_update();
  devices_poll();
  return pop();
}

bool show_sdl_message_box(const char* title, const char* text) {
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, nullptr) == 0;
}

}  // namespace

Window* window_open(const WindowParams& params) {
  auto* w = new Window;
  w->params = params;
  w->title = params.title ? params.title : "";
  w->threaded = option_flag("threaded", false);
  log_printf("Options:\n");
  log_printf("%10s [%s]\n", "threaded:", w->threaded ? "on" : "off");
  log_printf("%10s [%s]\n",
             "fullscreen:", params.fullscreen || option_flag("fullscreen", false) ? "on" : "off");
  key_names_set_system_source(sdl_scan_name);

  if (w->threaded) {
    log_printf("Starting message processing thread\n");
    try {
      w->thread = std::thread(message_thread, w);
    } catch (const std::system_error&) {
      log_printf("Can't create thread!\n");
      delete w;
      return nullptr;
    }
    if (wait_thread_state(w, ThreadState::kStarting) != ThreadState::kReady) {
      w->thread.join();
      delete w;
      return nullptr;
    }
    SDL_GL_MakeCurrent(w->sdl, w->gl);
  } else if (!init_video()) {
    delete w;
    return nullptr;
  } else if (!create_window(w)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    delete w;
    return nullptr;
  }
  sdl_devices_create();
  return w;
}

void window_close(Window* w) {
  if (!w) return;
  if (w->threaded) {
    // The window thread feeds the devices; it stops before they go.
    SDL_GL_MakeCurrent(w->sdl, nullptr);
    {
      std::lock_guard guard(w->lock);
      log_printf("Setting close flag\n");
      w->closing = true;
    }
    w->quit_thread = true;
    SDL_Event wake{};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
    wait_thread_state(w, ThreadState::kReady);
    w->thread.join();
    log_printf("Message processing thread done\n");
    sdl_devices_destroy();
  } else {
    sdl_devices_destroy();
    destroy_window(w);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  event_clear();
  log_printf("Window shutdown complete\n");
  delete w;
}

std::optional<FrameArea> begin_frame(Window* w) {
  if (!w) return std::nullopt;
  if (!w->threaded) pump(w);
  w->lock.lock();
  uint32_t flags = w->sdl ? SDL_GetWindowFlags(w->sdl) : 0;
  int width = 0, height = 0;
  if (w->sdl) SDL_GL_GetDrawableSize(w->sdl, &width, &height);
  bool shown = (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) == 0;
  if (!w->gl || w->closing || !shown || width <= 0 || height <= 0) {
    w->lock.unlock();
    return std::nullopt;
  }
  w->frame_open = true;
  return FrameArea{0, 0, width, height};
}

bool swap_buffers(Window* w) {
  if (!w) return false;
  bool ok = w->gl != nullptr;
  if (ok) SDL_GL_SwapWindow(w->sdl);
  if (w->frame_open) {
    w->frame_open = false;
    w->lock.unlock();
  }
  return ok;
}

bool window_closing(const Window* w) {
  return w && w->closing;
}

bool window_set_mode(Window* w, int width, int height, bool fullscreen) {
  if (!w || !w->sdl) return false;
  // Never in the middle of a frame: the drawing thread may hold the window.
  std::lock_guard guard(w->lock);
  WindowParams wanted = w->params;
  wanted.width = width;
  wanted.height = height;
  wanted.fullscreen = fullscreen;
  bool ok = true;
  if (fullscreen) {
    std::optional<SDL_DisplayMode> switch_to;
    int covered_width = 0, covered_height = 0;
    uint32_t flags = fullscreen_flags(wanted, switch_to, covered_width, covered_height);
    if (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN) SDL_SetWindowFullscreen(w->sdl, 0);
    SDL_SetWindowSize(w->sdl, covered_width, covered_height);
    if (switch_to) SDL_SetWindowDisplayMode(w->sdl, &*switch_to);
    ok = SDL_SetWindowFullscreen(w->sdl, flags) == 0;
  } else {
    ok = SDL_SetWindowFullscreen(w->sdl, 0) == 0;
    SDL_SetWindowResizable(w->sdl, SDL_TRUE);
    SDL_SetWindowSize(w->sdl, width > 0 ? width : 640, height > 0 ? height : 480);
    SDL_SetWindowPosition(w->sdl, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }
  if (!ok) {
    set_error(SDL_GetError());
    log_printf("Can't change the video mode: %s\n", SDL_GetError());
    return false;
  }
  w->params = wanted;
  int drawable_width = 0, drawable_height = 0;
  SDL_GL_GetDrawableSize(w->sdl, &drawable_width, &drawable_height);
  log_printf("Window is %dx%d\n", drawable_width, drawable_height);
  return true;
}

bool next_event(Window* w, Event& out) {
  return take_event(w, out, nullptr);
}

bool next_event_before(Window* w, Event& out, ClockTime deadline) {
  return take_event(w, out, &deadline);
}

std::vector<DisplayMode> display_modes() {
  bool started_here = !SDL_WasInit(SDL_INIT_VIDEO);
  if (started_here && !init_video()) {
    log_printf("Can't list display modes: %s\n", last_error());
    return {};
  }
  std::vector<DisplayMode> list;
  SDL_DisplayMode m{};
  if (SDL_GetDesktopDisplayMode(0, &m) == 0) {
    DisplayMode desktop = mode_of(m);
    log_printf("Desktop mode is %dx%dx%d@%dhz\n", desktop.width, desktop.height,
               desktop.bits_per_pixel, desktop.refresh_hz);
    list.push_back(desktop);
  }
  int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w > 0 && m.h > 0) add_display_mode(list, mode_of(m));
  }
  if (started_here) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return list;
}

void message_box_use_display() {
  message_box_set_display(show_sdl_message_box);
}

}  // namespace kota
