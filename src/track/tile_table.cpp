#include "track/tile_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/messages.h"
#include "render/render_settings.h"

namespace br {
namespace {

constexpr size_t kLineLimit = 1023;  // longer lines are read in pieces of this size

// The next line of `text` from `pos`, line feed included, at most kLineLimit bytes.
std::string_view next_line(std::string_view text, size_t& pos) {
  size_t start = pos;
  size_t end = std::min(text.size(), start + kLineLimit);
  size_t lf = text.find('\n', start);
  if (lf != std::string_view::npos && lf < end) end = lf + 1;
  pos = end;
  return text.substr(start, end - start);
}

bool is_line_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

struct TileBuilder {
  TileType tile = default_tile();
  int friction_points = 0;
  int roll_points = 0;
  int roost_kinds = 0;
};

void load_tile_texture(TileType& tile, const std::string& name, TileTextures mode) {
  tile.base_name = tile_base_name(name);
  tile.texture_name = name;
  if (mode == TileTextures::kPictures) {
    tile.image = texture_load_terrain(name);
    return;
  }
  // The ground repeats a tile picture across its cell's edges whenever it is drawn uncomposed.
  tile.texture = texture_load(name, kTextureRepeat);
  if (render_settings().terrain_shaders) {
    tile.normal_map = texture_load(texture_companion_name(name, "_tnorm.png"), kTextureRepeat);
    tile.specular_map = texture_load(texture_companion_name(name, "_tspec.png"), kTextureRepeat);
  }
}

void store_tile(TileBuilder& b, std::vector<TileType>& tiles) {
  TileType& t = b.tile;
  std::stable_sort(
      t.friction.begin(), t.friction.begin() + b.friction_points,
      [](const FrictionPoint& a, const FrictionPoint& c) { return a.speed < c.speed; });
  std::stable_sort(
      t.roll_resist.begin(), t.roll_resist.begin() + b.roll_points,
      [](const RollResistPoint& a, const RollResistPoint& c) { return a.speed < c.speed; });
  tiles.push_back(std::move(t));
  b = TileBuilder{};
}

void read_erode_value(int which, const std::string& arg, TileType& tile) {
  float v;
  if (std::sscanf(arg.c_str(), "%f", &v) == 1 && std::isfinite(v)) {
    tile.erode[which] = v;
  } else {
    show_message("tileinfo warning: bad %s\n", kErodeKeywords[which]);
  }
}

void tileinfo_line(std::string_view line, TileTextures mode, TileBuilder& b,
                   std::vector<TileType>& tiles) {
  size_t i = 0;
  while (i < line.size() && is_line_space(line[i])) ++i;
  if (i == line.size()) return;
  size_t k = i;
  while (k < line.size() && !is_line_space(line[k])) ++k;
  std::string keyword(line.substr(i, k - i));
  while (k < line.size() && (line[k] == ' ' || line[k] == '\t')) ++k;
  size_t e = k;
  while (e < line.size() && line[e] != '\r' && line[e] != '\n') ++e;
  std::string arg(line.substr(k, e - k));
  TileType& t = b.tile;

  if (keyword == "addtile") {
    store_tile(b, tiles);
  } else if (keyword == "texture") {
    load_tile_texture(t, arg, mode);
  } else if (keyword == "friction") {
    float value, speed;
    if (std::sscanf(arg.c_str(), "%f %f", &value, &speed) != 2 || !std::isfinite(value) ||
        !std::isfinite(speed)) {
      show_message("tileinfo warning: bad friction parameters\n");
    } else if (b.friction_points == kTileCurvePoints) {
      show_message("tileinfo warning: too many friction points\n");
    } else {
      t.friction[b.friction_points++] = {std::max(value, 0.0f), std::max(speed, kMinCurveSpeed)};
    }
  } else if (keyword == "roll_resist") {
    float low, high, speed;
    if (std::sscanf(arg.c_str(), "%f %f %f", &low, &high, &speed) != 3 || !std::isfinite(low) ||
        !std::isfinite(high) || !std::isfinite(speed)) {
      show_message("tileinfo warning: bad roll_resist parameters\n");
    } else if (b.roll_points == kTileCurvePoints) {
      show_message("tileinfo warning: too many roll_resist points\n");
    } else {
      t.roll_resist[b.roll_points++] = {std::max(low, 0.0f), std::max(high, 0.0f),
                                        std::max(speed, kMinCurveSpeed)};
    }
  } else if (keyword == "roost") {
    if (b.roost_kinds == kTileRoostKinds) {
      show_message("tileinfo warning: too many roost types\n");
    } else {
      RoostRecord& r = t.roost[b.roost_kinds++];
      r = RoostRecord{};
      r.mode = kRoostDirt;
      r.texture = texture_load(kDefaultRoostTexture);
      apply_roost_parameters(arg, r);
    }
  } else {
    for (int which = 0; which < kErodeValueCount; ++which) {
      if (keyword == kErodeKeywords[which]) {
        read_erode_value(which, arg, t);
        return;
      }
    }
    show_message("tileinfo warning: Unknown identifier '%.950s'\n", keyword.c_str());
  }
}

// Words split at white space and backspace; a double quote starts a stretch that may hold
// separators, and the quotes themselves are dropped.
std::vector<std::string> roost_words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (!quoted && std::strchr(" \f\n\r\t\b", c) && c != '\0') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word.push_back(c);
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

// The low 8 bits of a value truncated toward zero; values far out of range saturate first so
// the conversion itself is defined.
int64_t truncated(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int64_t>(std::clamp(v, -4.0e18, 4.0e18));
}

}  // namespace

TileType default_tile() {
  TileType t;
  for (FrictionPoint& p : t.friction) p = {1.0f, 0.0f};
  t.friction[0].speed = 1.0f;
  for (RollResistPoint& p : t.roll_resist) p = {5.0f, 15.0f, 0.0f};
  t.roll_resist[0].speed = 1.0f;
  return t;
}

void apply_roost_parameters(std::string_view text, RoostRecord& r) {
  struct FloatParam {
    const char* name;
    float RoostRecord::*field;
  };
  static const FloatParam kFloats[] = {{"count=", &RoostRecord::count},
                                       {"dig=", &RoostRecord::dig},
                                       {"slip_threshold=", &RoostRecord::slip_threshold},
                                       {"slow_angle=", &RoostRecord::slow_angle},
                                       {"fast_angle=", &RoostRecord::fast_angle},
                                       {"slow_speed=", &RoostRecord::slow_speed},
                                       {"fast_speed=", &RoostRecord::fast_speed},
                                       {"size=", &RoostRecord::size},
                                       {"grow=", &RoostRecord::grow},
                                       {"drag=", &RoostRecord::drag},
                                       {"vscale=", &RoostRecord::vscale},
                                       {"randomize=", &RoostRecord::randomize}};
  static const char* const kColours[] = {"r=", "g=", "b=", "a="};
  static const char* const kFades[] = {"fade_r=", "fade_g=", "fade_b=", "fade_a="};

  auto number = [](const std::string& word, size_t skip, const char* name) {
    const char* start = word.c_str() + skip;
    char* end = nullptr;
    double v = std::strtod(start, &end);
    if (end == start || !std::isfinite(v)) {
      // The warning names the parameter without its equals sign.
      show_message("tileinfo warning: bad %.*s\n", static_cast<int>(std::strlen(name) - 1), name);
      return 0.0;
    }
    return v;
  };
  auto starts = [](const std::string& word, const char* prefix) {
    return word.compare(0, std::strlen(prefix), prefix) == 0;
  };

  for (const std::string& word : roost_words(text)) {
    if (starts(word, "texture=")) {
      r.texture = texture_load(word.substr(8));
      continue;
    }
    if (starts(word, "splash=")) {
      if (std::strtod(word.c_str() + 7, nullptr) != 0.0) r.mode = kRoostSplash;
      continue;
    }
    bool matched = false;
    for (const FloatParam& p : kFloats) {
      if (starts(word, p.name)) {
        r.*p.field = static_cast<float>(number(word, std::strlen(p.name), p.name));
        matched = true;
        break;
      }
    }
    for (int k = 0; k < 4 && !matched; ++k) {
      if (starts(word, kColours[k])) {
        double v = number(word, 2, kColours[k]);
        r.colour[k] = static_cast<uint8_t>(truncated(v) & 0xff);
        matched = true;
      }
    }
    for (int k = 0; k < 4 && !matched; ++k) {
      if (starts(word, kFades[k])) {
        double v = number(word, 7, kFades[k]);
        r.fade[k] = static_cast<int8_t>(static_cast<uint8_t>(truncated(v / 128.0) & 0xff));
        matched = true;
      }
    }
    if (!matched) show_message("tileinfo warning: unknown roost parameter '%.40s'\n", word.c_str());
  }
}

void parse_tileinfo(std::string_view text, TileTextures mode, std::vector<TileType>& tiles) {
  TileBuilder b;
  size_t pos = 0;
  while (pos < text.size() && tiles.size() < static_cast<size_t>(kMaxTiles)) {
    tileinfo_line(next_line(text, pos), mode, b, tiles);
  }
}

void parse_texturelist(std::string_view text, TileTextures mode, std::vector<TileType>& tiles) {
  size_t pos = 0;
  while (pos < text.size() && tiles.size() < static_cast<size_t>(kMaxTiles)) {
    std::string line(next_line(text, pos));
    size_t i = 0;
    while (i < line.size() && std::strchr(" \t\r\n\f\v", line[i]) && line[i] != '\0') ++i;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (i >= line.size()) continue;
    float f = 1.0f, low = 5.0f, high = 15.0f;
    int used = 0;
    const char* rest = line.c_str() + i;
    if (std::sscanf(rest, "%f %f %f %n", &f, &low, &high, &used) == 3 && used > 0 &&
        std::isfinite(f) && std::isfinite(low) && std::isfinite(high)) {
      rest += used;
    } else {
      f = 1.0f, low = 5.0f, high = 15.0f;
    }
    TileType t = default_tile();
    for (FrictionPoint& p : t.friction) p.value = f;
    for (RollResistPoint& p : t.roll_resist) p.low = low, p.high = high;
    t.roost[0].mode = kRoostDirt;
    t.roost[0].texture = texture_load(kDefaultRoostTexture);
    load_tile_texture(t, "@" + std::string(rest), mode);
    tiles.push_back(std::move(t));
  }
}

std::string tile_base_name(const std::string& name) {
  size_t slash = name.rfind('/');
  if (slash != std::string::npos) return name.substr(slash);
  return !name.empty() && name[0] == '@' ? name.substr(1) : name;
}

void assign_class_codes(std::vector<TileType>& tiles) {
  // Base names of tiles in a track's folder keep the "/" before them; the parts after a
  // hyphen never have one, so names are matched without it.
  auto bare = [](const std::string& name) {
    std::string_view v(name);
    return !v.empty() && v[0] == '/' ? v.substr(1) : v;
  };
  // The first tile whose base name is `part` followed by a full stop, or -1.
  auto refers_to = [&tiles, &bare](std::string_view part) {
    for (size_t i = 0; i < tiles.size(); ++i) {
      std::string_view b = bare(tiles[i].base_name);
      if (b.size() > part.size() && b.compare(0, part.size(), part) == 0 && b[part.size()] == '.')
        return static_cast<int>(i);
    }
    return -1;
  };
  for (size_t n = 0; n < tiles.size(); ++n) {
    std::string_view base = bare(tiles[n].base_name);
    int own = static_cast<int>(n);
    int& code = tiles[n].class_code;
    code = own * 65536 + own * 256;
    size_t first = base.find('-');
    if (first == std::string::npos) continue;
    int i = refers_to(base.substr(0, first));
    if (i < 0) continue;
    std::string_view rest = base.substr(first + 1);
    if (rest.size() >= 4 && rest.compare(0, 3, "alt") == 0 && rest[3] >= '0' && rest[3] <= '9') {
      code = i * 65536 + i * 256;
      continue;
    }
    size_t second = rest.find('-');
    int j = second == std::string_view::npos ? -1 : refers_to(rest.substr(0, second));
    if (j < 0) {
      code = -256;
      continue;
    }
    std::string_view mask = rest.substr(second + 1);
    int m = 0;
    for (size_t k = 0; k < 4; ++k) {
      if (k >= mask.size() || (mask[k] != '0' && mask[k] != '1')) {
        m = 0;
        break;
      }
      m = m * 2 + (mask[k] - '0');
    }
    code = i * 65536 + j * 256 + m;
  }
}

}  // namespace br
