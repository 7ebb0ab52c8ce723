// Reading the scenery files. The game writes each entry on a line of its own, so the readers
// go line by line: one bad line costs only itself.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "files/messages.h"
#include "track/scenery_format.h"
#include "track/text_lines.h"

namespace br {
namespace {

constexpr size_t kNameChars = 1024;  // the "%1023s" fields

// Numbers from a file must be numbers: an "inf" or "nan" would poison every later sum.
bool all_finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

bool is_hex_digit(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// The line with its leading keyword removed; blanks around the argument dropped.
std::string argument_after_keyword(const std::string& line, std::string* keyword) {
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos) {
    keyword->clear();
    return "";
  }
  size_t end = line.find_first_of(" \t", start);
  *keyword = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (end == std::string::npos) return "";
  size_t arg = line.find_first_not_of(" \t", end);
  if (arg == std::string::npos) return "";
  size_t last = line.find_last_not_of(" \t\r\n\f\v");
  return line.substr(arg, last + 1 - arg);
}

bool read_vector(const std::string& arg, Float3& v) {
  Float3 r{};
  if (std::sscanf(arg.c_str(), " [ %f %f %f ]", &r[0], &r[1], &r[2]) != 3) return false;
  if (!all_finite({r[0], r[1], r[2]})) return false;
  v = r;
  return true;
}

}  // namespace

void split_billboard_name(const std::string& name, BillboardEntry& e) {
  e.r = e.g = e.b = 255;
  e.picture = name;
  if (name.size() <= 7 || name[0] != '#' || name[7] != '#') return;
  if (!std::all_of(name.begin() + 1, name.begin() + 7, is_hex_digit)) return;
  auto byte = [&](int at) {
    return static_cast<unsigned char>(std::strtoul(name.substr(at, 2).c_str(), nullptr, 16));
  };
  e.r = byte(1);
  e.g = byte(3);
  e.b = byte(5);
  e.picture = name.substr(8);
}

std::vector<BillboardEntry> parse_billboards(std::string_view text, const std::string& file) {
  std::vector<BillboardEntry> out;
  char name[kNameChars];
  for (const TextLine& line : text_lines(text)) {
    if (is_blank_or_comment(line.text)) continue;
    BillboardEntry e;
    if (std::sscanf(line.text.c_str(), " [ %f %f %f ] %f %f %1023s", &e.x, &e.y, &e.z, &e.width,
                    &e.height, name) != 6 ||
        !all_finite({e.x, e.y, e.z, e.width, e.height})) {
      warn_bad_line(file, line);
      continue;
    }
    split_billboard_name(name, e);
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<StatueEntry> parse_statues(std::string_view text, const std::string& file) {
  std::vector<StatueEntry> out;
  char model[kNameChars], texture[kNameChars], shape[kNameChars];
  for (const TextLine& line : text_lines(text)) {
    if (is_blank_or_comment(line.text)) continue;
    StatueEntry e;
    if (std::sscanf(line.text.c_str(), " [ %f %f %f ] %f %1023s %1023s %1023s", &e.x, &e.y, &e.z,
                    &e.yaw, model, texture, shape) != 7 ||
        !all_finite({e.x, e.y, e.z, e.yaw})) {
      warn_bad_line(file, line);
      continue;
    }
    e.model = model;
    e.texture = texture;
    e.shape = shape;
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<DecalEntry> parse_decals(std::string_view text, const std::string& file) {
  std::vector<DecalEntry> out;
  char picture[kNameChars];
  for (const TextLine& line : text_lines(text)) {
    if (is_blank_or_comment(line.text)) continue;
    DecalEntry e;
    if (std::sscanf(line.text.c_str(), " [ %f %f ] %f %f %f %1023s", &e.x, &e.z, &e.angle,
                    &e.size_a, &e.size_b, picture) != 6 ||
        !all_finite({e.x, e.z, e.angle, e.size_a, e.size_b})) {
      warn_bad_line(file, line);
      continue;
    }
    e.picture = picture;
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<CameraEntry> parse_cameras(std::string_view text, const std::string& file) {
  std::vector<CameraEntry> out;
  CameraEntry pending;  // what the next "addcamera" adds
  for (const TextLine& line : text_lines(text)) {
    if (is_blank_or_comment(line.text)) continue;
    std::string keyword;
    std::string arg = argument_after_keyword(line.text, &keyword);
    float a, b, c;
    if (keyword == "addcamera" && std::sscanf(arg.c_str(), "%f %f %f", &a, &b, &c) == 3 &&
        all_finite({a, b, c})) {
      pending.x = a, pending.y = b, pending.z = c;
      out.push_back(std::move(pending));
      pending = CameraEntry{};
    } else if (keyword == "fov" && std::sscanf(arg.c_str(), "%f", &a) == 1 && all_finite({a})) {
      pending.fov = std::fabs(a);
    } else if (keyword == "autofovsize" && std::sscanf(arg.c_str(), "%f", &a) == 1 &&
               all_finite({a})) {
      pending.auto_fov_size = std::fabs(a);
    } else if (keyword == "gate") {
      // Gate numbers up to the first that is not one.
      const char* p = arg.c_str();
      for (;;) {
        char* end = nullptr;
        long g = std::strtol(p, &end, 10);
        if (end == p || g < 0 || g > 255) break;
        pending.gates.push_back(static_cast<int>(g));
        p = end;
      }
    } else {
      warn_bad_line(file, line);
    }
  }
  return out;
}

namespace {

// In double: components near the float limit would overflow a float length and normalise the
// sun to nothing.
double length(const Float3& v) {
  return std::hypot(double(v[0]), double(v[1]), double(v[2]));
}

}  // namespace

LightingFile parse_lighting(std::string_view text, const std::string& file) {
  LightingFile l;
  LensFlare flare;  // being built
  for (const TextLine& line : text_lines(text)) {
    if (is_blank_or_comment(line.text)) continue;
    std::string key;
    std::string arg = argument_after_keyword(line.text, &key);
    bool ok = true;
    if (key == "sun_vector") {
      Float3 v{};
      ok = read_vector(arg, v) && length(v) > 0.0;
      if (ok) l.sun_vector = v;
    } else if (key == "sun_color") {
      ok = read_vector(arg, l.sun_color);
    } else if (key == "ambient") {
      ok = read_vector(arg, l.ambient);
    } else if (key == "global_ambient") {
      ok = read_vector(arg, l.global_ambient);
    } else if (auto sky = std::find(kSkyKeywords.begin(), kSkyKeywords.end(), key);
               sky != kSkyKeywords.end()) {
      ok = !arg.empty();
      if (ok) l.sky[static_cast<size_t>(sky - kSkyKeywords.begin())] = arg;
    } else if (key == "sky_env") {
      ok = !arg.empty();
      if (ok) l.sky_env = arg;
    } else if (key == "flare_element") {
      FlareElement e;
      char name[kNameChars];
      ok = std::sscanf(arg.c_str(), " [ %f %f ] [ %f %f %f ] %f %1023s", &e.a, &e.b, &e.colour[0],
                       &e.colour[1], &e.colour[2], &e.size, name) == 7 &&
           all_finite({e.a, e.b, e.colour[0], e.colour[1], e.colour[2], e.size});
      if (ok) {
        e.texture = name;
        if (flare.elements.size() < size_t(kMaxFlareElements))
          flare.elements.push_back(std::move(e));
      }
    } else if (key == "flare_point" || key == "flare_vector") {
      ok = read_vector(arg, flare.where);
      if (ok) {
        flare.is_direction = key == "flare_vector";
        l.flares.push_back(std::move(flare));
        flare = LensFlare{};
      }
    } else if (key == "fog") {
      Float3 c{};
      float density;
      ok = std::sscanf(arg.c_str(), " [ %f %f %f ] %f", &c[0], &c[1], &c[2], &density) == 4 &&
           all_finite({c[0], c[1], c[2], density});
      if (ok) l.fog_color = c, l.fog_density = density;
    } else if (key == "dynamic_lighting") {
      int on;
      ok = std::sscanf(arg.c_str(), "%d", &on) == 1;
      if (ok) l.dynamic_lighting = on > 0;
    } else if (key == "near_plane" || key == "far_plane") {
      float v;
      ok = std::sscanf(arg.c_str(), "%f", &v) == 1 && !std::isnan(v);
      if (ok) (key == "near_plane" ? l.near_plane : l.far_plane) = v;
    } else {
      show_message("Error reading lighting: Unknown identifier '%.950s'", key.c_str());
      continue;
    }
    if (!ok) warn_bad_line(file, line);
  }
  double n = length(l.sun_vector);
  for (float& c : l.sun_vector) c = static_cast<float>(c / n);
  l.near_plane = std::clamp(l.near_plane, 1.0f / 1024, 0.875f);
  l.far_plane = std::min(std::max(l.far_plane, l.near_plane), 1048576.0f);
  return l;
}

FlaggersFile parse_flaggers(std::string_view text, const std::string& file) {
  FlaggersFile f;
  char p[5][kNameChars];
  int part = 0;  // 0 start, 1 finish, 2 corners
  for (const TextLine& line : text_lines(text)) {
    if (is_blank_or_comment(line.text)) continue;
    const char* s = line.text.c_str();
    if (part == 0) {
      StartFlaggerEntry& e = f.start;
      int n =
          std::sscanf(s, " [ %f %f %f ] [ %f %f %f ] %f %f %f %1023s %1023s %1023s %1023s %1023s",
                      &e.a[0], &e.a[1], &e.a[2], &e.b[0], &e.b[1], &e.b[2], &e.width, &e.height,
                      &e.walk_seconds, p[0], p[1], p[2], p[3], p[4]);
      if (n != 14) {
        // The walk duration may be left out.
        e.walk_seconds = 1.0f;
        n = 1 + std::sscanf(s,
                            " [ %f %f %f ] [ %f %f %f ] %f %f %1023s %1023s %1023s %1023s %1023s",
                            &e.a[0], &e.a[1], &e.a[2], &e.b[0], &e.b[1], &e.b[2], &e.width,
                            &e.height, p[0], p[1], p[2], p[3], p[4]);
      }
      if (n != 14 || !all_finite({e.a[0], e.a[1], e.a[2], e.b[0], e.b[1], e.b[2], e.width, e.height,
                                  e.walk_seconds})) {
        warn_bad_line(file, line);
        f.start = StartFlaggerEntry{};
        return f;
      }
      // A walk that takes no time would divide by zero.
      if (!(e.walk_seconds > 0.0f)) e.walk_seconds = 1.0f;
      for (int k = 0; k < 5; ++k) e.frames[size_t(k)] = p[k];
      f.has_start = true;
      part = 1;
    } else if (part == 1) {
      FinishFlaggerEntry& e = f.finish;
      if (std::sscanf(s, " [ %f %f %f ] %f %f %1023s %1023s %1023s %1023s", &e.at[0], &e.at[1],
                      &e.at[2], &e.width, &e.height, p[0], p[1], p[2], p[3]) != 9 ||
          !all_finite({e.at[0], e.at[1], e.at[2], e.width, e.height})) {
        warn_bad_line(file, line);
        f.finish = FinishFlaggerEntry{};
        return f;
      }
      for (int k = 0; k < 4; ++k) e.pictures[size_t(k)] = p[k];
      f.has_finish = true;
      part = 2;
    } else {
      CornerFlaggerEntry e;
      if (std::sscanf(s, " [ %f %f %f ] %f %f %d %d %d %d %1023s %1023s", &e.at[0], &e.at[1],
                      &e.at[2], &e.width, &e.height, &e.gates[0], &e.gates[1], &e.gates[2],
                      &e.gates[3], p[0], p[1]) != 11 ||
          !all_finite({e.at[0], e.at[1], e.at[2], e.width, e.height})) {
        warn_bad_line(file, line);
        continue;
      }
      e.normal = p[0];
      e.alert = p[1];
      f.corners.push_back(std::move(e));
    }
  }
  return f;
}

}  // namespace br
