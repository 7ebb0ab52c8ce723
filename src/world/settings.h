// The player's settings: the records the menus edit and the configuration file stores. Every
// record carries its configuration key, its menu label, and its value in force.
#pragma once

#include <climits>
#include <string>
#include <variant>
#include <vector>

#include "world/bindings.h"

namespace br {

struct IntSetting {
  std::string key;
  int value = 0;
  int min = INT_MIN;  // values read from the file are clamped to min..max
  int max = INT_MAX;
};

// One of a fixed list of texts; stored and read as the text itself, matched exactly.
struct ChoiceSetting {
  std::string key;
  std::string label;
  std::vector<std::string> texts;
  int index = 0;

  // The current text, or "" when the list is empty.
  const std::string& text() const;
  // Selects the text that equals `t` exactly; false (and unchanged) when there is none.
  bool select(const std::string& t);
};

struct NumberSetting {
  std::string key;
  std::string label;
  double value = 0.0;
  double step = 1.0;  // the menus change the value by this much
  double min = 0.0;
  double max = 0.0;
};

struct TextSetting {
  std::string key;
  std::string label;
  size_t max_length = 0;  // characters
  std::string value;
};

// A setting as the configuration file sees it: one key with a value of some kind.
using SettingRef =
    std::variant<IntSetting*, ChoiceSetting*, NumberSetting*, TextSetting*, Binding*>;

const char* setting_key(const SettingRef& s);

// Stores the text read from the file into the setting by its kind. False when the text
// leaves the setting unchanged (not a number, not one of the choices).
bool setting_store(const SettingRef& s, const char* text);
// The "key=value\n" line the file holds for the setting; "" for a binding with no name.
std::string setting_line(const SettingRef& s);

// Numbers and choices stored from the menus or the presets go through these too.
void number_set(NumberSetting& n, double v);  // clamped to the range; NaN leaves it unchanged

constexpr int kLineupSlots = 40;        // gates offered by the race menu
constexpr int kServerHistorySize = 16;  // remembered server names
constexpr size_t kServerNameLength = 127;
// History entries longer than this are not stored at all, rather than cut short.
constexpr size_t kServerHistoryEntryMax = 126;

// The bike setup: the rider's identity, the steering assists, the riding aids, and the
// machine and rider adjustments. Stored in the configuration file as one block.
struct BikeSetup {
  // Identity.
  ChoiceSetting bike;
  TextSetting name{"name", "Name", 63, "Rider"};
  TextSetting number{"number", "Number", 3, "999"};
  ChoiceSetting rider_texture{"rider_texture", "Riding Gear", {}, 0};
  ChoiceSetting head_texture{"head_texture", "Helmet", {}, 0};
  ChoiceSetting bike_texture{"bike_texture", "Bike Graphics", {}, 0};
  ChoiceSetting wheel_texture{"wheel_texture", "Wheel Graphics", {}, 0};

  // Steering assists; the fifteen after stability follow its preset.
  NumberSetting stability{"stability", "Stability", 100, 1, 0, 100};
  NumberSetting leveling{"leveling", "Leveling", 20, 1, 0, 100};
  NumberSetting roll_damping{"roll_damping", "Roll Damping", 80, 1, 0, 100};
  NumberSetting roll_limit_angle{"roll_limit_angle", "Roll Limit Angle", 35, 1, 0, 180};  // deg
  NumberSetting roll_limit_factor{"roll_limit_factor", "Roll Limit Factor", 32, 1, 0, 64};
  NumberSetting steering_damping{"steering_damping", "Steering Damping", 45, 1, 0, 100};
  NumberSetting steering_strength{"steering_strength", "Steering Strength", 75, 1, 0, 100};
  NumberSetting max_steering_force{"max_steering_force", "Max Steering Force", 400, 5, 0, 1000};
  NumberSetting direct_steering{"direct_steering", "Direct Steering", 0, 0.125, 0, 1};
  NumberSetting slow_damping_speed{"slow_damping_speed", "Slow Damping Speed", 40, 1, 0, 100};
  NumberSetting slow_damping_factor{"slow_damping_factor", "Slow Damping Factor", 2, 0.25, 1, 10};
  NumberSetting land_damping_falloff{
      "land_damping_falloff", "Landing Damping Falloff", 0.25, 0.0625, 0, 0.5};  // seconds
  NumberSetting land_damping_factor{"land_damping_factor", "Landing Damping Factor", 2, 0.25, 1, 3};
  NumberSetting full_lock_speed{"full_lock_speed", "Full Lock Speed", 10, 1, 1, 100};
  NumberSetting restricted_lock_speed{
      "restricted_lock_speed", "Restricted Lock Speed", 50, 1, 1, 100};
  NumberSetting restricted_lock{
      "restricted_lock", "Restricted Lock Angle", 5, 0.125, 0, 45};  // degrees

