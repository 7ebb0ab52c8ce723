// A bike instance: a copy of its catalogue entry, seven bodies and six joints in the shared
// physics world, the wheel contact records, the setup, the loaded parts and the working
// state of the physics step. One per occupied rider slot, owned by the slot.
#pragma once

#include <ode/ode.h>

#include <array>
#include <string>
#include <vector>

#include "bike/bike_parts.h"
#include "bike/catalogue.h"
#include "bike/control_values.h"
#include "bike/setup_block.h"
#include "track/wheel_marks.h"
#include "world/world.h"

namespace br {

enum BikeBody {
  kBodyFrame,
  kBodyFrontWheel,
  kBodyRearWheel,
  kBodyForkUpper,  // carries the handlebar and steers
  kBodyForkLower,
  kBodySwingarm,
  kBodyRider,
  kBodyCount
};

enum BikeJoint {
  kJointFrontAxle,
  kJointRearAxle,
  kJointSteering,
  kJointForkSlider,
  kJointSwingarmPivot,
  kJointRiderMount,
  kJointCount
};

enum WheelIndex { kFrontWheel, kRearWheel, kWheelCount };

// A tyre as a torus, and what its contact with the ground was in the latest step.
struct WheelContact {
  dBodyID body = nullptr;
  std::array<double, 3> axle_local{1, 0, 0};  // axle direction in the wheel's own frame
  double ring_radius = 0;                     // axle to the tube's centre, ft
  double tube_radius = 0;                     // ft
  std::array<double, 3> point{}, velocity{}, normal{};
  double depth = 0;  // 0 while clear of the ground
  dJointFeedback feedback{};
};

constexpr int32_t kLongAgo = -1000000;  // ticks
// A bike whose presence is at or below this has its bodies switched off: it meets nothing,
// and is posed from recorded or received states only.
constexpr float kBarelyPresent = 0.25f;

// What the physics step keeps from one step to the next.
struct BikeWorkingState {
  int crash_timer = 0;         // ticks; 0 while riding
  int collision_cooldown = 0;  // decays toward 0; negative: the rider cannot be thrown
  float presence = 1.0f;       // 1 with the bodies enabled; at 0.25 or below only tracking
  std::array<std::array<double, 3>, 4> rider_velocities{};  // ring indexed by tick mod 4
  bool stopped_after_start = false;
  MarkRing marks;                           // where the wheels pushed, for the ruts
  std::array<int, 2> last_contact{-1, -1};  // markers of the latest contacts
  std::array<float, 2> contact_scale{1.0f, 1.0f};
  int32_t last_hit_tick = kLongAgo;   // latest contact with another bike
  int32_t first_hit_tick = kLongAgo;  // the first, kept once set
  std::array<std::array<double, 3>, 2> grip_positions{}, grip_velocities{};
  std::array<std::array<double, 3>, 2> crash_grips{};  // where the hands let go
  double engine_speed = 0;                             // rad/s at the crankshaft
  // 0..1: rises while the rider is down or stopped and falls once he rides on; snapshots
  // carry whether it is above 0.
  float rider_down = 0;
  double drive_angle = 0;  // engine side of the drivetrain at the rear wheel, rad in [-pi, pi]
  double landing_multiplier = 1;  // roll damping boost after the front wheel lands
  double lock_factor = 0;         // 0..1, how far the bars are turned into the lean
  // Horizontal unit direction (x, z) the rider was last riding along; zero until known. The
  // realignment after a fall turns the bike back onto it.
  std::array<double, 2> line_heading{};
};

// How a bike driven from recorded or received states follows them; zero for a bike the
// physics drives on its own.
struct PlaybackTuning {
  float position_gain = 0;
  float velocity_gain = 0;
  float rotation_gain = 0;
  float angle_tolerance = 0;  // radians
};

struct Bike {
  BikeEntry entry;  // the bike's constants
  std::array<dBodyID, kBodyCount> bodies{};
  std::array<dJointID, kJointCount> joints{};
  std::array<dJointFeedback, kJointCount> feedback{};  // filled by each world step
  std::array<WheelContact, kWheelCount> wheels;
  SetupBlock setup;
  BikeControls controls;
  double setup_refused_at = -1e9;  // seconds; the latest setup refused while rolling
  BikeParts parts;
  std::string number;     // up to 7 characters
  double total_mass = 0;  // slugs, all seven bodies
  int mode = 0;           // the builder's mode value
  int crash_count = 0;    // crashes since the bike was built
  // Bit 0: the rider's steering still turns the bars while the front wheel is in the air.
  int option_bits = 1;
  BikeWorkingState state;
  int personality = 0;   // robot riding style; 0 = ridden by a person
  float opacity = 1.0f;  // 0 for a ghost: drawn faded and passed through
  PlaybackTuning playback;
};

// The rider body's share of the rider's mass at build; the rest rides on the frame.
constexpr double kRiderMassShare = 1.0 / 3.0;

// Builds a bike in the world's physics world at the catalogue positions, at rest. Textures
// may be empty names: the model's defaults are used.
BikePtr build_bike(World& w, const std::string& model, int mode, const std::string& number,
                   const std::string& rider_texture, const std::string& head_texture,
                   const std::string& bike_texture, const std::string& wheel_texture);

// Destroys the bodies and joints and releases the bike's own texture.
void free_bike(Bike* bike);

// Puts the bike as built, carried by a rotation and then moved to `origin` (the origin of
// the bike's own frame in the world), every body moving at `velocity` (ft/s) without spin,
// and resets the working state.
void place_bike(Bike& bike, const std::array<double, 3>& origin, const dMatrix3 rotation,
                const std::array<double, 3>& velocity);

// Clears the working state and puts the rider back on the bike, carried with the frame's
// current pose.
void reset_working_state(Bike& bike);

// Puts the rider body where the catalogue seats him, carried with the frame's current pose
// and moving with it, and attaches the mount again.
void seat_rider(Bike& bike);

// Frees every slot's bike, with the log lines of shutdown.
void free_all_bikes(World& w);

}  // namespace br
