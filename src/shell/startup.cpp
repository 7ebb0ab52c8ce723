#include "shell/startup.h"

#include <cpuid.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_device.h"
#include "audio/audio_recording.h"
#include "audio/sdl_audio.h"
#include "audio/world_sound.h"
#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "files/data_file.h"
#include "files/data_index.h"
#include "files/home.h"
#include "files/memory.h"
#include "files/messages.h"
#include "files/release_digest.h"
#include "files/search_dirs.h"
#include "net/client.h"
#include "platform/log.h"
#include "platform/message_box.h"
#include "platform/options.h"
#include "platform/window.h"
#include "race/series.h"
#include "race/session.h"
#include "render/font.h"
#include "render/graphics_setup.h"
#include "render/hud_textures.h"
#include "render/lens_flare.h"
#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/render_settings.h"
#include "render/scene_draw.h"
#include "render/shaders.h"
#include "render/terrain_draw.h"
#include "render/texture_cache.h"
#include "replay/demo_player.h"
#include "replay/demo_recorder.h"
#include "robot/robot_lines.h"
#include "shell/bike_setup.h"
#include "shell/command_line.h"
#include "shell/config_file.h"
#include "shell/controls.h"
#include "shell/game_window.h"
#include "shell/main_loop.h"
#include "shell/startup_settings.h"
#include "shell/video_modes.h"
#include "track/scenery.h"
#include "track/track_list.h"
#include "track/track_loader.h"
#include "ui/binding_capture.h"
#include "ui/menu.h"
#include "ui/modes.h"
#include "world/render_detail.h"
#include "world/world.h"

