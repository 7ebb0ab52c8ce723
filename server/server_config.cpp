#include "server_config.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "files/data_file.h"

namespace brserver {
namespace {

constexpr size_t kConfigMaxBytes = size_t{1} << 20;
constexpr size_t kMaxTracks = 64;
constexpr size_t kMaxPasswordChars = 127;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool read_int(std::string_view text, long lo, long hi, int& out) {
  std::string s(text);
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end || errno) return false;
  out = static_cast<int>(std::clamp(v, lo, hi));
  return true;
}

bool read_number(std::string_view text, double lo, double hi, double& out) {
  std::string s(text);
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end || !std::isfinite(v)) return false;
  out = std::clamp(v, lo, hi);
  return true;
}

bool read_flag(std::string_view text, bool& out) {
  if (text == "1" || text == "yes" || text == "Yes") return out = true, true;
  if (text == "0" || text == "no" || text == "No") return out = false, true;
  return false;
}

std::vector<std::string> split_list(std::string_view text, char separator) {
  std::vector<std::string> out;
  while (!text.empty()) {
    size_t end = text.find(separator);
    std::string_view item = trim(text.substr(0, end));
    if (!item.empty()) out.emplace_back(item);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return out;
}

bool plain_track_name(const std::string& name) {
  if (name.empty() || name.find("..") != std::string::npos || name.front() == '/') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' ||
           c == '/';
  });
}

using KeyReader = std::function<bool(ServerConfig&, std::string_view)>;

const std::map<std::string, KeyReader, std::less<>>& key_readers() {
  static const std::map<std::string, KeyReader, std::less<>> readers = {
      {"port", [](ServerConfig& c, std::string_view v) { return read_int(v, 0, 65535, c.port); }},
      {"address",
       [](ServerConfig& c, std::string_view v) {
         if (v.size() > 255) return false;
         c.address = v;
         return true;
       }},
      {"password",
       [](ServerConfig& c, std::string_view v) {
         if (v.size() > kMaxPasswordChars) return false;
         c.password = v;
         return true;
       }},
      {"tracks",
       [](ServerConfig& c, std::string_view v) {
         std::vector<std::string> t = split_list(v, ',');
         if (t.empty() || t.size() > kMaxTracks) return false;
         if (!std::all_of(t.begin(), t.end(), plain_track_name)) return false;
         c.tracks = t;
         return true;
       }},
      {"laps", [](ServerConfig& c, std::string_view v) { return read_int(v, 0, 1000, c.laps); }},
      {"minutes",
       [](ServerConfig& c, std::string_view v) { return read_number(v, 0, 600, c.minutes); }},
      {"max_riders",
       [](ServerConfig& c, std::string_view v) { return read_int(v, 1, kMaxRiders, c.max_riders); }},
      {"arcade", [](ServerConfig& c, std::string_view v) { return read_flag(v, c.arcade); }},
      {"off_course_bias",
       [](ServerConfig& c, std::string_view v) {
         return read_number(v, 0, 3600, c.off_course_bias);
       }},
      {"off_course_scale",
       [](ServerConfig& c, std::string_view v) {
         return read_number(v, 0, 100, c.off_course_scale);
       }},
      {"knockout",
       [](ServerConfig& c, std::string_view v) {
         std::vector<int> k;
         for (const std::string& item : split_list(v, ' ')) {
           int n = 0;
           if (!read_int(item, 0, 1 << 20, n)) return false;
           k.push_back(n);
         }
         if (k.size() > kKnockoutEntries) return false;
         c.knockout = k;
         return true;
       }},
      {"warmup",
       [](ServerConfig& c, std::string_view v) { return read_number(v, 0, 3600, c.warmup); }},
      {"start_delay",
       [](ServerConfig& c, std::string_view v) { return read_number(v, 1, 600, c.start_delay); }},
      {"pause", [](ServerConfig& c, std::string_view v) { return read_number(v, 0, 3600, c.pause); }},
      {"timeout",
       [](ServerConfig& c, std::string_view v) { return read_number(v, 1, 600, c.timeout); }},
      {"race_limit",
       [](ServerConfig& c, std::string_view v) { return read_number(v, 0, 1440, c.race_limit); }},
      {"upload_max_kb",
       [](ServerConfig& c, std::string_view v) {
         return read_int(v, 0, 1 << 20, c.upload_max_kb);
       }},
      {"http_port",
       [](ServerConfig& c, std::string_view v) { return read_int(v, 0, 65535, c.http_port); }},
      {"http_address",
       [](ServerConfig& c, std::string_view v) {
         if (v.empty() || v.size() > 255) return false;
         c.http_address = v;
         return true;
       }},
  };
  return readers;
}

}  // namespace

void read_config_text(ServerConfig& config, std::string_view text, std::string& problems) {
  int number = 0;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (line.empty() || line.front() == '#') continue;
    size_t eq = line.find('=');
    std::string where = "line " + std::to_string(number) + ": ";
    if (eq == std::string_view::npos) {
      problems += where + "no '=' in '" + std::string(line.substr(0, 80)) + "'\n";
      continue;
    }
    std::string_view key = trim(line.substr(0, eq));
    std::string_view value = trim(line.substr(eq + 1));
    auto reader = key_readers().find(key);
    if (reader == key_readers().end()) {
      problems += where + "unknown key '" + std::string(key.substr(0, 80)) + "'\n";
    } else if (!reader->second(config, value)) {
      problems += where + "bad value for " + std::string(key) + "\n";
    }
  }
}

bool read_config_file(ServerConfig& config, const std::string& path, std::string& problems) {
  auto bytes = br::data_read_whole(path.c_str(), kConfigMaxBytes);
  if (!bytes) return false;
  read_config_text(config,
                   std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
                   problems);
  return true;
}

}  // namespace brserver
