#include "world/settings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "world/bike_models.h"

namespace br {
namespace {

// "%f" of any double fits: the largest finite value prints 309 digits and six decimals.
std::string format_f(double v) {
  char buf[400];
  std::snprintf(buf, sizeof buf, "%f", v);
  return buf;
}

bool store_int(IntSetting& s, const char* text) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (end == text) return false;
  s.value = static_cast<int>(std::clamp<long>(v, s.min, s.max));
  return true;
}

bool store_number(NumberSetting& s, const char* text) {
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (end == text || std::isnan(v)) return false;
  number_set(s, v);
  return true;
}

bool store_text(TextSetting& s, const char* text) {
  s.value.assign(text, strnlen(text, s.max_length));
  // The cut may leave a carriage return at the end, which the file would lose on reading
  // it back; the value must read back as it is kept.
  while (!s.value.empty() && (s.value.back() == '\r' || s.value.back() == '\n')) s.value.pop_back();
  return true;
}

struct Store {
  const char* text;
  bool operator()(IntSetting* s) const { return store_int(*s, text); }
  bool operator()(ChoiceSetting* s) const { return s->select(text); }
  bool operator()(NumberSetting* s) const { return store_number(*s, text); }
  bool operator()(TextSetting* s) const { return store_text(*s, text); }
  bool operator()(Binding* b) const {
    binding_parse(*b, text);
    return true;
  }
};

struct Line {
  std::string operator()(const IntSetting* s) const {
    return s->key + "=" + std::to_string(s->value) + "\n";
  }
  std::string operator()(const ChoiceSetting* s) const { return s->key + "=" + s->text() + "\n"; }
  std::string operator()(const NumberSetting* s) const {
    return s->key + "=" + format_f(s->value) + "\n";
  }
  std::string operator()(const TextSetting* s) const { return s->key + "=" + s->value + "\n"; }
  std::string operator()(const Binding* b) const {
    std::string key = b->key;
    if (!b->key_name.empty()) return key + "=(k)" + b->key_name + "\n";
    if (!b->axis_name.empty()) {
      return key + "=(" + format_f(b->low) + "," + format_f(b->high) + ")" + b->axis_name + "\n";
    }
    // Cleared by the player: written empty, or the next start would bring the default back.
    return key + "=\n";
  }
};

}  // namespace

const std::string& ChoiceSetting::text() const {
  static const std::string kNone;
  if (index < 0 || index >= static_cast<int>(texts.size())) return kNone;
  return texts[index];
}

bool ChoiceSetting::select(const std::string& t) {
  auto it = std::find(texts.begin(), texts.end(), t);
  if (it == texts.end()) return false;
  index = static_cast<int>(it - texts.begin());
  return true;
}

const char* setting_key(const SettingRef& s) {
  return std::visit(
      [](auto* p) -> const char* {
        if constexpr (std::is_same_v<decltype(p), Binding*>) {
          return p->key;
        } else {
          return p->key.c_str();
        }
      },
      s);
}

bool setting_store(const SettingRef& s, const char* text) {
  return std::visit(Store{text}, s);
}

std::string setting_line(const SettingRef& s) {
  return std::visit(Line{}, s);
}

void number_set(NumberSetting& n, double v) {
  if (std::isnan(v)) return;
  n.value = std::clamp(v, n.min, n.max);
}

BikeSetup::BikeSetup() : bike{"bike", "Bike", {}, 0} {
  for (const BikeModelName& m : kBikeModels) bike.texts.emplace_back(m.name);
}

Settings::Settings() {
  for (int i = 0; i < kLineupSlots; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "slot%02d", i);
    ChoiceSetting slot{key,
                       "Gate " + std::to_string(i + 1),
                       {"Empty", "Human", "Robot", "Robot (2 stroke)", "Robot (4 stroke)"},
                       0};
    // The default line-up: the player on gate 20 among a handful of robots.
    if (i == 17 || i == 18 || i == 20 || i == 21 || i == 22) slot.index = 2;
    if (i == 19) slot.index = 1;
    slots.push_back(std::move(slot));
  }
  for (int i = 0; i < kServerHistorySize; ++i) {
    char key[32];
    std::snprintf(key, sizeof key, "server_name_hist%02d", i);
    server_name_hist.push_back({key, "", kServerNameLength, ""});
  }
}

void set_video_modes(Settings& s, const std::vector<VideoMode>& full_screen_modes) {
  std::string selected = s.video_mode.text();
  s.video_mode.texts = {"Default Fullscreen", "Windowed"};
  s.video_modes = {{0, 0}, {0, 0}};
  for (const VideoMode& m : full_screen_modes) {
    s.video_mode.texts.push_back(std::to_string(m.width) + "x" + std::to_string(m.height));
    s.video_modes.push_back(m);
  }
  if (!s.video_mode.select(selected)) s.video_mode.index = 0;
}

}  // namespace br
