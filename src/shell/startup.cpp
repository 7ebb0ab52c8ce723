#include "shell/startup.h"

#include <cpuid.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "files/home.h"
#include "files/memory.h"
#include "files/messages.h"
#include "files/release_digest.h"
#include "platform/log.h"
#include "platform/message_box.h"
#include "platform/options.h"
#include "shell/command_line.h"
#include "shell/main_loop.h"
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

void shutdown(World& w) {
  (void)w;
  kota::log_printf(nullptr);
}

}  // namespace

int run_game(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (asks_for_help_or_version(args)) return answer_help_or_version(args);

  install_new_handler();
  World& w = g_world;
  world_reset();
  message_area_clear(w);

  // The home and data directories; the log file starts in the home directory here.
  if (!find_game_data(kReleaseDigest)) {
    kota::message_box("Problem starting Bermrider", "Can't find game data\n");
    kota::log_printf(nullptr);
    return 0;
  }

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
  if (w.options.open_home) {
    open_home_directory();
    kota::log_printf(nullptr);
    return 0;
  }
  if (w.options.no_mmx && has_mmx) kota::log_printf("Ignoring MMX\n");
  if (w.options.connect) {
    w.options.track.reset();
    w.online = true;
  }

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
  hooks.draw_frame = [](World&) { return g_stop_signal == 0; };
  main_loop(w, hooks);

  shutdown(w);
  return 0;
}

}  // namespace br