  // Riding aids.
  ChoiceSetting arcade{"arcade", "Arcade Physics", {"No", "Yes"}, 1};
  ChoiceSetting front_brake{"front_brake", "Front Brake", {"Normal", "Antilock"}, 1};
  ChoiceSetting rear_brake{"rear_brake", "Rear Brake", {"Normal", "Antilock"}, 0};
  ChoiceSetting stop_wheelies{"stop_wheelies", "Stop Wheelies", {"No", "Yes", "Front Only"}, 0};
  ChoiceSetting auto_shift{"auto_shift", "Automatic Shifting", {"No", "Yes"}, 1};
  ChoiceSetting auto_dab{"auto_dab", "Dab When Stopped", {"No", "Yes"}, 1};
  ChoiceSetting auto_align{"auto_align", "Realign After Fall", {"No", "Yes"}, 1};
  ChoiceSetting sticky_dab{"sticky_dab", "Sticky Sit/Dab", {"No", "Yes"}, 0};
  ChoiceSetting reverse_steering{"reverse_steering", "Reversed Steering", {"No", "Yes"}, 1};
  ChoiceSetting lean_indicator{"lean_indicator", "Lean Indicator", {"No", "Yes"}, 1};

  // Machine and rider; the adjustments are percentages of each bike's own range.
  NumberSetting auto_clutch_rpms{"auto_clutch_rpms", "Auto Clutch RPMs", 5000, 100, 0, 5000};
  NumberSetting brake_torque{"brake_torque", "Braking Torque (Front)", 250, 10, 0, 500};
  NumberSetting rear_brake_torque{"rear_brake_torque", "Braking Torque (Rear)", 250, 10, 0, 500};
  NumberSetting max_dab_speed{"max_dab_speed", "Max Dab Speed (MPH)", 20, 1, 5, 60};
  NumberSetting front_sprocket_adjustment{
      "front_sprocket_adjustment", "Countershaft Sprocket", 0, 1, -2, 2};  // teeth
  NumberSetting rear_sprocket_adjustment{
      "rear_sprocket_adjustment", "Rear Sprocket", 0, 1, -2, 2};  // teeth
  NumberSetting fork_compression_adjustment{
      "fork_compression_adjustment", "Fork Compression Damping", 50, 1, 0, 100};
  NumberSetting fork_rebound_adjustment{
      "fork_rebound_adjustment", "Fork Rebound Damping", 50, 1, 0, 100};
  NumberSetting fork_spring_rate_adjustment{
      "fork_spring_rate_adjustment", "Fork Spring Rate", 50, 1, 0, 100};
  NumberSetting fork_preload_adjustment{"fork_preload_adjustment", "Fork Preload", 50, 1, 0, 100};
  NumberSetting fork_oil_level_adjustment{
      "fork_oil_level_adjustment", "Fork Oil Level", 50, 1, 0, 100};
  NumberSetting shock_compression_adjustment{
      "shock_compression_adjustment", "Shock Compression Damping", 50, 1, 0, 100};
  NumberSetting shock_rebound_adjustment{
      "shock_rebound_adjustment", "Shock Rebound Damping", 50, 1, 0, 100};
  NumberSetting shock_spring_rate_adjustment{
      "shock_spring_rate_adjustment", "Shock Spring Rate", 50, 1, 0, 100};
  NumberSetting shock_preload_adjustment{
      "shock_preload_adjustment", "Shock Preload", 50, 1, 0, 100};
  NumberSetting rider_yspring{"rider_yspring", "Rider Vertical Spring", 50, 1, 0, 100};
  NumberSetting rider_ydamping{"rider_ydamping", "Rider Vertical Damping", 50, 1, 0, 100};
  NumberSetting rider_zspring{"rider_zspring", "Rider Forward Spring", 50, 1, 0, 100};
  NumberSetting rider_zdamping{"rider_zdamping", "Rider Forward Damping", 50, 1, 0, 100};
  NumberSetting rider_mass_distribution{
      "rider_mass_distribution", "Rider Mass Distribution", 0.33, 0.01, 0.33, 0.5};

  BikeSetup();
};

// A video mode the `video_mode` choice offers; 0 x 0 means the desktop's mode or, for
// "Windowed", the xres x yres settings.
struct VideoMode {
  int width = 0;
  int height = 0;
};

struct Settings {
  // Display, HUD and debug.
  IntSetting xres{"xres", 640};  // pixels
  IntSetting yres{"yres", 480};  // pixels
  IntSetting draw_fps{"draw_fps", 0};
  IntSetting draw_time{"draw_time", 0};
  IntSetting draw_ping{"draw_ping", 1};
  IntSetting spy{"spy", 0};
  IntSetting billboard_optimize_lookahead{"billboard_optimize_lookahead", 8};
  IntSetting message_lines{"message_lines", 5};
  IntSetting demo_backups{"demo_backups", 0, 0, 100};

