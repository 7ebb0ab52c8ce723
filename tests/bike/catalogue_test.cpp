#include "bike/catalogue.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <set>
#include <utility>

#include "bike/setup_block.h"
#include "platform/log.h"
#include "support/temp_dir.h"
#include "world/bike_models.h"

namespace br {
namespace {

TEST(Catalogue, HoldsEveryModelOnceAndTheMenuListsThemAll) {
  auto all = bike_catalogue();
  ASSERT_EQ(all.size(), 45u);
  EXPECT_EQ(all.front().name, "crf450(2013)");
  EXPECT_EQ(all[31].name, "cr125");
  EXPECT_EQ(all.back().name, "rs50yz");
  std::set<std::string> names;
  for (const BikeEntry& e : all) names.insert(e.name);
  EXPECT_EQ(names.size(), 45u);
  // The menu has an order of its own over the same models.
  std::set<std::string> menu;
  for (const BikeModelName& m : kBikeModels) menu.insert(m.name);
  EXPECT_EQ(menu, names);
  EXPECT_STREQ(kBikeModels[0].name, "450sxf(2013)");
  EXPECT_STREQ(kBikeModels[36].name, "125sx");
  EXPECT_STREQ(bike_texture_prefix("rs50kx"), "kx125-");
}

TEST(Catalogue, EngineClassesAndVaryingFields) {
  const BikeEntry& crf = find_bike_model("crf450(2013)");
  EXPECT_EQ(crf.engine_class, "450f");
  EXPECT_FLOAT_EQ(crf.frame_mass, 4.735f);
  EXPECT_FLOAT_EQ(crf.fork_rebound_base, 32);
  EXPECT_FLOAT_EQ(crf.shock_rebound_base, 650);
  EXPECT_FLOAT_EQ(crf.rider_mass, 5.46875f);
  EXPECT_EQ(find_bike_model("350sxf(2013)").engine_class, "250f");
  EXPECT_EQ(find_bike_model("350sxf(2011)").engine_class, "450f");
  EXPECT_EQ(find_bike_model("kx250(2006)").engine_class, "250");
  EXPECT_EQ(find_bike_model("yz250f_se(2006)").engine_class, "250f");
  EXPECT_EQ(find_bike_model("125sx").engine_class, "125");
  const BikeEntry& rs = find_bike_model("rs50rm");
  EXPECT_EQ(rs.engine_class, "50");
  EXPECT_FLOAT_EQ(rs.twist_stiffness, 1200);
  EXPECT_FLOAT_EQ(rs.rev_limit_rpm, 13750);
  EXPECT_FLOAT_EQ(crf.twist_stiffness, 7500);
}

TEST(Catalogue, FiveAndSixSpeedGearboxes) {
  for (const BikeEntry& e : bike_catalogue()) {
    for (int g = 0; g < 5; ++g) EXPECT_GT(e.gears[g], 0) << e.name;
    for (int g = 1; g < 5; ++g) EXPECT_LT(e.gears[g], e.gears[g - 1]) << e.name;
    bool six = e.name == "250sxf(2013)" || e.name == "250sxf(2009)" || e.name.find("rs50") == 0 ||
               (e.engine_class == "125" && e.name != "cr125");
    if (six) {
      EXPECT_GT(e.gears[5], 0) << e.name;
      EXPECT_LT(e.gears[5], e.gears[4]) << e.name;
    } else {
      EXPECT_EQ(e.gears[5], kMissingGear) << e.name;
    }
  }
}

// Each engine delivers its torque below its limit and none past it, peaks where its class
// does, and brakes harder the faster it turns with the throttle shut.
TEST(Catalogue, TorqueCurvesFitTheirEngines) {
  const BikeEntry& crf = find_bike_model("crf450(2013)");
  EXPECT_FLOAT_EQ(crf.open_throttle[14], 31);
  EXPECT_FLOAT_EQ(crf.open_throttle[24], 0);
  EXPECT_FLOAT_EQ(crf.open_throttle[25], -10);
  EXPECT_FLOAT_EQ(crf.open_throttle[49], -34);
  EXPECT_FLOAT_EQ(crf.closed_throttle[0], 2);
  EXPECT_FLOAT_EQ(crf.closed_throttle[49], -23);

  struct Range {
    float low, high;  // lb-ft at the peak
  };
  auto peak_range = [](const BikeEntry& e) -> Range {
    if (e.name.find("350") == 0) return {24, 29};
    if (e.engine_class == "450f") return {29, 34};
    if (e.engine_class == "250f") return {18, 22};
    if (e.engine_class == "250") return {27, 32};
    if (e.engine_class == "125") return {15, 18};
    return {3.5f, 5.5f};
  };
  std::set<std::pair<TorqueTable, TorqueTable>> distinct;
  for (const BikeEntry& e : bike_catalogue()) {
    distinct.insert({e.open_throttle, e.closed_throttle});
    int cut = static_cast<int>(std::ceil(e.rev_limit_rpm / kTorqueSampleRpm));
    float peak = 0;
    int peak_at = 0;
    for (int i = 0; i < kTorqueSamples; ++i) {
      if (i < cut) {
        EXPECT_GT(e.open_throttle[i], 0) << e.name << " at " << i;
      } else if (i == cut) {
        EXPECT_EQ(e.open_throttle[i], 0) << e.name;
      } else {
        EXPECT_LT(e.open_throttle[i], e.open_throttle[i - 1]) << e.name;
      }
      if (i > 3) {
        EXPECT_LE(e.closed_throttle[i], e.closed_throttle[i - 1]) << e.name;
      }
      if (e.open_throttle[i] > peak) peak = e.open_throttle[i], peak_at = i;
    }
    Range r = peak_range(e);
    EXPECT_GE(peak, r.low) << e.name;
    EXPECT_LE(peak, r.high) << e.name;
    float peak_rpm = peak_at * kTorqueSampleRpm;
    EXPECT_GT(peak_rpm, e.shift_down_rpm - 1000) << e.name;
    EXPECT_LT(peak_rpm, e.rev_limit_rpm - 1000) << e.name;
    EXPECT_LT(e.closed_throttle[49], 0) << e.name;
  }
  EXPECT_EQ(distinct.size(), 41u);
}

TEST(Catalogue, PartFilesFollowTheModel) {
  const BikeEntry& crf = find_bike_model("crf450(2013)");
  EXPECT_EQ(crf.files[kFrameModel], "@crf450v2013_frame.jm");
  EXPECT_EQ(crf.files[kBikeTexture], "@crf450v2013.png");
  EXPECT_EQ(crf.files[kFrontPlateModel], "@crf450v2013_front_plate.jm");
  EXPECT_EQ(crf.files[kRiderShape], "@generic_rider.shp");
  EXPECT_EQ(crf.files[kWheelTexture], "@wheels.png");
  const BikeEntry& rs = find_bike_model("rs50cr");
  EXPECT_EQ(rs.files[kFrameModel], "@cr125_frame.jm");
  EXPECT_EQ(rs.files[kSidePlatesModel], "@cr125_side_plates.jm");
}

TEST(Catalogue, UnknownNamesFallBackAndSaySo) {
  br_test::TempDir dir;
  std::string log = dir.file("bike.log");
  setenv("KOTA_LOGFILE", log.c_str(), 1);
  kota::log_reset();
  EXPECT_EQ(find_bike_model("rm125").name, "rm125");
  EXPECT_EQ(find_bike_model("xr125").name, "cr125");
  // The first name holding "250f"; crf250(2013), earlier, is spelt without the f.
  EXPECT_EQ(find_bike_model("dirtmaster").name, "kx250f(2013)");
  kota::log_printf(nullptr);
  kota::log_reset();
  unsetenv("KOTA_LOGFILE");
  std::string text = br_test::read_file(log);
  EXPECT_EQ(text.find("'rm125'"), std::string::npos);
  EXPECT_NE(text.find("bike info for 'xr125' not found using 'cr125' instead"), std::string::npos);
  EXPECT_NE(text.find("bike info for 'dirtmaster' not found using 'kx250f(2013)' instead"),
            std::string::npos);
}

TEST(Catalogue, SetupMenuFiguresAndBuildDefaults) {
  const BikeEntry& crf = find_bike_model("crf450(2013)");
  EXPECT_NEAR(fork_spring_kg_per_mm(crf, 0), 376.3 / (2 * 671.96), 1e-4);
  EXPECT_NEAR(shock_spring_kg_per_mm(crf, 1), 5174.16 * 0.00148816, 1e-3);
  EXPECT_NEAR(fork_preload_mm(crf, 1), 0.08333 * 304.8, 1e-3);
  EXPECT_NEAR(fork_oil_level_mm(crf, 0), 0.41667 * 304.8, 1e-3);
  EXPECT_NEAR(shock_preload_mm(crf, 0.5f), 0.01375 * 304.8, 1e-3);

  SetupBlock s = default_setup(crf);
  EXPECT_FLOAT_EQ(s.final_drive, 48.0f / 13.0f);
  EXPECT_FLOAT_EQ(s.fork_rebound, 32);
  EXPECT_FLOAT_EQ(s.shock_compression, 800);
  EXPECT_NEAR(s.fork_spring, (376.3 + 913.88) / 2, 1e-3);
  EXPECT_NEAR(s.fork_oil_level, (0.41667 + 0.25) / 2, 1e-6);
  EXPECT_FLOAT_EQ(s.rider_z_damping, 0.5f);
  EXPECT_EQ(s.stop_wheelies, 2);
  EXPECT_TRUE(s.front_brake_mode && s.auto_align && !s.arcade_physics);
}

}  // namespace
}  // namespace br