namespace br {
namespace {

volatile std::sig_atomic_t g_stop_signal = 0;

// A terminal's Ctrl-C or a desktop's shutdown ends the run through the normal shutdown, so
// the configuration is still written.
void on_stop_signal(int) {
  g_stop_signal = 1;
}

// What the driver offers decides which optional techniques the settings may switch on.
void settle_graphics_techniques(const World& w) {
  graphics_probe();
  settle_graphics(graphics_choices(w.settings));
  kota::log_printf("Shader programs %s\n",
                   render_settings().shaders_in_use ? "in use" : "not in use");
}

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

// The sound output: the readback driver into the --record-audio file, else the sound card
// unless --nosound. No sound card is no error: the game runs silent and the log says why.
void open_sound_output(World& w, std::unique_ptr<AudioRecording>& recording) {
  if (!w.options.record_audio.empty()) {
    recording = recording_open(w.options.record_audio, kAudioMixRate);
    if (recording) w.audio = audio_open_readback(kAudioMixRate, kAudioFramesPerStep);
  } else if (!w.options.no_sound) {
    const AudioDriver* drivers[] = {&sdl_audio_driver()};
    w.audio = audio_open(drivers, audio_options());
  }
  if (!w.audio) kota::log_printf("Running without sound\n");
  w.audio_recording = w.audio ? recording.get() : nullptr;
}

void close_sound_output(World& w) {
  if (w.audio) audio_close(w.audio);
  w.audio = nullptr;
  if (w.audio_recording) recording_close(*w.audio_recording);
  w.audio_recording = nullptr;
}

void shutdown(World& w, kota::Window* window, const std::string& config_path) {
  // The server hears that we have gone rather than waiting for us to fall silent.
  net_shutdown(w);
  // A series event still running when the game quits counts as far as it got.
  record_series_event(w);
  // Lines learnt in the last session go back to their file before the track goes.
  save_lines(w);
  // The demo being recorded takes the riders' last steps while they still exist.
  close_playback(w);
  record_step(w, true);
  close_recording(w);
  // Bikes own a texture each, so they go while the renderer still stands; their bodies
  // die before the physics world. Their voices go first, while the sound output stands.
  release_all_voices(w);
  free_all_bikes(w);
  physics_world_close(w);
  shape_cache_clear();
  end_binding_capture(w);
  close_control_axes(w);
  if (w.track.loaded) free_track();
  // Textures and display lists belong to the context, so they go before the window.
  terrain_gl_release();
  lens_flare_release();
  shaders_release();
  texture_delete_all();
  model_delete_all();
  game_fonts() = GameFonts{};
  install_progress_presenter(w, nullptr);
  install_menu_hooks(nullptr);
  render_gl_uninstall();
  close_sound_output(w);
  kota::window_close(window);
  // The player's settings go back to disk last, after everything that may still change them.
  if (!config_path.empty()) config_write_file(w, config_path);
  kota::log_printf(nullptr);
}

}  // namespace

int run_game(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (asks_for_help_or_version(args)) return answer_help_or_version(args);

  install_new_handler();
  kota::message_box_use_display();
  World& w = g_world;
  world_reset();
  message_area_clear(w);

  // The home and data directories; the log file starts in the home directory here.
  if (!find_game_data(kReleaseDigest)) {
    kota::message_box("Problem starting Bermrider", "Can't find game data\n");
    kota::log_printf(nullptr);
    return 0;
  }
  // The bikes' generic collision shapes, and whether they are the ones the game ships.
  w.stock_shapes = load_generic_shapes();
  if (!w.stock_shapes) kota::log_printf("The collision shapes are not the stock shapes\n");

  // The player's configuration file, in the home directory; none without a home.
  std::string config_path = home_directory().empty() ? "" : data_write_path("@config");

  // The video modes the settings offer: the two fixed entries and the display's modes.
  set_video_modes(w.settings, full_screen_modes(kota::display_modes()));

  // The processor check: the renderer's MMX paths need the feature bit.
  bool has_mmx = processor_has_mmx();
  if (!has_mmx) kota::log_printf("This CPU does not have MMX!\n");

  // Settings the file may override: assists from the stability, the start-up graphics.
  apply_startup_presets(w.settings);

  // The rider gear choices, from every texture among the data files.
  w.settings.gear_textures = texture_choice_list("");
  build_gear_texture_choices(w.settings);

  // The player's stored settings; a missing file keeps the defaults.
  const bool first_run = config_path.empty() || !config_read_file(w, config_path);

  // Every rider slot starts empty: the world record was just reset. The renderer's detail
  // follows from the settings.
  w.detail = derive_render_detail(w.settings);

  // The command line, after the configuration so that an option wins over a stored setting.
  std::string out, err;
  ParseOutcome outcome = parse_command_line(args, w.options, out, err);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  if (outcome != ParseOutcome::kRun) {
    kota::log_printf(nullptr);
    return outcome == ParseOutcome::kExitBad ? 1 : 0;
  }
  if (w.options.open_home) {
    open_home_directory();
    kota::log_printf(nullptr);
    return 0;
  }
  if (w.options.no_mmx && has_mmx) kota::log_printf("Ignoring MMX\n");
  apply_command_line_settings(w);
  set_message_lines(w.settings.message_lines.value);
  configure_renderer(w);
  if (w.options.connect) {
    w.options.track.reset();
    w.online = true;
  }

  // The track loader reads the scenery and timing gates through these.
  install_scenery_steps();
  // The tracks on offer; the game has nothing to ride without one.
  if (!build_startup_track_list()) {
    std::fputs("No tracks found\n", stderr);
    kota::log_printf(nullptr);
    return 1;
  }

  // The points series name their tracks, so they come after the track list.
  load_series(w);

  // The demos the playback menu offers.
  w.demos = build_demo_list(data_file_list(), w.options.debug_level);
  std::string startup_track = select_startup_track(w);
  if (w.options.debug_level >= 1) kota::log_printf("Start-up track %s\n", startup_track.c_str());

  kota::Window* window = open_game_window(w);
  if (!window) {
    kota::log_printf(nullptr);
    return 1;
  }
  std::unique_ptr<AudioRecording> recording;
  open_sound_output(w, recording);
  // Out of memory, the sound stops (and a recording gets its header) before the message.
  add_out_of_memory_hook([] { close_sound_output(g_world); });
  // A window that never becomes drawable, or a first frame that cannot be presented, ends
  // the run through the normal shutdown.
  bool presented = false;
  if (wait_until_drawable(window)) {
    settle_graphics_techniques(w);
    set_fixed_gl_state(w);
    render_gl_install();
    install_rider_skinning();
    w.hud = load_hud_textures();
    load_game_fonts();
    install_progress_presenter(w, window);
    install_menu_hooks(window);
    presented = kota::swap_buffers(window);
  }
  if (presented) {
    open_mouse_axes(w);
    resolve_bindings(w);
    resolve_menu_keys(w);
    physics_world_open(w);

    // A demo named on the command line starts the game on its track, played back.
    bool demo_named = false;
    if (w.options.demo_file && open_playback(w, *w.options.demo_file)) {
      demo_named = true;
      w.replay.chosen_demo = *w.options.demo_file;
      w.options.track = w.replay.player.header.track;
      close_playback(w);
    } else if (w.options.demo_file) {
      std::fprintf(stderr, "Can't play the demo \"%s\"\n", w.options.demo_file->c_str());
    }

    // The first session's line-up: everyone played back, no bikes; without a demo file one
    // robot rides the start-up track.
    prepare_first_lineup(w, demo_named);
    if (w.options.track) {
      // A race on the named track at once, with the player where the race menu's gates put
      // him, riding: no menu in the way.
      if (!demo_named) w.lineup = menu_lineup(w.settings);
      SessionStart first;
      first.lineup = &w.lineup;
      first.playback = demo_named;
      first.laps = kStartupLaps;
      first.skill = w.settings.skill.index;
      start_session(w, first);
    }

    if (w.options.connect &&
        net_connect(w, *w.options.connect, w.options.password.value_or(""))) {
      remember_server_name(w.settings);
    }

    // A new player reads the disclaimer once, before the main menu.
    if (!w.options.connect && !w.options.track)
      menu_open(w, first_run ? kMenuDisclaimer : kMenuMain);

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

  shutdown(w, window, config_path);
  return 0;
}

}  // namespace br
