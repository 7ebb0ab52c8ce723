#include "shell/startup.h"

#include <cpuid.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/log.h"
#include "platform/message_box.h"
#include "platform/options.h"
#include "platform/window.h"
#include "shell/command_line.h"
#include "shell/controls.h"
#include "shell/game_window.h"
#include "shell/main_loop.h"
#include "shell/video_modes.h"
#include "shell/world.h"

namespace br {
namespace {

volatile std::sig_atomic_t g_stop_signal = 0;

// A terminal's Ctrl-C or a desktop's shutdown ends the run through the normal shutdown, so
// the configuration is still written.
void on_stop_signal(int) { g_stop_signal = 1; }

bool processor_has_mmx() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  return (edx & (1u << 23)) != 0;
}

// Answers --help and --version before anything else starts.
int answer_help_or_version(const std::vector<std::string>& args) {
  CommandLine ignored;
  std::string out, err;
  ParseOutcome outcome = parse_command_line(args, ignored, out, err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  return outcome == ParseOutcome::kExitBad ? 1 : 0;
}

void shutdown(World& w, kota::Window* window) {
  close_control_axes(w);
  kota::window_close(window);
  kota::log_printf(nullptr);
}

}  // namespace

int run_game(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (asks_for_help_or_version(args)) return answer_help_or_version(args);

  kota::message_box_use_display();
  World& w = g_world;
  world_reset();

  // The video modes the settings offer.
  w.video_modes = build_video_mode_list(kota::display_modes());

  // The processor check: the renderer's MMX paths need the feature bit.
  bool has_mmx = processor_has_mmx();
  if (!has_mmx) kota::log_printf("This CPU does not have MMX!\n");

  // The command line, after the configuration so that an option wins over a stored setting.
  std::string out, err;
  ParseOutcome outcome = parse_command_line(args, w.options, out, err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  if (outcome == ParseOutcome::kExitBad) return 1;
  if (outcome == ParseOutcome::kExitOk) return 0;
  if (w.options.no_mmx && has_mmx) kota::log_printf("Ignoring MMX\n");
  if (w.options.connect) {
    w.options.track.reset();
    w.online = true;
  }

  kota::Window* window = open_game_window(w);
  if (!window) {
    kota::log_printf(nullptr);
    return 1;
  }
  // A window that never becomes drawable, or a first frame that cannot be presented, ends
  // the run through the normal shutdown.
  bool presented = false;
  if (wait_until_drawable(window)) {
    set_fixed_gl_state(w);
    presented = kota::swap_buffers(window);
  }
  if (presented) {
    open_mouse_axes(w);
    resolve_bindings(w);
    resolve_menu_keys(w);

    // The first session's line-up: everyone played back, no bikes; without a demo file one
    // robot rides the start-up track.
    w.lineup.fill(0);
    for (RiderSlot& slot : w.slots) slot.control = kControlPlayedBack;
    if (!w.options.demo_file) w.lineup[0] = 2;

    w.menu = w.options.connect ? kNoMenu : kMainMenu;

    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
    MainLoopHooks hooks;
    hooks.quit_after_frames = kota::option_int("quit-after", 0);
    hooks.events = window_event_source(window);
    hooks.draw_frame = [window](World& world) {
      if (g_stop_signal) world.loop.quit_requested = true;
      return draw_frame(world, window);
    };
    main_loop(w, hooks);
  }

  shutdown(w, window);
  return 0;
}

}  // namespace br
