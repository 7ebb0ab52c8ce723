#include "bike/catalogue.h"

#include <cstring>

#include "platform/log.h"
#include "world/bike_models.h"

namespace br {
namespace {

// The values that tell the models apart. Everything else is common to the catalogue and
// comes from the defaults of BikeEntry.
struct ModelRow {
  const char* name;
  const char* engine_class;
  const char* texture_prefix;  // bike texture names begin with it; files use it without "-"
  int menu_position;           // place in the setup menu's list
  float frame_mass, fork_mass, swingarm_half_mass;
  float fork_spring[2];   // soft, hard; lb/ft
  float shock_spring[2];  // soft, hard; lb/ft
  float fork_rebound, shock_rebound;
  float primary_reduction;
  float front_sprocket, rear_sprocket;
  float gears[kGearCount];
  float engine_inertia;
  float engine_speeds[3];  // auto-shift down, auto-shift up, limit; rpm
  float rider_mass;
};

// clang-format off
constexpr ModelRow kRows[kCatalogueSize] = {
    // name, class, texture prefix, menu position, frame, fork and half swingarm mass,
    // fork and shock springs, fork / shock rebound, primary, sprockets, gears, engine inertia,
    // engine speeds, rider mass
    {"crf450(2013)", "450f", "crf450v2013-", 1, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.7391f, 13, 48, {1.8f, 1.4706f, 1.2353f, 1.05f, 0.9091f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"kx450f(2013)", "450f", "kx450f-", 2, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.7273f, 13, 50, {1.75f, 1.4118f, 1.1875f, 1, 0.875f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"rmz450(2013)", "450f", "rmz450-", 3, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.625f, 13, 50, {1.8f, 1.4706f, 1.2353f, 1.05f, 0.9091f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"yz450f(2013)", "450f", "yz450f-", 4, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.6522f, 13, 48, {1.9286f, 1.5333f, 1.2778f, 1.0909f, 0.9524f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"450sxf(2013)", "450f", "450sxfv2013-", 0, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.375f, 14, 50, {2, 1.6667f, 1.4f, 1.1818f, 1, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"350sxf(2013)", "250f", "350sxfv2013-", 5, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 3.0417f, 14, 50, {2, 1.625f, 1.3333f, 1.1429f, 0.9545f, -1}, 0.006836f, {6000, 10500, 12000}, 5.46875f},
    {"crf450(2011)", "450f", "crf450-", 7, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.7391f, 13, 48, {1.8f, 1.4706f, 1.2353f, 1.05f, 0.9091f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"kx450f(2011)", "450f", "kx450f-", 8, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.7273f, 13, 50, {1.75f, 1.4118f, 1.1875f, 1, 0.875f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"rmz450(2011)", "450f", "rmz450-", 9, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.625f, 13, 50, {1.8f, 1.4706f, 1.2353f, 1.05f, 0.9091f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"yz450f(2011)", "450f", "yz450f-", 10, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.6522f, 13, 48, {1.9286f, 1.5333f, 1.2778f, 1.0909f, 0.9524f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"450sxf(2011)", "450f", "450sxf-", 6, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 2.5517f, 14, 52, {2.125f, 1.6316f, 1.3f, 1.087f, 0.9231f, -1}, 0.00885f, {6000, 10500, 12000}, 5.46875f},
    {"350sxf(2011)", "450f", "350sxf-", 11, 4.735f, 0.703125f, 0.5025f, {376.3f, 913.88f}, {2486.29f, 5174.16f}, 32, 650, 3.0417f, 14, 50, {2, 1.625f, 1.3333f, 1.1429f, 0.9545f, -1}, 0.006836f, {6000, 10500, 12000}, 5.46875f},
    {"250sx(2012)", "250", "250sx-", 12, 4.3656f, 0.75375f, 0.589375f, {322.55f, 860.12f}, {2083.1f, 4770.98f}, 30, 600, 2.7692f, 13, 48, {2, 1.6f, 1.3333f, 1.1429f, 0.9545f, -1}, 0.006836f, {6000, 9000, 10500}, 5.46875f},
    {"cr250(2007)", "250", "cr250-", 13, 4.3656f, 0.75375f, 0.589375f, {322.55f, 860.12f}, {2083.1f, 4770.98f}, 30, 600, 3, 13, 49, {1.8f, 1.4706f, 1.2105f, 1, 0.8696f, -1}, 0.006836f, {6000, 9000, 10500}, 5.46875f},
    {"kx250(2006)", "250", "kx250-", 14, 4.3656f, 0.75375f, 0.589375f, {322.55f, 860.12f}, {2083.1f, 4770.98f}, 30, 600, 3, 13, 51, {1.8f, 1.4375f, 1.1765f, 1, 0.8696f, -1}, 0.006836f, {6000, 9000, 10500}, 5.46875f},
    {"rm250(2008)", "250", "rm250-", 15, 4.3656f, 0.75375f, 0.589375f, {322.55f, 860.12f}, {2083.1f, 4770.98f}, 30, 600, 3, 13, 50, {1.8f, 1.4706f, 1.2105f, 1, 0.8696f, -1}, 0.006836f, {6000, 9000, 10500}, 5.46875f},
    {"yz250(2012)", "250", "yz250-", 16, 4.3656f, 0.75375f, 0.589375f, {322.55f, 860.12f}, {2083.1f, 4770.98f}, 30, 600, 3, 14, 50, {1.9286f, 1.5333f, 1.2778f, 1.0909f, 0.9524f, -1}, 0.006836f, {6000, 9000, 10500}, 5.46875f},
    {"crf250(2013)", "250f", "crf250v2010-", 18, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.1667f, 13, 49, {2.3571f, 1.8824f, 1.55f, 1.3333f, 1.1364f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"kx250f(2013)", "250f", "kx250fv2013-", 19, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.35f, 13, 50, {2.1429f, 1.75f, 1.4444f, 1.2353f, 1.0455f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"rmz250(2013)", "250f", "rmz250v2010-", 20, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.3158f, 13, 49, {2.1538f, 1.7647f, 1.4706f, 1.2381f, 1.0909f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"yz250f(2013)", "250f", "yz250fv2010-", 21, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.3529f, 13, 50, {2.1429f, 1.75f, 1.4444f, 1.2222f, 1.0417f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"250sxf(2013)", "250f", "250sxfv2013-", 17, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.0417f, 13, 50, {2.4615f, 2, 1.6471f, 1.3684f, 1.1905f, 1.0909f}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"crf250(2009)", "250f", "crf250-", 23, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.1667f, 13, 51, {2.1429f, 1.75f, 1.45f, 1.2273f, 1.0417f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"kx250f(2009)", "250f", "kx250f-", 24, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.35f, 13, 48, {2.1429f, 1.7857f, 1.4444f, 1.2f, 1.0526f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"rmz250(2009)", "250f", "rmz250-", 25, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.2105f, 13, 48, {2.1538f, 1.7647f, 1.4706f, 1.2381f, 1.0909f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"yz250f(2009)", "250f", "yz250f-", 26, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.3529f, 13, 48, {2.1429f, 1.75f, 1.45f, 1.2273f, 1.0417f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"250sxf(2009)", "250f", "250sxf-", 22, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.0909f, 13, 48, {2.4615f, 2, 1.6471f, 1.3684f, 1.1905f, 1.0909f}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"crf250(2008)", "250f", "crf250-", 27, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.1667f, 13, 51, {2.1429f, 1.75f, 1.45f, 1.2273f, 1.0417f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"kx250f(2008)", "250f", "kx250f-", 28, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.35f, 13, 48, {2.1429f, 1.7857f, 1.4444f, 1.2f, 1.0526f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"rmz250(2008)", "250f", "rmz250-", 29, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.2105f, 13, 48, {2.1538f, 1.7647f, 1.4706f, 1.2381f, 1.0909f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"yz250f(2008)", "250f", "yz250f-", 30, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.3529f, 13, 48, {2.1429f, 1.75f, 1.45f, 1.2273f, 1.0417f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"cr125", "125", "cr125-", 37, 3.6537f, 0.739688f, 0.541875f, {322.55f, 860.12f}, {1814.32f, 4502.19f}, 30, 600, 3.15f, 13, 52, {2.3571f, 1.8667f, 1.5789f, 1.2941f, 1.1333f, -1}, 0.004883f, {9400, 12000, 12750}, 4.6875f},
    {"kx125", "125", "kx125-", 38, 3.6537f, 0.739688f, 0.541875f, {322.55f, 860.12f}, {1814.32f, 4502.19f}, 30, 600, 3.2f, 13, 51, {2.3846f, 1.8571f, 1.5294f, 1.2941f, 1.125f, 1}, 0.004883f, {9400, 12000, 12750}, 4.6875f},
    {"rm125", "125", "rm125-", 39, 3.6537f, 0.739688f, 0.541875f, {322.55f, 860.12f}, {1814.32f, 4502.19f}, 30, 600, 3.3684f, 12, 50, {2.0714f, 1.6875f, 1.4444f, 1.2f, 1.0526f, 0.95f}, 0.004883f, {9400, 12000, 13750}, 4.6875f},
    {"yz125", "125", "yz125-", 40, 3.6537f, 0.739688f, 0.541875f, {322.55f, 860.12f}, {1814.32f, 4502.19f}, 30, 600, 3.3684f, 13, 48, {2.3846f, 1.9333f, 1.5882f, 1.3529f, 1.2f, 1.0952f}, 0.004883f, {9400, 12000, 12750}, 4.6875f},
    {"125sx", "125", "125sx-", 36, 3.6537f, 0.739688f, 0.541875f, {322.55f, 860.12f}, {1814.32f, 4502.19f}, 30, 600, 3.0435f, 13, 50, {2.4615f, 2, 1.6471f, 1.4f, 1.2105f, 1.0909f}, 0.004883f, {9400, 12000, 12750}, 4.6875f},
    {"crf250(2007)", "250f", "crf250-", 31, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.1667f, 13, 51, {2.1429f, 1.75f, 1.45f, 1.2273f, 1.0417f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"kx250f(2007)", "250f", "kx250f-", 32, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.35f, 13, 48, {2.1429f, 1.7857f, 1.4444f, 1.2f, 1.0526f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"rmz250(2007)", "250f", "rmz250-", 33, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.2105f, 13, 48, {2.1538f, 1.7647f, 1.4706f, 1.2381f, 1.0909f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"yz250f(2007)", "250f", "yz250f-", 34, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.3529f, 13, 48, {2.1429f, 1.75f, 1.45f, 1.2273f, 1.0417f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"yz250f_se(2006)", "250f", "yz250f_se-", 35, 4.24f, 0.703125f, 0.504375f, {335.98f, 873.56f}, {2217.5f, 4905.37f}, 30, 600, 3.3529f, 13, 48, {2.1429f, 1.75f, 1.45f, 1.2273f, 1.0417f, -1}, 0.004883f, {8000, 12500, 13250}, 4.6875f},
    {"rs50cr", "50", "cr125-", 41, 3.3412f, 0.739688f, 0.541875f, {309.11f, 846.68f}, {1814.32f, 4502.19f}, 30, 600, 3.7143f, 12, 55, {3.0909f, 2, 1.5f, 1.2f, 1.0455f, 0.9565f}, 0.001194f, {9400, 12000, 12750}, 4.6875f},
    {"rs50kx", "50", "kx125-", 42, 3.3412f, 0.739688f, 0.541875f, {309.11f, 846.68f}, {1814.32f, 4502.19f}, 30, 600, 3.7143f, 12, 55, {3.0909f, 2, 1.5f, 1.2f, 1.0455f, 0.9565f}, 0.001194f, {9400, 12000, 12750}, 4.6875f},
    {"rs50rm", "50", "rm125-", 43, 3.3412f, 0.739688f, 0.541875f, {309.11f, 846.68f}, {1814.32f, 4502.19f}, 30, 600, 3.7143f, 12, 55, {3.0909f, 2, 1.5f, 1.2f, 1.0455f, 0.9565f}, 0.001194f, {9400, 12000, 13750}, 4.6875f},
    {"rs50yz", "50", "yz125-", 44, 3.3412f, 0.739688f, 0.541875f, {309.11f, 846.68f}, {1814.32f, 4502.19f}, 30, 600, 3.7143f, 12, 55, {3.0909f, 2, 1.5f, 1.2f, 1.0455f, 0.9565f}, 0.001194f, {9400, 12000, 12750}, 4.6875f},
};
// clang-format on

// The setup menu lists the models in an order of its own; the catalogue holds it.
constexpr std::array<BikeModelName, kCatalogueSize> menu_list() {
  std::array<BikeModelName, kCatalogueSize> list{};
  for (const ModelRow& row : kRows) list[row.menu_position] = {row.name, row.texture_prefix};
  return list;
}

std::string file_stem(const char* texture_prefix) {
  std::string stem = texture_prefix;
  if (!stem.empty() && stem.back() == '-') stem.pop_back();
  return stem;
}

BikeEntry make_entry(const ModelRow& row) {
  BikeEntry e;
  e.name = row.name;
  e.engine_class = row.engine_class;
  e.frame_mass = row.frame_mass;
  e.fork_mass = row.fork_mass;
  e.swingarm_half_mass = row.swingarm_half_mass;
  e.fork_spring_soft = row.fork_spring[0];
  e.fork_spring_hard = row.fork_spring[1];
  e.shock_spring_soft = row.shock_spring[0];
  e.shock_spring_hard = row.shock_spring[1];
  e.fork_rebound_base = row.fork_rebound;
  e.shock_rebound_base = row.shock_rebound;
  e.primary_reduction = row.primary_reduction;
  e.front_sprocket = row.front_sprocket;
  e.rear_sprocket = row.rear_sprocket;
  for (int i = 0; i < kGearCount; ++i) e.gears[i] = row.gears[i];
  e.engine_inertia = row.engine_inertia;
  if (e.engine_class == "50") {
    // The little engine's drivetrain is softer and its own inertia tiny; a stiffer coupling
    // would ring at the step rate.
    e.twist_stiffness = 1200;
    e.twist_damping = 1;
  }
  EngineCurves curves = engine_curves(row.name);
  if (curves.open_throttle) e.open_throttle = *curves.open_throttle;
  if (curves.closed_throttle) e.closed_throttle = *curves.closed_throttle;
  e.shift_down_rpm = row.engine_speeds[0];
  e.shift_up_rpm = row.engine_speeds[1];
  e.rev_limit_rpm = row.engine_speeds[2];
  e.rider_mass = row.rider_mass;

  // The rs50 models share the frame, fork, swingarm and plates of their 125.
  std::string bike = "@" + file_stem(row.texture_prefix);
  std::array<std::string, kPartFileCount>& f = e.files;
  f[kFrameModel] = bike + "_frame.jm";
  f[kFrameShape] = "@generic_frame.shp";
  f[kBikeTexture] = bike + ".png";
  f[kForkUpperModel] = bike + "_fork_upper.jm";
  f[kForkUpperShape] = "@generic_fork_upper.shp";
  f[kForkLowerModel] = bike + "_fork_lower.jm";
  f[kForkLowerShape] = "@generic_fork_lower.shp";
  f[kSwingarmModel] = bike + "_swingarm.jm";
  f[kSwingarmShape] = "@generic_swingarm.shp";
  f[kFrontWheelModel] = "@front_wheel.jm";
  f[kFrontWheelShape] = "@front_wheel.shp";
  f[kRearWheelModel] = "@rear_wheel.jm";
  f[kRearWheelShape] = "@rear_wheel.shp";
  f[kWheelTexture] = "@wheels.png";
  f[kHeadModel] = "@rider_head.jm";
  f[kHeadTexture] = "@rider_head.png";
  f[kRiderBodyModel] = "@rider_body.jm";
  f[kRiderFirstPersonModel] = "@rider_body_fp.jm";
  f[kRiderShape] = "@generic_rider.shp";
  f[kRiderTexture] = "@rider_body.png";
  f[kSidePlatesModel] = bike + "_side_plates.jm";
  f[kFrontPlateModel] = bike + "_front_plate.jm";
  f[kRiderPlateModel] = "@rider_plate.jm";
  return e;
}

const BikeEntry* first_containing(const char* text) {
  for (const BikeEntry& e : bike_catalogue()) {
    if (e.name.find(text) != std::string::npos) return &e;
  }
  return nullptr;
}

}  // namespace

static_assert(kCatalogueSize == kBikeModelCount);
// Computed while compiling, so the list is ready before any other file's start-up code.
constexpr std::array<BikeModelName, kCatalogueSize> kMenuList = menu_list();
const std::array<BikeModelName, kBikeModelCount> kBikeModels = kMenuList;

std::span<const BikeEntry> bike_catalogue() {
  static const std::array<BikeEntry, kCatalogueSize> entries = [] {
    std::array<BikeEntry, kCatalogueSize> out;
    for (int i = 0; i < kCatalogueSize; ++i) out[i] = make_entry(kRows[i]);
    return out;
  }();
  return entries;
}

const BikeEntry& find_bike_model(const std::string& name) {
  std::span<const BikeEntry> all = bike_catalogue();
  for (const BikeEntry& e : all) {
    if (e.name == name) return e;
  }
  const BikeEntry* chosen = nullptr;
  if (name.find("125") != std::string::npos) chosen = first_containing("125");
  if (!chosen) chosen = first_containing("250f");
  if (!chosen) chosen = &all[0];
  kota::log_printf("bike info for '%.20s' not found using '%.20s' instead\n", name.c_str(),
                   chosen->name.c_str());
  return *chosen;
}

float fork_spring_kg_per_mm(const BikeEntry& e, float s) {
  return (e.fork_spring_soft + s * (e.fork_spring_hard - e.fork_spring_soft)) * 0.000744082f;
}

float shock_spring_kg_per_mm(const BikeEntry& e, float s) {
  return (e.shock_spring_soft + s * (e.shock_spring_hard - e.shock_spring_soft)) * 0.00148816f;
}

float fork_preload_mm(const BikeEntry& e, float s) {
  return (e.fork_preload_low + s * (e.fork_preload_high - e.fork_preload_low)) * 304.8f;
}

float fork_oil_level_mm(const BikeEntry& e, float s) {
  return (e.fork_oil_low + s * (e.fork_oil_high - e.fork_oil_low)) * 304.8f;
}

float shock_preload_mm(const BikeEntry& e, float s) {
  return (e.shock_preload_low + s * (e.shock_preload_high - e.shock_preload_low)) * 304.8f;
}

}  // namespace br
