#include "ui/console_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "audio/world_sound.h"
#include "bike/apply_setup.h"
#include "files/data_file.h"
#include "files/data_index.h"
#include "files/messages.h"
#include "render/key_camera.h"
#include "render/render_stats.h"
#include "replay/demo_recorder.h"
#include "shell/bike_setup.h"
#include "shell/config_file.h"
#include "track/track_loader.h"
#include "ui/console_text.h"

namespace br {
namespace {

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr const char* kSetupsFolder = "@setups/";
constexpr size_t kListLineBytes = 1024;

void show_toggled(const char* what, bool on) {
  show_message(on ? "%.60s ON" : "%.60s OFF", what);
}

int toggle(IntSetting& s, const char* what) {
  s.value = s.value ? 0 : 1;
  show_toggled(what, s.value != 0);
  return 1;
}

// One number at the start of `args`; nothing, with the command's usage shown, when there is
// none or it is not finite.
std::optional<double> number_or_usage(std::string_view args, const char* usage) {
  std::string text(args);
  double v = 0;
  if (std::sscanf(text.c_str(), "%lf", &v) == 1 && std::isfinite(v)) return v;
  show_message("Usage: %s", usage);
  return std::nullopt;
}
std::optional<int> int_or_usage(std::string_view args, const char* usage) {
  std::string text(args);
  int v = 0;
  if (std::sscanf(text.c_str(), "%d", &v) == 1) return v;
  show_message("Usage: %s", usage);
  return std::nullopt;
}

bool viewed_has_bike(const World& w) {
  return static_cast<bool>(w.slots[static_cast<size_t>(w.viewed_slot)].bike);
}

// A setup file's name: kept inside the setups folder of the home directory.
std::optional<std::string> setup_path(std::string_view args) {
  std::string_view name = trimmed(args);
  if (!plain_file_name(name)) {
    show_message("Bad setup name");
    return std::nullopt;
  }
  return kSetupsFolder + std::string(name);
}

int save_track_information(World&, std::string_view, char) {
  // The loader says where it saved; only a failure needs saying here.
  if (!save_track_info()) show_message("Track info not saved");
  return 1;
}

int render_statistics(World& w, std::string_view, char) {
  if (w.options.draw_render_stats == 0) w.options.draw_render_stats = 1;
  render_stats_reset_maxima();
  show_message("Render statistics ON");
  return 1;
}

int toggle_spy(World& w, std::string_view, char) {
  return toggle(w.settings.spy, "Spy mode");
}

int billboard_lookahead(World& w, std::string_view args, char) {
  std::optional<int> n = int_or_usage(args, "bbopt <window>");
  if (!n) return 1;
  IntSetting& s = w.settings.billboard_optimize_lookahead;
  s.value = std::max(*n, 0);
  show_message("Billboard optimization window is now %d", s.value);
  return 1;
}

int pipe(World& w, std::string_view args, char) {
  if (!viewed_has_bike(w)) return 1;
  std::string reply = pipe_command(w, std::string(args));
  show_message("%s", reply.empty() ? "No engine sound to change" : reply.c_str());
  return 1;
}

int name_demo_command(World& w, std::string_view args, char) {
  name_demo(w, std::string(args));
  return 1;
}

int camera_angle(World& w, std::string_view args, char) {
  if (!viewed_has_bike(w)) return 1;
  std::string text(args);
  float yaw = 0, pitch = 0;
  if (std::sscanf(text.c_str(), "%f %f", &yaw, &pitch) != 2 || !std::isfinite(yaw) ||
      !std::isfinite(pitch)) {
    show_message("Usage: camangle <yaw> <pitch>");
    return 1;
  }
  ConsoleState& c = w.console;
  c.free_camera_yaw = static_cast<float>(yaw * kDegreesToRadians);
  c.free_camera_pitch = static_cast<float>(pitch * kDegreesToRadians);
  c.free_camera_aimed = true;
  show_message("Camera aimed");
  return 1;
}

int field_of_view(World& w, std::string_view args, char) {
  std::optional<double> v = number_or_usage(args, "fov <degrees>");
  if (!v) return 1;
  number_set(w.settings.fov, *v);
  show_message("fov set");
  return 1;
}

int frame_histogram(World& w, std::string_view, char) {
  std::string text;
  auto& bins = w.loop.frame_histogram;
  for (size_t i = 0; i < bins.size(); ++i) {
    char pair[32];
    std::snprintf(pair, sizeof pair, "%d=%d ", 128 >> i, static_cast<int>(bins[i]));
    text += pair;
  }
  bins.fill(0);
  show_message("%s", text.c_str());
  return 1;
}

int force_reload(World& w, std::string_view, char) {
  w.session.reload_requested = true;
  show_message("Track will be reloaded on next restart");
  return 1;
}

int read_setup(World& w, std::string_view args, char) {
  std::optional<std::string> path = setup_path(args);
  if (!path) return 1;
  DataFilePtr file(data_open(path->c_str(), "r"));
  if (file) {
    const std::vector<SettingRef> items = setup_items(w.settings.setup);
    char line[kConfigLineMax + 2];
    while (data_gets(line, sizeof line, file.get())) {
      line[std::strcspn(line, "\r\n")] = '\0';
      char* equals = std::strchr(line, '=');
      if (!equals) continue;
      *equals = '\0';
      setup_read_key(w.settings, items, line, equals + 1);
    }
    show_message("Setup updated");
  } else {
    show_message("Error reading setup");
  }
  // The setup in force goes onto the player's bike either way, as the setup menu does it.
  RiderSlot& viewed = w.slots[static_cast<size_t>(w.viewed_slot)];
  if (viewed.bike && viewed.control == kControlLocal) {
    apply_bike_setup(*viewed.bike, w.settings.setup, w.frame * w.step);
  }
  return 1;
}

int write_setup(World& w, std::string_view args, char) {
  std::optional<std::string> path = setup_path(args);
  if (!path) return 1;
  std::string text;
  setup_write(w.settings.setup, text);
  show_message(data_replace_file(path->c_str(), text) ? "Setup written" : "Error writing setup");
  return 1;
}

int add_key(World& w, std::string_view, char) {
  add_key_frame(w.console.key_frames, free_camera_key_frame(w));
  show_message("Keyframe added");
  return 1;
}

int delete_key(World& w, std::string_view, char command_char) {
  delete_key_frame(w.console.key_frames, w.frame, command_char == '\\');
  show_message("Keyframe deleted");
  return 1;
}

int clear_keys(World& w, std::string_view, char) {
  w.console.key_frames.clear();
  show_message("Keyframes cleared");
  return 1;
}

int list_keys(World& w, std::string_view, char) {
  for (const CameraKeyFrame& k : w.console.key_frames) {
    show_message("pos = { %.2f, %.2f, %.2f }, rot = { %.2f, %.2f, %.2f, %.2f }, time = %.2f",
                 k.position[0], k.position[1], k.position[2], k.rotation[0], k.rotation[1],
                 k.rotation[2], k.rotation[3], k.frame * w.step);
  }
  if (w.console.key_frames.empty()) show_message("No keyframes");
  return 1;
}

int toggle_key_camera(World& w, std::string_view, char) {
  w.console.key_camera = !w.console.key_camera;
  show_toggled("Keycam mode", w.console.key_camera);
  return 1;
}

int toggle_fps(World& w, std::string_view, char) {
  return toggle(w.settings.draw_fps, "FPS display");
}
int toggle_time(World& w, std::string_view, char) {
  return toggle(w.settings.draw_time, "Time display");
}
int toggle_ping(World& w, std::string_view, char) {
  return toggle(w.settings.draw_ping, "Ping display");
}

int list_files(World&, std::string_view args, char) {
  std::string_view part = trimmed(args);
  char line[kListLineBytes];
  for (int i = 0; data_file_describe(i, line, sizeof line); ++i) {
    if (contains_ignoring_case(line, part)) show_message("%s", line);
  }
  return 1;
}

int message_lines_command(World& w, std::string_view args, char) {
  std::optional<int> n = int_or_usage(args, "messagelines <lines>");
  if (!n) return 1;
  IntSetting& s = w.settings.message_lines;
  s.value = std::clamp(*n, 0, kMessageRingLines);
  set_message_lines(s.value);
  show_message("Maximum showing messages is now %d", s.value);
  return 1;
}

int demo_backups(World& w, std::string_view args, char) {
  std::optional<int> n = int_or_usage(args, "demobackups <count>");
  if (!n) return 1;
  set_demo_backups(w, *n);
  return 1;
}

int map_scale(World& w, std::string_view args, char) {
  std::optional<double> v = number_or_usage(args, "mapscale <scale>");
  if (!v) return 1;
  number_set(w.settings.map_scale, *v);
  show_message("Map scale set to %f", w.settings.map_scale.value);
  return 1;
}

}  // namespace

const std::vector<ConsoleCommand>& console_commands() {
  using M = CommandMatch;
  static const std::vector<ConsoleCommand> commands = {
      {"savetrackinfo", M::kExact, save_track_information},
      {"renderstats", M::kExact, render_statistics},
      {"togglespy", M::kExact, toggle_spy},
      {"bbopt", M::kPrefix, billboard_lookahead},
      {"pipe", M::kPrefix, pipe},
      {"namedemo", M::kPrefix, name_demo_command},
      {"camangle", M::kPrefix, camera_angle},
      {"fov", M::kPrefix, field_of_view},
      {"fpshist", M::kPrefix, frame_histogram},
      {"forcereload", M::kExact, force_reload},
      {"readsetup", M::kPrefix, read_setup},
      {"writesetup", M::kPrefix, write_setup},
      {"addkey", M::kExact, add_key},
      {"deletekey", M::kExact, delete_key},
      {"rmkey", M::kExact, delete_key},
      {"clearkeys", M::kExact, clear_keys},
      {"listkeys", M::kExact, list_keys},
      {"togglekeycam", M::kExact, toggle_key_camera},
      {"togglefps", M::kExact, toggle_fps},
      {"toggletime", M::kExact, toggle_time},
      {"toggleping", M::kExact, toggle_ping},
      {"sendfile", M::kWord, console_send_file},
      {"listfiles", M::kWord, list_files},
      {"messagelines", M::kWord, message_lines_command},
      {"demobackups", M::kWord, demo_backups},
      {"mapscale", M::kWord, map_scale},
  };
  return commands;
}

}  // namespace br
