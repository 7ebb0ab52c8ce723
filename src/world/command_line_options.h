// What one run's command line asked for, kept in the world record for every subsystem to read.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace br {

// What the command line asked for. Values that override settings derived at start-up are
// optional so that start-up knows whether to apply them.
struct CommandLine {
  bool fugly = false;
  bool no_sound = false;
  bool no_vertex_arrays = false;
  bool learn = false;
  bool no_mmx = false;
  int debug_level = 0;
  bool practice = false;
  bool warp = false;
  std::optional<int> texture_detail;         // 0..4, both reductions
  std::optional<int> ground_texture_detail;  // 0..4
  std::optional<int> roost_frequency;        // 0..1000
  std::optional<float> erode;                // 0..100, 0 = no erosion
  std::optional<float> detail;               // terrain error scale
  std::optional<float> max_detail_distance;  // feet; the second distance is 5 more
  std::optional<float> lod_scale;            // 1e-6..1e6
  std::optional<float> lod_bias;
  float lock_fps = 0.0f;          // frames per second, 0 = off
  float fake_lag_seconds = 0.0f;  // 0..1
  int fake_loss_percent = 0;      // 0..100
  std::string record_audio;       // file name, empty = none
  bool record_video = false;
  int rotate_lineup = 0;
  bool editor = false;
  bool pause_text_shown = true;
  bool hud_shown = true;
  std::optional<int> width;
  std::optional<int> height;
  int colour_bits = 16;
  int depth_bits = 16;
  std::optional<int> draw_fps;
  std::optional<int> draw_time;
  std::optional<int> draw_ping;
  int draw_render_stats = 0;
  bool accurate_skip = false;
  std::optional<std::string> track;
  std::optional<std::string> connect;
  std::optional<std::string> password;
  std::array<float, 3> chase_center = {0.0f, 2.52f, 0.52f};  // feet, in the bike's frame
  bool open_home = false;
  bool glfinish = false;
  bool print_orientation = false;
  std::optional<std::string> demo_file;
};

}  // namespace br
