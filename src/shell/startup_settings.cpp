#include "shell/startup_settings.h"

#include <cstdio>

#include "platform/log.h"
#include "render/render_settings.h"
#include "shell/graphics_presets.h"
#include "shell/stability.h"

namespace br {

void apply_startup_presets(Settings& s) {
  apply_stability(s.setup, s.setup.stability.value);
  apply_graphics_preset(s, GraphicsPreset::kCompatibility);
}

void apply_command_line_settings(World& w) {
  const CommandLine& cl = w.options;
  Settings& s = w.settings;
  apply_detail_options(w.detail, cl);
  if (cl.width) s.xres.value = *cl.width;
  if (cl.height) s.yres.value = *cl.height;
  if (cl.draw_fps) s.draw_fps.value = *cl.draw_fps;
  if (cl.draw_time) s.draw_time.value = *cl.draw_time;
  if (cl.draw_ping) s.draw_ping.value = *cl.draw_ping;
}

void configure_renderer(const World& w) {
  RenderSettings& r = render_settings();
  r.debug_level = w.options.debug_level;
  r.model_texture_reduction = w.detail.model_texture_reduction;
  r.texture_compress = w.settings.texture_compress.index;
  r.lod_scale = static_cast<float>(w.detail.model_lod_scale);
  r.lod_bias = static_cast<float>(w.detail.model_lod_bias);
  r.vertex_arrays = !w.options.no_vertex_arrays;
  r.ground_method = w.settings.render_texture.index;
  r.ground_texture_size = w.detail.ground_texture_size;
  r.ground_texture_first_level = w.detail.ground_texture_reduction;
}

void refresh_render_detail(World& w) {
  w.detail = derive_render_detail(w.settings);
  apply_detail_options(w.detail, w.options);
  configure_renderer(w);
}

GraphicsChoices graphics_choices(const Settings& s) {
  GraphicsChoices choices;
  choices.use_shader = s.use_shader.text() == "Yes";
  choices.ground_mipmaps = s.ground_mipmaps.text() == "Yes";
  choices.render_texture = s.render_texture.index;
  return choices;
}

std::string select_startup_track(World& w) {
  std::string name = w.options.track ? *w.options.track : w.settings.track.value;
  ChoiceSetting& choice = w.settings.track_choice;
  if (choice.select(name) || choice.texts.empty()) return name;
  // The game still starts, on the track the choice holds, and keeps that one in the
  // configuration; the player who asked for another must hear of it.
  char text[600];
  std::snprintf(text, sizeof text, "Unknown track '%.250s'; riding '%.250s' instead\n",
                name.c_str(), choice.text().c_str());
  kota::log_printf("%s", text);
  if (w.options.track) std::fputs(text, stderr);
  return choice.text();
}

}  // namespace br
