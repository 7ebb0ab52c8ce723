// The settings screens: bike setup with its choosers and sub-screens, graphics and sound,
// and the controls.
#include <algorithm>
#include <cstdio>

#include "bike/catalogue.h"
#include "render/graphics_caps.h"
#include "shell/graphics_presets.h"
#include "ui/binding_capture.h"
#include "ui/menu_entries.h"
#include "ui/menu_screens.h"

namespace br {
namespace {

constexpr const char* kRestartNote = "Some settings will not take effect until next restart";

std::vector<std::string> texture_names(const ChoiceSetting& c) {
  std::vector<std::string> names;
  for (const std::string& t : c.texts) names.push_back(texture_choice_name(t));
  return names;
}

MenuEntry texture_chooser(std::string label, ChoiceSetting& c, MenuId chooser) {
  MenuEntry e = chooser_entry(std::move(label), c, chooser);
  e.shown = texture_names(c);
  return e;
}

MenuScreen bike_setup(World& w) {
  BikeSetup& b = w.settings.setup;
  MenuScreen s;
  s.title = "Bike Setup";
  s.entries = {
      text_entry(b.name),
      text_entry(b.number),
      chooser_entry("Choose Bike", b.bike, kMenuChooseBike, SettingEffect::kBikeModel),
      texture_chooser("Choose Bike Graphics", b.bike_texture, kMenuChooseBikeGraphics),
      texture_chooser("Choose Wheel Graphics", b.wheel_texture, kMenuChooseWheels),
      texture_chooser("Choose Helmet", b.head_texture, kMenuChooseHelmet),
      texture_chooser("Choose Riding Gear", b.rider_texture, kMenuChooseGear),
  };
  for (ChoiceSetting* c :
       {&b.arcade, &b.front_brake, &b.rear_brake, &b.stop_wheelies, &b.auto_shift, &b.auto_dab,
        &b.auto_align, &b.sticky_dab, &b.reverse_steering, &b.lean_indicator}) {
    s.entries.push_back(choice_entry(*c, SettingEffect::kBikeSetup));
  }
  for (NumberSetting* n :
       {&b.auto_clutch_rpms, &b.brake_torque, &b.rear_brake_torque, &b.max_dab_speed}) {
    s.entries.push_back(number_entry(*n, SettingEffect::kBikeSetup));
  }
  s.entries.push_back(open_button("Advanced Stability Setup", kMenuStability));
  s.entries.push_back(open_button("Suspension and Gearing", kMenuSuspension));
  s.entries.push_back(button("Back to Main Menu", MenuAction::kBack));
  return s;
}

struct ChooserSpec {
  const char* title;
  ChoiceSetting* choice;
  bool textures;
  SettingEffect effect;
};

ChooserSpec chooser_spec(World& w, int id) {
  BikeSetup& b = w.settings.setup;
  switch (id) {
    case kMenuChooseBike:
      return {"Choose Bike", &b.bike, false, SettingEffect::kBikeModel};
    case kMenuChooseBikeGraphics:
      return {"Choose Bike Graphics", &b.bike_texture, true, SettingEffect::kNone};
    case kMenuChooseWheels:
      return {"Choose Wheel Graphics", &b.wheel_texture, true, SettingEffect::kNone};
    case kMenuChooseHelmet:
      return {"Choose Helmet", &b.head_texture, true, SettingEffect::kNone};
    default:
      return {"Choose Riding Gear", &b.rider_texture, true, SettingEffect::kNone};
  }
}

MenuScreen chooser(World& w, int id) {
  ChooserSpec spec = chooser_spec(w, id);
  MenuScreen s;
  s.title = spec.title;
  const std::vector<std::string>& texts = spec.choice->texts;
  int count = static_cast<int>(texts.size());
  s.pages = page_count(count, kChoicesPerPage);
  int first = std::clamp(w.menu_state.page, 0, s.pages - 1) * kChoicesPerPage;
  for (int i = first; i < std::min(first + kChoicesPerPage, count); ++i) {
    const std::string& text = texts[static_cast<size_t>(i)];
    MenuEntry e = button(spec.textures ? texture_choice_name(text) : text, MenuAction::kChoose, i);
    e.choice = spec.choice;
    e.effect = spec.effect;
    e.marked = spec.choice->index == i;
    s.entries.push_back(e);
  }
  if (count == 0) s.notes.push_back("Nothing to choose from");
  if (s.pages > 1) {
    s.entries.push_back(button("Next Page", MenuAction::kNextPage));
    s.entries.push_back(button("Prev Page", MenuAction::kPrevPage));
  }
  s.entries.push_back(button("Back to Bike Setup Menu", MenuAction::kBack));
  return s;
}

MenuScreen stability(World& w) {
  BikeSetup& b = w.settings.setup;
  MenuScreen s;
  s.title = "Advanced Stability Setup";
  s.entries.push_back(number_entry(b.stability, SettingEffect::kStability));
  for (NumberSetting* n :
       {&b.leveling, &b.roll_damping, &b.roll_limit_angle, &b.roll_limit_factor,
        &b.steering_damping, &b.steering_strength, &b.max_steering_force, &b.direct_steering,
        &b.slow_damping_speed, &b.slow_damping_factor, &b.land_damping_falloff,
        &b.land_damping_factor, &b.full_lock_speed, &b.restricted_lock_speed, &b.restricted_lock}) {
    s.entries.push_back(number_entry(*n, SettingEffect::kBikeSetup));
  }
  s.entries.push_back(button("Back to Bike Setup Menu", MenuAction::kBack));
  return s;
}

std::string physical(const char* format, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

// The adjustments are percentages of the chosen bike's own range.
float share(const NumberSetting& n) {
  return static_cast<float>(n.value / 100.0);
}

MenuScreen suspension(World& w) {
  BikeSetup& b = w.settings.setup;
  const BikeEntry& bike = find_bike_model(b.bike.text());
  MenuScreen s;
  s.title = "Suspension and Gearing";
  auto add = [&s](NumberSetting& n, std::string detail) {
    MenuEntry e = number_entry(n, SettingEffect::kBikeSetup);
    e.detail = std::move(detail);
    s.entries.push_back(e);
  };
  add(b.front_sprocket_adjustment,
      physical("%.2f teeth", bike.front_sprocket + b.front_sprocket_adjustment.value));
  add(b.rear_sprocket_adjustment,
      physical("%.2f teeth", bike.rear_sprocket + b.rear_sprocket_adjustment.value));
  add(b.fork_compression_adjustment, "");
  add(b.fork_rebound_adjustment, "");
  add(b.fork_spring_rate_adjustment,
      physical("%.3f kg/mm", fork_spring_kg_per_mm(bike, share(b.fork_spring_rate_adjustment))));
  add(b.fork_preload_adjustment,
      physical("%.2f mm", fork_preload_mm(bike, share(b.fork_preload_adjustment))));
  add(b.fork_oil_level_adjustment,
      physical("%.2f mm", fork_oil_level_mm(bike, share(b.fork_oil_level_adjustment))));
  add(b.shock_compression_adjustment, "");
  add(b.shock_rebound_adjustment, "");
  add(b.shock_spring_rate_adjustment,
      physical("%.2f kg/mm", shock_spring_kg_per_mm(bike, share(b.shock_spring_rate_adjustment))));
  add(b.shock_preload_adjustment,
      physical("%.2f mm", shock_preload_mm(bike, share(b.shock_preload_adjustment))));
  for (NumberSetting* n : {&b.rider_yspring, &b.rider_ydamping, &b.rider_zspring, &b.rider_zdamping,
                           &b.rider_mass_distribution}) {
    add(*n, "");
  }
  s.entries.push_back(button("Back to Bike Setup Menu", MenuAction::kBack));
  return s;
}

MenuScreen graphics_sound(World& w) {
  Settings& set = w.settings;
  const GraphicsCaps& driver = graphics_caps();
  MenuScreen s;
  s.title = "Graphics/Sound Setup";
  s.entries = {
      choice_entry(set.video_mode),
      button("Switch To Selected Mode Now", MenuAction::kSwitchVideoMode),
      number_entry(set.fov),
      choice_entry(set.hide_rider),
      choice_entry(set.rigid_camera),
      number_entry(set.first_person_height),
      number_entry(set.first_person_angle),
      number_entry(set.third_person_height),
      number_entry(set.third_person_distance),
      number_entry(set.volume),
      number_entry(set.comp_volume),
      button("Use High Detail Settings", MenuAction::kPreset,
             static_cast<int>(GraphicsPreset::kHighDetail)),
      button("Use Normal Settings", MenuAction::kPreset, static_cast<int>(GraphicsPreset::kNormal)),
      button("Use High FPS Settings", MenuAction::kPreset,
             static_cast<int>(GraphicsPreset::kHighFps)),
      button("Use Compatibility Settings", MenuAction::kPreset,
             static_cast<int>(GraphicsPreset::kCompatibility)),
      open_button("Advanced Graphics Setup", kMenuAdvancedGraphics),
      button("Back to Main Menu", MenuAction::kBack)};
  s.notes = {current_settings_text(set),
             kRestartNote,
             "Driver info:",
             driver.vendor,
             driver.renderer,
             driver.version};
  return s;
}

const char* availability(bool available) {
  return available ? "Available" : "Not Available";
}

MenuScreen advanced_graphics(World& w) {
  Settings& set = w.settings;
  const GraphicsCaps& driver = graphics_caps();
  const bool shaders = shaders_possible(driver);
  const bool compression = extension_present(driver.extensions, "GL_ARB_texture_compression");
  MenuScreen s;
  s.title = "Advanced Graphics Setup";
  auto add = [&s](MenuEntry e, const char* detail = "") {
    e.effect = SettingEffect::kGraphics;
    e.detail = detail;
    s.entries.push_back(e);
  };
  // The terrain's methods: copying needs nothing, drawing straight into the ground texture
  // needs framebuffer objects, and the shader methods need shader programs.
  const std::string& method = set.render_texture.text();
  bool method_ok = method == "Software" ||
                   (method.rfind("Shaders", 0) == 0              ? shaders
                    : method.find("Direct") != std::string::npos ? driver.framebuffer_object
                                                                 : true);
  add(number_entry(set.ground_detail));
  add(number_entry(set.ground_texture_detail));
  add(choice_entry(set.ground_texture_dim));
  add(choice_entry(set.ground_mipmaps), availability(driver.generate_mipmap));
  add(choice_entry(set.texture_compress), availability(compression));
  add(choice_entry(set.render_texture), availability(method_ok));
  add(choice_entry(set.use_shader), availability(shaders));
  add(number_entry(set.model_detail));
  add(number_entry(set.model_texture_detail));
  add(choice_entry(set.lens_flare));
  add(choice_entry(set.reflections), availability(shaders));
  add(number_entry(set.roost_density));
  s.entries.push_back(button("Back to Graphics/Sound Menu", MenuAction::kBack));
  s.notes = {current_settings_text(set), kRestartNote};
  return s;
}

// The keyboard's bindings on the first page, the pad's on the second.
MenuScreen controls(World& w) {
  MenuScreen s;
  s.title = "Customize Controls";
  s.pages = 2;
  int page = std::clamp(w.menu_state.page, 0, 1);
  for (int i = 0; i < kBindingCount; ++i) {
    int index = page * kBindingCount + i;
    Binding* b = capturable_binding(w, index);
    MenuEntry e;
    e.kind = EntryKind::kBinding;
    e.label = b->label;
    e.binding = b;
    e.action = MenuAction::kCaptureBinding;
    e.arg = index;
    s.entries.push_back(e);
  }
  s.entries.push_back(button(page == 0 ? "Game Pad Controls" : "Keyboard Controls",
                             page == 0 ? MenuAction::kNextPage : MenuAction::kPrevPage));
  s.entries.push_back(button("Back to Main Menu", MenuAction::kBack));
  return s;
}

}  // namespace

std::string texture_choice_name(const std::string& texture) {
  size_t start = texture.find_last_of('/');
  start = start == std::string::npos ? (texture.rfind('@', 0) == 0 ? 1 : 0) : start + 1;
  size_t dash = texture.find('-', start);
  if (dash != std::string::npos) start = dash + 1;
  size_t dot = texture.find_last_of('.');
  size_t end = dot == std::string::npos || dot < start ? texture.size() : dot;
  std::string name = texture.substr(start, end - start);
  return name.empty() ? texture : name;
}

MenuScreen setup_screen(World& w, int id) {
  MenuScreen s;
  switch (id) {
    case kMenuBikeSetup:
      s = bike_setup(w);
      break;
    case kMenuChooseBike:
    case kMenuChooseBikeGraphics:
    case kMenuChooseWheels:
    case kMenuChooseHelmet:
    case kMenuChooseGear:
      s = chooser(w, id);
      break;
    case kMenuStability:
      s = stability(w);
      break;
    case kMenuSuspension:
      s = suspension(w);
      break;
    case kMenuGraphicsSound:
      s = graphics_sound(w);
      break;
    case kMenuAdvancedGraphics:
      s = advanced_graphics(w);
      break;
    case kMenuControls:
      s = controls(w);
      break;
    default:
      return play_screen(w, kMenuMain);
  }
  s.id = id;
  return s;
}

}  // namespace br
