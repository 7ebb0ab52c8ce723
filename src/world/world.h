// The world record: all game state of the process, owned by the main loop. Subsystems read
// and write the parts they own; tests reset it between cases with world_reset().
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "robot/line_file.h"
#include "robot/robot_state.h"
#include "render/hud_textures.h"
#include "track/track.h"
#include "world/bindings.h"
#include "world/command_line_options.h"
#include "world/console_state.h"
#include "world/demo_list.h"
#include "world/menu_state.h"
#include "world/net_state.h"
#include "world/render_detail.h"
#include "world/replay_state.h"
#include "world/settings.h"

// The physics engine's handles, declared as the engine declares them.
struct dxWorld;
struct dxSpace;
struct dxJointGroup;

namespace br {

constexpr int kRiderSlots = 160;
static_assert(kHistorySlots == kRiderSlots);
constexpr int kLineupSize = 160;
constexpr double kSimStep = 1.0 / 128;      // seconds per world tick
constexpr double kMaxFrameAdvance = 0.125;  // seconds; a slow frame never simulates more
constexpr int kWarpStepsPerFrame = 100;
constexpr int kHistogramBins = 8;
constexpr int kKnockoutEntries = 16;
// The rate recorded sound is mixed at, and its frames per simulation step (690).
constexpr int kAudioMixRate = 88320;  // Hz
constexpr int kAudioFramesPerStep = static_cast<int>(kSimStep * kAudioMixRate);

enum ControlKind { kControlLocal = 0, kControlPlayedBack = 1, kControlRobot = 2 };

enum ViewMode {
  kViewRider = 0,
  kViewEditor = 2,
  kViewChase = 3,
  kViewCameraTour = 4,
  kViewTitle = 5,
};

constexpr int kNoMenu = -1;
constexpr int kMainMenu = 0;
constexpr int kChatMenu = 16;

struct RiderIdentity {
  std::string bike_model;
  std::string number;  // up to 3 characters
  std::string name;
  std::string rider_texture;
  std::string head_texture;
  std::string bike_texture;
  std::string wheel_texture;
};

// A bike instance (bike/bike.h); the deleter frees its bodies, joints and textures.
struct Bike;
struct BikeDeleter {
  void operator()(Bike* bike) const;
};
using BikePtr = std::unique_ptr<Bike, BikeDeleter>;

// A slot's engine voice (audio/engine_sound.h); the deleter gives back its stream.
struct EngineSound;
struct EngineVoiceDeleter {
  void operator()(EngineSound* sound) const;
};
using EngineVoicePtr = std::unique_ptr<EngineSound, EngineVoiceDeleter>;

// The sound output and the --record-audio file (audio/), owned by start-up.
struct AudioDevice;
struct AudioRecording;

// A rider's progress through the lap sequence: P positions dealt with, the step each was
// passed at (-1 = skipped).
struct RiderTiming {
  int gates_passed = 0;
  std::vector<int32_t> gate_times;
  bool finished = false;
  bool crashed = false;  // fell since the last gate passed
  // Ranked although no bike rides here: a game server's riders, timed by their own games.
  bool entered = false;
};

struct RiderSlot {
  BikePtr bike;                              // none while the slot is empty
  EngineVoicePtr voice;                      // none without a bike or a sound output
  ControlKind control = kControlPlayedBack;  // slots without a bike keep kind 1
  RiderIdentity identity;
  int32_t last_server_frame = 0;  // latest state received from the game server
  RiderTiming timing;
  RobotState robot;  // the auto pilot's state; the line recording of every rider
};

// One rider of the standings. At the final results a rider who cut the track may lose laps
// (`progress` falls) and time (`last_step` grows by `penalty_steps`).
struct RiderOrderEntry {
  int slot = 0;
  int progress = 0;       // gates passed
  int32_t last_step = 0;  // step of the last gate passed, 0 for none
  int32_t penalty_steps = 0;
  int laps_lost = 0;
};

// The one physics world, its collision space and the group of a step's contacts and
// temporary motors, emptied after every world step.
struct Physics {
  dxWorld* world = nullptr;
  dxSpace* space = nullptr;
  dxJointGroup* contacts = nullptr;
};

constexpr int kNoRacePosition = 160;
constexpr int kUnlimitedLaps = 1000000;

struct SessionState {
  bool loaded = false;  // a track is loaded
  bool time_trial = false;
  bool lap_timing = false;
  bool network = false;           // the line-up came from a game server
  bool reload_requested = false;  // the next session loads the track again
  int race_laps = 0;
  int32_t duration_frames = 0;       // 0 = no time limit
  int total_laps = kUnlimitedLaps;   // the lap that finishes the race, once known
  int halfway_lap = kUnlimitedLaps;  // half distance, for the finish flagger
  // Robots and the bike drawing measure their settling time from here (5 s of steps).
  int32_t settle_frame = 0;
  int race_position = kNoRacePosition;  // given by a server; kNoRacePosition = none
  int loaded_line_set = -1;             // the skill whose lines are loaded, -1 = none
  std::array<double, 3> local_start{};  // the local rider's frame at the start
  int32_t false_start_hold = 0;         // steps the local rider is still held
  bool results_final = false;           // the standings no longer change
  int32_t best_lap_frames = 0;          // 0 = none
  int32_t last_lap_frames = 0;          // 0 = none
};

// Frame loop state, in seconds of the loop clock.
struct LoopState {
  bool quit_requested = false;
  bool started = false;           // the first measurement has been taken
  double previous_measure = 0.0;  // wall time of the previous measurement
  double target_time = 0.0;       // simulated time the step loop catches up to
  double simulated_time = 0.0;
  std::array<uint32_t, kHistogramBins> frame_histogram{};
  double smallest_advance = 0.0;
  double largest_advance = 0.0;
  int64_t frames_drawn = 0;
};

// The fixed menu keys, resolved by name at start-up; -1 while unresolved. A game pad's
// direction pad, its accept and back buttons, Start and the shoulder buttons work the menus
// as the keys beside them do.
struct MenuKeys {
  int up = -1, down = -1, left = -1, right = -1, enter = -1, keypad_enter = -1, esc = -1,
      pause = -1, cursor_left = -1, cursor_right = -1, page_up = -1, page_down = -1;
  // The Gamepad's buttons that stand in for them: the d-pad, A to choose (when it comes up),
  // B to go back, Start to open the menu and go back, the shoulders to turn pages.
  int pad_up = -1, pad_down = -1, pad_left = -1, pad_right = -1, pad_accept = -1, pad_back = -1,
      pad_menu = -1, pad_page_up = -1, pad_page_down = -1;
};

// An axis watched while a binding is captured: moving it far enough binds it.
struct WatchedAxis {
  int handle = -1;
  std::string name;
};

struct World {
  // Time.
  double step = kSimStep;
  int32_t frame = 0;  // world ticks since the session began
  double world_time = 0.0;
  int32_t race_start_frame = 0;
  int32_t last_server_frame = 0;

