#include <gtest/gtest.h>

#include "shell/graphics_presets.h"
#include "shell/stability.h"
#include "shell/startup_settings.h"
#include "world/render_detail.h"
#include "world/world.h"

namespace {

TEST(Stability, PresetsInterpolateBetweenLevels) {
  br::BikeSetup b;
  EXPECT_EQ(br::apply_stability(b, 0), 0);
  EXPECT_EQ(b.roll_damping.value, 40);
  EXPECT_EQ(b.roll_limit_angle.value, 90);
  EXPECT_EQ(b.restricted_lock.value, 45);
  EXPECT_EQ(b.direct_steering.value, 1);

  EXPECT_EQ(br::apply_stability(b, 30.9), 1);  // truncated to 30: halfway from level 1 to 2
  EXPECT_DOUBLE_EQ(b.roll_damping.value, 55);
  EXPECT_DOUBLE_EQ(b.restricted_lock.value, 12.5);
  EXPECT_DOUBLE_EQ(b.slow_damping_factor.value, 1.25);

  EXPECT_EQ(br::apply_stability(b, 100), 4);
  EXPECT_EQ(b.roll_damping.value, 80);
  EXPECT_EQ(b.roll_limit_angle.value, 35);
  EXPECT_EQ(b.restricted_lock.value, 5);
  EXPECT_EQ(b.direct_steering.value, 0);

  // The defaults of the fifteen settings are the preset at stability 100.
  br::BikeSetup fresh;
  EXPECT_EQ(fresh.roll_limit_factor.value, b.roll_limit_factor.value);
  EXPECT_EQ(fresh.land_damping_falloff.value, b.land_damping_falloff.value);

  // Beyond the ends it stays on the end rows.
  br::apply_stability(b, 250);
  EXPECT_EQ(b.roll_damping.value, 80);
  br::apply_stability(b, -40);
  EXPECT_EQ(b.roll_damping.value, 40);
}

TEST(GraphicsPresets, StartUpPresetIsTheDefaultAndPresetsDiffer) {
  br::Settings s;
  br::apply_graphics_preset(s, br::GraphicsPreset::kHighFps);
  EXPECT_EQ(s.render_texture.text(), "Hardware/Direct");
  EXPECT_EQ(s.roost_density.value, 0);
  br::apply_graphics_preset(s, br::GraphicsPreset::kHighDetail);
  EXPECT_EQ(s.ground_texture_dim.text(), "256x256");
  EXPECT_EQ(s.model_detail.value, 75);
  br::apply_startup_presets(s);
  br::World fresh;
  EXPECT_EQ(s.ground_texture_dim.index, fresh.settings.ground_texture_dim.index);
  EXPECT_EQ(s.render_texture.index, fresh.settings.render_texture.index);
  EXPECT_EQ(s.texture_compress.index, fresh.settings.texture_compress.index);
  EXPECT_EQ(s.ground_detail.value, fresh.settings.ground_detail.value);
  EXPECT_EQ(s.model_detail.value, fresh.settings.model_detail.value);
}

TEST(RenderDetail, DerivedFromTheSettings) {
  br::Settings s;
  br::RenderDetail d = br::derive_render_detail(s);
  EXPECT_DOUBLE_EQ(d.terrain_error_scale, 0.125 / 70);
  EXPECT_EQ(d.ground_texture_reduction, 1);
  EXPECT_EQ(d.ground_texture_size, 64);
  EXPECT_DOUBLE_EQ(d.model_lod_scale, 1.0);
  EXPECT_DOUBLE_EQ(d.model_lod_bias, 0.0);
  EXPECT_EQ(d.model_texture_reduction, 1);
  EXPECT_EQ(d.roost_frequency, 1000);

  s.model_detail.value = 0;
  s.ground_texture_detail.value = 3.5;
  s.ground_texture_dim.select("1024x1024");
  s.roost_density.value = 990;
  d = br::derive_render_detail(s);
  EXPECT_DOUBLE_EQ(d.model_lod_scale, 8.0);  // m = 2, cubed
  EXPECT_DOUBLE_EQ(d.model_lod_bias, 50.0);
  EXPECT_EQ(d.ground_texture_reduction, 6);
  EXPECT_EQ(d.ground_texture_size, 1024);
  EXPECT_EQ(d.roost_frequency, 990);
  s.model_detail.value = 20;
  d = br::derive_render_detail(s);
  EXPECT_DOUBLE_EQ(d.model_lod_scale, 1.6 * 1.6 * 1.6);
  EXPECT_DOUBLE_EQ(d.model_lod_bias, 25.0);
}

TEST(StartupSettings, CommandLineWinsOverTheFile) {
  br::world_reset();
  br::World& w = br::g_world;
  w.settings.xres.value = 1600;
  w.settings.yres.value = 900;
  w.settings.track.value = "hillside";
  w.options.width = 800;
  w.options.draw_fps = 1;
  w.options.texture_detail = 3;
  w.options.ground_texture_detail = 2;
  w.options.max_detail_distance = 100;
  w.options.lod_bias = 7;
  w.detail = br::derive_render_detail(w.settings);
  br::apply_command_line_settings(w);
  EXPECT_EQ(w.settings.xres.value, 800);
  EXPECT_EQ(w.settings.yres.value, 900);
  EXPECT_EQ(w.settings.draw_fps.value, 1);
  EXPECT_EQ(w.detail.model_texture_reduction, 3);
  EXPECT_EQ(w.detail.ground_texture_reduction, 2);
  EXPECT_EQ(w.detail.max_detail_distance, 100);
  EXPECT_EQ(w.detail.max_detail_distance2, 105);
  EXPECT_EQ(w.detail.model_lod_bias, 7);
  EXPECT_DOUBLE_EQ(w.detail.model_lod_scale, 1.0);  // still derived

  EXPECT_EQ(br::select_startup_track(w), "hillside");
  w.settings.track_choice.texts = {"alpha", "rabbithill", "zeta"};
  w.options.track = "zeta";
  EXPECT_EQ(br::select_startup_track(w), "zeta");
  EXPECT_EQ(w.settings.track_choice.text(), "zeta");
  // A name the list does not offer: the choice stays, and the player is told.
  w.options.track = "nowhere";
  testing::internal::CaptureStderr();
  EXPECT_EQ(br::select_startup_track(w), "zeta");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Unknown track 'nowhere'; riding 'zeta' instead\n");
  br::world_reset();
}

TEST(Settings, VideoModesKeepTheChosenMode) {
  br::Settings s;
  s.video_mode.select("Windowed");
  br::set_video_modes(s, {{1024, 768}, {800, 600}});
  EXPECT_EQ(s.video_mode.texts.back(), "800x600");
  EXPECT_EQ(s.video_mode.text(), "Windowed");
  s.video_mode.select("1024x768");
  br::set_video_modes(s, {{800, 600}});
  EXPECT_EQ(s.video_mode.text(), "Default Fullscreen");
  EXPECT_EQ(s.video_modes.size(), 3u);
}

}  // namespace