  // Session and line-up. `track` is the track the game starts on when the command line names
  // none; `track_choice` offers the track list's directory names once it is built.
  TextSetting track{"track", "", 1023, "rabbithill"};
  ChoiceSetting track_choice{"track", "Track", {}, 0};
  ChoiceSetting record{"record", "Record Demo", {"No", "Yes"}, 0};
  ChoiceSetting skill{"skill", "Robot Skill", {"Novice", "Amateur", "Expert"}, 0};
  NumberSetting minutes{"minutes", "Minutes", 0, 1, 0, 60};
  NumberSetting laps{"laps", "Laps", 5, 1, 0, 50};
  NumberSetting ghost_fade_distance{"ghost_fade_distance", "Ghost Fade Distance", 10, 1, 0, 40};
  ChoiceSetting time_trial_abort{"time_trial_abort", "Backing Up Aborts Attempt", {"No", "Yes"}, 1};
  ChoiceSetting playback_mode{
      "playback_mode", "Playback Mode", {"Playback Only", "Race Against"}, 0};
  std::vector<ChoiceSetting> slots;  // kLineupSlots gates
  TextSetting server_name{"server_name", "Server", kServerNameLength, "localhost"};
  std::vector<TextSetting> server_name_hist;  // kServerHistorySize entries, newest first
  ChoiceSetting video_mode{"video_mode", "Video Mode", {"Default Fullscreen", "Windowed"}, 0};
  std::vector<VideoMode> video_modes{{0, 0}, {0, 0}};  // parallel to video_mode's texts

  // Graphics.
  NumberSetting ground_detail{"ground_detail", "Ground Geometric Detail", 70, 1, 0, 100};
  NumberSetting ground_texture_detail{
      "ground_texture_detail", "Ground Texture Levels", 9, 1, 0, 10};
  ChoiceSetting ground_texture_dim{"ground_texture_dim",
                                   "Ground Texture Resolution",
                                   {"32x32", "64x64", "128x128", "256x256", "512x512", "1024x1024"},
                                   1};
  ChoiceSetting ground_mipmaps{"ground_mipmaps", "Enable Ground Mipmaps", {"No", "Yes"}, 1};
  ChoiceSetting texture_compress{
      "texture_compress", "Compress Textures", {"No", "Yes", "Always"}, 0};
  // Read from old files only: it picks the terrain rendering method and is never written.
  ChoiceSetting use_fbo{"use_fbo", "Use Framebuffer Objects", {"No", "Yes"}, 1};
  ChoiceSetting render_texture{
      "render_texture",
      "Terrain Rendering Method",
      {"Software", "Hardware/Copy", "Hardware/Direct", "Shaders/Copy", "Shaders/Direct"},
      0};
  ChoiceSetting use_shader{"use_shader", "Use Shader Programs", {"No", "Yes"}, 1};
  NumberSetting model_detail{"model_detail", "Model Geometric Detail", 50, 1, 0, 100};
  NumberSetting model_texture_detail{"model_texture_detail", "Model Texture Detail", 9, 1, 0, 10};
  NumberSetting roost_density{"roost_density", "Roost Density", 1000, 10, 0, 1000};
  ChoiceSetting lens_flare{"lens_flare", "Enable Lens Flares", {"No", "Yes"}, 1};
  ChoiceSetting reflections{"reflections", "Enable Reflections", {"No", "Yes"}, 1};
  NumberSetting map_scale{"map_scale", "", 1, 0, 0.125, 8};

  // Camera and sound.
  ChoiceSetting hide_rider{"hide_rider", "Hide 1st Person Rider", {"No", "Yes"}, 0};
  ChoiceSetting rigid_camera{"rigid_camera", "Rigid 3rd person camera", {"No", "Yes"}, 0};
  NumberSetting fov{"fov", "Field Of View", 110, 1, 10, 170};  // degrees
  NumberSetting first_person_height{"first_person_height", "1st Person Height", 0, 0.03125, 0, 1};
  NumberSetting first_person_angle{"first_person_angle", "1st Person Angle", 0, 1, 0, 40};
  NumberSetting third_person_height{"third_person_height", "3rd Person Height", 5, 1, 0, 20};
  NumberSetting third_person_distance{"third_person_distance", "3rd Person Distance", 10, 1, 5, 40};
  NumberSetting volume{"volume", "Volume", 10, 1, 0, 10};
  NumberSetting comp_volume{"comp_volume", "Competitor Volume", 8, 1, 0, 10};

  BikeSetup setup;

  // Every texture name the gear choices are drawn from (the texture layer lists them).
  std::vector<std::string> gear_textures;

  Settings();
};

// Rebuilds the video mode choice: "Default Fullscreen", "Windowed", then "%dx%d" for every
// mode given. The selection is kept by its text where it still exists.
void set_video_modes(Settings& s, const std::vector<VideoMode>& full_screen_modes);

}  // namespace br
