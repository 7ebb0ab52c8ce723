#include "shell/bike_setup.h"

#include <cstring>

#include "shell/stability.h"
#include "world/bike_models.h"

namespace br {
namespace {

std::vector<std::string> textures_with_prefix(const std::vector<std::string>& names,
                                              const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& n : names) {
    // Texture names may come as data names, with their leading "@".
    std::string_view bare = n.starts_with('@') ? std::string_view(n).substr(1) : n;
    if (bare.starts_with(prefix)) out.push_back(n);
  }
  return out;
}

void fill_choice(ChoiceSetting& c, std::vector<std::string> texts) {
  c.texts = std::move(texts);
  c.index = 0;
}

}  // namespace

std::vector<SettingRef> setup_items(BikeSetup& b) {
  return {
      &b.bike,
      &b.name,
      &b.number,
      &b.rider_texture,
      &b.head_texture,
      &b.bike_texture,
      &b.wheel_texture,
      &b.stability,
      &b.leveling,
      &b.roll_damping,
      &b.roll_limit_angle,
      &b.roll_limit_factor,
      &b.steering_damping,
      &b.steering_strength,
      &b.max_steering_force,
      &b.direct_steering,
      &b.slow_damping_speed,
      &b.slow_damping_factor,
      &b.land_damping_falloff,
      &b.land_damping_factor,
      &b.full_lock_speed,
      &b.restricted_lock_speed,
      &b.restricted_lock,
      &b.arcade,
      &b.front_brake,
      &b.rear_brake,
      &b.stop_wheelies,
      &b.auto_shift,
      &b.auto_dab,
      &b.auto_align,
      &b.sticky_dab,
      &b.reverse_steering,
      &b.lean_indicator,
      &b.auto_clutch_rpms,
      &b.brake_torque,
      &b.rear_brake_torque,
      &b.max_dab_speed,
      &b.front_sprocket_adjustment,
      &b.rear_sprocket_adjustment,
      &b.fork_compression_adjustment,
      &b.fork_rebound_adjustment,
      &b.fork_spring_rate_adjustment,
      &b.fork_preload_adjustment,
      &b.fork_oil_level_adjustment,
      &b.shock_compression_adjustment,
      &b.shock_rebound_adjustment,
      &b.shock_spring_rate_adjustment,
      &b.shock_preload_adjustment,
      &b.rider_yspring,
      &b.rider_ydamping,
      &b.rider_zspring,
      &b.rider_zdamping,
      &b.rider_mass_distribution,
  };
}

bool setup_read_key(Settings& s, const char* key, const char* value) {
  return setup_read_key(s, setup_items(s.setup), key, value);
}

bool setup_read_key(Settings& s, const std::vector<SettingRef>& items, const char* key,
                    const char* value) {
  BikeSetup& b = s.setup;
  if (std::strcmp(key, "bike") == 0) {
    if (b.bike.select(bike_model_alias(value))) rebuild_bike_texture_choice(s);
    return true;
  }
  for (const SettingRef& item : items) {
    if (std::strcmp(setting_key(item), key) != 0) continue;
    bool stored = setting_store(item, value);
    if (stored && std::holds_alternative<NumberSetting*>(item) &&
        std::get<NumberSetting*>(item) == &b.stability) {
      apply_stability(b, b.stability.value);
    }
    return true;
  }
  return false;
}

void setup_write(BikeSetup& setup, std::string& out) {
  for (const SettingRef& item : setup_items(setup)) out += setting_line(item);
}

void build_gear_texture_choices(Settings& s) {
  fill_choice(s.setup.rider_texture, textures_with_prefix(s.gear_textures, "rider_body-"));
  fill_choice(s.setup.head_texture, textures_with_prefix(s.gear_textures, "rider_head-"));
  fill_choice(s.setup.wheel_texture, textures_with_prefix(s.gear_textures, "wheels-"));
  rebuild_bike_texture_choice(s);
}

void rebuild_bike_texture_choice(Settings& s) {
  const char* prefix = bike_texture_prefix(s.setup.bike.text());
  // An empty prefix would offer every texture as bike graphics.
  fill_choice(s.setup.bike_texture,
              *prefix ? textures_with_prefix(s.gear_textures, prefix) : std::vector<std::string>{});
}

}  // namespace br
