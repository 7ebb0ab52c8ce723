// A world whose settings and bindings all differ from their defaults, for round trips.
#pragma once

#include <cstdio>
#include <string>

#include "shell/bike_setup.h"
#include "world/settings.h"
#include "world/world.h"

namespace br_test {

// Gear textures as the default data set has them, so that the gear choices can be read back.
inline void offer_sample_gear_textures(br::World& w) {
  w.settings.gear_textures = {"@crf250-alt1.png",     "@crf250-alt2.png",
                              "@rider_body-alt1.png", "@rider_body-alt2.png",
                              "@rider_head-alt1.png", "@rider_head-alt2.png",
                              "@wheels-alt1.png",     "@wheels-alt2.png"};
  br::build_gear_texture_choices(w.settings);
}

inline void set_sample_settings(br::World& w) {
  br::Settings& s = w.settings;
  s.xres.value = 1024;
  s.yres.value = 768;
  s.draw_fps.value = 1;
  s.draw_time.value = 1;
  s.draw_ping.value = 0;
  s.spy.value = 1;
  s.track.value = "hillside";
  s.record.select("Yes");
  s.skill.select("Expert");
  s.minutes.value = 12;
  s.laps.value = 7;
  for (int i = 0; i < br::kLineupSlots; ++i) s.slots[i].index = (i * 3 + 1) % 5;
  s.ghost_fade_distance.value = 25;
  s.time_trial_abort.select("No");
  s.playback_mode.select("Race Against");
  s.server_name.value = "race.example.net:19801";
  for (int i = 0; i < br::kServerHistorySize; i += 2) {
    s.server_name_hist[i].value = "host" + std::to_string(i) + ".example.net";
  }
  s.video_mode.select("Windowed");

  s.ground_detail.value = 85;
  s.ground_texture_detail.value = 6;
  s.ground_texture_dim.select("512x512");
  s.ground_mipmaps.select("No");
  s.texture_compress.select("Always");
  s.render_texture.select("Shaders/Copy");
  s.use_shader.select("No");
  s.model_detail.value = 33;
  s.model_texture_detail.value = 4;
  s.roost_density.value = 370;
  s.lens_flare.select("No");
  s.reflections.select("No");
  s.map_scale.value = 2.5;
  s.hide_rider.select("Yes");
  s.rigid_camera.select("Yes");
  s.fov.value = 95;
  s.first_person_height.value = 0.40625;
  s.first_person_angle.value = 12;
  s.third_person_height.value = 7;
  s.third_person_distance.value = 15;
  s.volume.value = 6;
  s.comp_volume.value = 3;
  s.billboard_optimize_lookahead.value = 12;
  s.message_lines.value = 9;
  s.demo_backups.value = 4;

  br::BikeSetup& b = s.setup;
  b.bike.select("crf250(2009)");
  offer_sample_gear_textures(w);
  b.rider_texture.select("@rider_body-alt2.png");
  b.head_texture.select("@rider_head-alt2.png");
  b.bike_texture.select("@crf250-alt2.png");
  b.wheel_texture.select("@wheels-alt2.png");
  b.name.value = "Speedy Sam";
  b.number.value = "42";
  // Every number of the setup, nudged one step up (or down at the top of its range).
  for (const br::SettingRef& item : br::setup_items(b)) {
    if (auto* n = std::get_if<br::NumberSetting*>(&item)) {
      double v = (*n)->value + (*n)->step;
      (*n)->value = v <= (*n)->max ? v : (*n)->value - (*n)->step;
    } else if (auto* c = std::get_if<br::ChoiceSetting*>(&item)) {
      if ((*c)->texts.size() > 1 && *c != &b.bike) (*c)->index = ((*c)->index + 1) % 2;
    }
  }

  br::binding_parse(w.bindings[br::kBindThrottle], "(0.0625,0.9375)joystick-a-x");
  br::binding_parse(w.bindings[br::kBindLeft], "(-0.5,-1)joystick-a-y");
  br::binding_parse(w.bindings[br::kBindRight], "(k)keypad 6");
  br::binding_parse(w.bindings[br::kBindChat], "y");
  br::binding_parse(w.bindings[br::kBindScreenshot], "f12");
}

}  // namespace br_test
