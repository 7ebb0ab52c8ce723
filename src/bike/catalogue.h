// The compiled-in catalogue of bike models: geometry, masses, suspension ranges, drivetrain,
// engine curves and part files of every model, in the order the catalogue lists them.
#pragma once

#include <array>
#include <span>
#include <string>

#include "bike/torque_tables.h"

namespace br {

struct Vec3f {
  float x = 0, y = 0, z = 0;
};

// The part files each entry names; a leading "@" is a data file name.
enum PartFile {
  kFrameModel,
  kFrameShape,
  kBikeTexture,
  kForkUpperModel,
  kForkUpperShape,
  kForkLowerModel,
  kForkLowerShape,
  kSwingarmModel,
  kSwingarmShape,
  kFrontWheelModel,
  kFrontWheelShape,
  kRearWheelModel,
  kRearWheelShape,
  kWheelTexture,
  kHeadModel,
  kHeadTexture,
  kRiderBodyModel,
  kRiderFirstPersonModel,
  kRiderShape,
  kRiderTexture,
  kSidePlatesModel,
  kFrontPlateModel,
  kRiderPlateModel,
  kPartFileCount
};

constexpr int kGearCount = 6;
constexpr float kMissingGear = -1.0f;  // five-speed models

// One catalogue entry. Lengths in feet, masses in slugs, spring rates in lb/ft, damping in
// lb per ft/s (rotary: lb-ft per rad/s), angles in radians, engine speeds in rpm. Positions
// are in the bike's own frame: y up, the bike faces negative z, x to the rider's right.
struct BikeEntry {
  std::string name;          // shown and stored in setups, e.g. "crf450(2013)"
  std::string engine_class;  // "450f", "250f", "250", "125" or "50"

  Vec3f front_axle{0, 1.09f, 1.11f};
  float front_ring_radius = 0.8333f;  // axle to the centre of the tyre's cross-section
  float front_tube_radius = 0.3333f;  // radius of the cross-section
  float front_tyre_mass = 0.40625f;   // tyre and rim
  float front_hub_radius = 0.5f;
  float front_hub_mass = 0.15625f;

  Vec3f rear_axle{0, 1.04f, 6.0f};
  float rear_ring_radius = 0.75f;
  float rear_tube_radius = 0.3333f;
  float rear_tyre_mass = 0.46875f;
  float rear_hub_radius = 0.5f;
  float rear_hub_mass = 0.3125f;

  Vec3f frame_position{0, 1.98f, 3.6f};
  float frame_mass = 0;                        // without the rider
  Vec3f frame_box{0.8333f, 1.6667f, 1.6667f};  // width, height, length of its mass box
  Vec3f steering_head{0, 2.9f, 2.16f};         // the upper fork body and the steering pivot
  Vec3f swingarm_position{0, 1.34f, 4.99f};
  Vec3f swingarm_pivot{0, 1.58f, 4.17f};
  Vec3f fork_lower_position{0, 1.77f, 1.59f};  // the fork axis runs from here to the head
  float fork_leg_spacing = 0.8333f;
  float fork_leg_length_factor = 3;  // each leg's mass is a cylinder 2/3 of this long
  float fork_mass = 0;               // of each fork body
  float fork_spring_soft = 0, fork_spring_hard = 0;  // both legs together
  float fork_preload_low = 0, fork_preload_high = 0.08333f;
  float fork_oil_low = 0.41667f, fork_oil_high = 0.25f;  // air gap
  float fork_compression_base = 60;
  float fork_rebound_base = 0;
  float fork_travel = 1;
  float swingarm_half_mass = 0;  // each of the two arms
  float shock_spring_soft = 0, shock_spring_hard = 0;
  float shock_preload_low = 0, shock_preload_high = 0.0275f;
  float shock_compression_base = 800;
  float shock_rebound_base = 0;
  float swingarm_travel = 0.55f;  // radians
  // Shock travel per unit of swingarm travel fraction, at full extension and compression.
  float linkage_extended = 0.615385f, linkage_compressed = 0.615385f;

  float primary_reduction = 0;                  // engine to gearbox
  float front_sprocket = 0, rear_sprocket = 0;  // teeth
  std::array<float, kGearCount> gears{};        // kMissingGear marks a missing sixth gear
  float engine_inertia = 0;                     // slug ft^2
  float twist_stiffness = 7500;   // lb-ft per radian between engine side and rear wheel
  float twist_damping = 0.75f;    // lb-ft per rad/s
  TorqueTable closed_throttle{};  // lb-ft, one per 500 rpm from 0 rpm
  TorqueTable open_throttle{};
  float shift_down_rpm = 0, shift_up_rpm = 0, rev_limit_rpm = 0;

  std::array<float, 2> rider_lengths{0.08333f, 0.08333f};
  Vec3f rider_position{0, 4.5f, 4.12f};
  std::array<float, 2> rider_factors{-0.6667f, 0.5f};
  float rider_mass = 0;

  std::array<std::string, kPartFileCount> files;

  std::array<float, 2> rider_pose_factors{0.808383f, -0.943369f};
  // Left then right. Hands and feet in the rider body's frame, grips in the upper fork's,
  // pegs in the frame's.
  std::array<Vec3f, 2> hands{{{-0.556f, 0.580375f, -0.654514f}, {0.556f, 0.580375f, -0.654514f}}};
  std::array<Vec3f, 2> feet{{{-0.269f, -0.570887f, 0.670607f}, {0.269f, -0.570887f, 0.670607f}}};
  std::array<Vec3f, 2> grips{{{-1.097f, 1.145f, 0.753f}, {1.097f, 1.145f, 0.753f}}};
  std::array<Vec3f, 2> pegs{{{-0.6f, -0.557f, 0.584f}, {0.6f, -0.557f, 0.584f}}};
  float upper_arm = 0.9f, forearm = 1.15f, thigh = 1.328f, shin = 1.701f;
};

constexpr int kCatalogueSize = 45;

// Every entry, in catalogue order.
std::span<const BikeEntry> bike_catalogue();

// The entry named exactly `name`; otherwise the first entry whose name contains "125" when
// `name` does, else the first containing "250f", else the first entry, with a log line.
const BikeEntry& find_bike_model(const std::string& name);

// What the setup menu shows for a setting s in [0, 1].
float fork_spring_kg_per_mm(const BikeEntry& e, float s);  // per leg
float shock_spring_kg_per_mm(const BikeEntry& e, float s);
float fork_preload_mm(const BikeEntry& e, float s);
float fork_oil_level_mm(const BikeEntry& e, float s);
float shock_preload_mm(const BikeEntry& e, float s);

}  // namespace br