  std::array<RiderSlot, kRiderSlots> slots;
  std::vector<RiderOrderEntry> order;  // at most kRiderSlots
  std::array<int, kLineupSize> lineup{};

  SessionState session;
  LineDatabase lines;  // the robots' lines of the loaded track and skill
  TrackState track;    // the track list and the loaded track
  Physics physics;
  bool stock_shapes = false;  // the generic collision shapes are the ones the game ships
  // Extra ticks a crash lasts, by the rider's crash count (at most 15); only the game server
  // changes them.
  std::array<int, kKnockoutEntries> knockout_ticks{};

  // Network facts the loop reads: a server address is set (online), and its socket is open.
  bool online = false;
  bool connected = false;
  int local_slot = -1;  // the slot the game server gave this client; -1 = none
  NetState net;         // the connection to the game server

  // Main-loop state.
  bool paused = false;
  int view_mode = kViewTitle;
  int viewed_slot = 0;
  int menu = kNoMenu;
  int menu_selection = 0;
  MenuKeys menu_keys;
  MenuState menu_state;
  ConsoleState console;  // the chat line and the scripted camera
  int capturing_binding = -1;  // binding being captured, -1 = none
  std::vector<WatchedAxis> watched_axes;
  float free_camera_angle = 0.0f;                // radians
  float free_camera_distance = 10.0f;            // feet
  float free_camera_height = 5.0f;               // feet
  std::array<double, 3> free_camera_position{};  // world, feet
  bool camera_tour_auto = false;
  float zoom_speed = 0.0f;
  float previous_tour_toggle = 0.0f;  // channel 6 of the previous step, for its edge
  // One opacity per rider slot: 1 drawn solid, below 1 blended, 0 not drawn.
  std::array<float, kRiderSlots> rider_opacity{};
  int screenshot_counter = 0;  // the last shot's number; 0 until the first shot
  bool screenshot_requested = false;
  int mouse_x = 0;  // window pixels from the top left
  int mouse_y = 0;
  bool mouse_left = false;
  int cursor_axis_x = -1;  // axis handles of the mouse position, -1 = not open
  int cursor_axis_y = -1;
  int frame_width = 0;  // drawable size of the latest drawn frame, pixels
  int frame_height = 0;
  bool window_windowed = false;  // the open window is not full screen: its size is xres x yres
  int visible_messages = 0;
  double message_expiry = 0.0;  // world time at which the oldest visible message goes

  Bindings bindings = default_bindings();
  BindingRows binding_rows = default_binding_rows();
  Bindings pad_bindings = default_pad_bindings();
  BindingRows pad_binding_rows = default_binding_rows();
  int input_devices_seen = -1;  // the devices generation the bindings were resolved for
  Channels channels{};
  bool sit_dab_latched = false;  // sticky sit/dab state
  float previous_sit_dab = 0.0f;

  // Rider histories and the demos being recorded and played.
  ReplayState replay;

  CommandLine options;  // what this run's command line asked for
  DemoList demos;       // the playback menu's choices
  Settings settings;    // the player's settings, stored in the configuration file
  RenderDetail detail;  // derived from the settings at start-up
  HudTextures hud;      // the overlay and title pictures
  LoopState loop;
  std::mt19937 rng;

  // Sound, borrowed from start-up: none when the game runs silent.
  AudioDevice* audio = nullptr;
  AudioRecording* audio_recording = nullptr;
  std::array<double, 3> listener_position{};  // where the previous frame was heard from
  double listener_time = -1.0;                 // its world time; negative before the first
};

extern World g_world;

void world_reset();

// The shared generator: uniform in [0, 1) from the next value with its top bit cleared.
double random_uniform();
void random_seed(uint32_t seed);

}  // namespace br
