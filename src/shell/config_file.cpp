#include "shell/config_file.h"

#include <cstring>
#include <sstream>
#include <vector>

#include "files/data_file.h"
#include "shell/bike_setup.h"

namespace br {
namespace {

// The whole file is a few kilobytes; anything near this is not a configuration.
constexpr size_t kConfigMaxBytes = size_t{1} << 20;

// The bindings in the order the file lists them.
constexpr BindingId kBindingWriteOrder[kBindingCount] = {
    kBindThrottle,    kBindFrontBrake,   kBindRearBrake, kBindLeft,   kBindRight,
    kBindClutch,      kBindUpshift,      kBindDownshift, kBindSitDab, kBindBackUp,
    kBindLeanForward, kBindLeanBackward, kBindPause,     kBindStep,   kBindRewind,
    kBindSkip,        kBindPrevBike,     kBindNextBike,  kBindChat,   kBindScreenshot,
};

// Every setting the file holds, in the order it is written.
std::vector<SettingRef> config_items(World& w) {
  Settings& s = w.settings;
  std::vector<SettingRef> items = {&s.xres,      &s.yres,    &s.draw_fps, &s.draw_time,
                                   &s.draw_ping, &s.spy,     &s.track,    &s.record,
                                   &s.skill,     &s.minutes, &s.laps};
  for (ChoiceSetting& slot : s.slots) items.push_back(&slot);
  items.push_back(&s.ghost_fade_distance);
  items.push_back(&s.time_trial_abort);
  for (const SettingRef& item : setup_items(s.setup)) items.push_back(item);
  items.push_back(&s.video_mode);
  items.push_back(&s.server_name);
  for (TextSetting& entry : s.server_name_hist) items.push_back(&entry);
  items.insert(items.end(), {&s.ground_detail,
                             &s.ground_texture_detail,
                             &s.ground_texture_dim,
                             &s.ground_mipmaps,
                             &s.texture_compress,
                             &s.render_texture,
                             &s.use_shader,
                             &s.roost_density,
                             &s.lens_flare,
                             &s.reflections,
                             &s.hide_rider,
                             &s.rigid_camera,
                             &s.model_detail,
                             &s.model_texture_detail,
                             &s.fov,
                             &s.first_person_height,
                             &s.first_person_angle,
                             &s.third_person_height,
                             &s.third_person_distance,
                             &s.volume,
                             &s.comp_volume,
                             &s.playback_mode,
                             &s.billboard_optimize_lookahead,
                             &s.message_lines,
                             &s.demo_backups,
                             &s.map_scale});
  for (BindingId id : kBindingWriteOrder) items.push_back(&w.bindings[id]);
  for (BindingId id : kBindingWriteOrder) items.push_back(&w.pad_bindings[id]);
  return items;
}

bool is_history_key(const std::string& key) {
  return key.starts_with("server_name_hist");
}

// The settings stay where they are while a file is read, so these lists are made once per
// read: making them for every line made a long file's start-up cost grow with its length.
struct ConfigLists {
  std::vector<SettingRef> items;
  std::vector<SettingRef> setup;
};

void read_line(World& w, const ConfigLists& lists, std::string line) {
  line.resize(std::strlen(line.c_str()));  // a stray NUL ends the line, as it would in C text
  size_t eq = line.find('=');
  if (eq == std::string::npos) return;
  std::string key = line.substr(0, eq);
  std::string value = line.substr(eq + 1);
  while (!value.empty() && (value.back() == '\r' || value.back() == '\n')) value.pop_back();

  Settings& s = w.settings;
  if (setup_read_key(s, lists.setup, key.c_str(), value.c_str())) return;
  if (key == "ground_texture_distance") return;  // no longer used
  if (key == "use_fbo") {
    if (s.use_fbo.select(value)) {
      s.render_texture.select(s.use_fbo.text() == "Yes" ? "Hardware/Direct" : "Hardware/Copy");
    }
    return;
  }
  if (is_history_key(key) && value.size() > kServerHistoryEntryMax) return;
  for (const SettingRef& item : lists.items) {
    if (key == setting_key(item)) {
      setting_store(item, value.c_str());
      return;
    }
  }
}

// The directory name of the chosen track; until the track list exists, the start-up name.
const std::string& current_track_name(const Settings& s) {
  const std::string& chosen = s.track_choice.text();
  return chosen.empty() ? s.track.value : chosen;
}

}  // namespace

void config_read(World& w, std::istream& in) {
  std::streambuf* buf = in.rdbuf();
  if (!buf) return;
  const ConfigLists lists{config_items(w), setup_items(w.settings.setup)};
  std::string line;
  for (;;) {
    int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) break;
    if (c == '\n') {
      read_line(w, lists, line);
      line.clear();
    } else if (line.size() < kConfigLineMax) {
      line += static_cast<char>(c);
    }
    // Characters past the limit are dropped so they cannot start a line of their own.
  }
  if (!line.empty()) read_line(w, lists, line);
}

void config_read_text(World& w, std::string_view text) {
  std::istringstream in{std::string(text)};
  config_read(w, in);
}

std::string config_write(const World& w) {
  // The item list hands out writable pointers, but writing only reads through them.
  World& world = const_cast<World&>(w);
  std::string out;
  for (const SettingRef& item : config_items(world)) {
    if (std::holds_alternative<TextSetting*>(item) &&
        std::get<TextSetting*>(item) == &world.settings.track) {
      out += "track=" + current_track_name(w.settings) + "\n";
    } else {
      out += setting_line(item);
    }
  }
  return out;
}

bool config_read_file(World& w, const std::string& path) {
  // Through the data layer, which reads regular files only: a FIFO or a device in the
  // configuration's place must not hang the start or fill the memory.
  auto bytes = data_read_whole(path.c_str(), kConfigMaxBytes);
  if (!bytes) return false;
  config_read_text(w,
                   std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
  return true;
}

bool config_write_file(const World& w, const std::string& path) {
  return data_replace_file(path.c_str(), config_write(w));
}

}  // namespace br
