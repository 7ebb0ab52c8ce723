#include "net/description.h"

#include <vector>

#include "net/protocol.h"

namespace br {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t begin = 0;
  while (true) {
    size_t end = text.find(separator, begin);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(begin));
      return parts;
    }
    parts.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
}

bool data_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '-' || c == '.' || c == '(' || c == ')' || c == '@' || c == '/';
}

// Names another client will open as data files: nothing that climbs out of the data.
bool plain_data_name(std::string_view name, bool may_be_empty) {
  if (name.empty()) return may_be_empty;
  if (name.size() > kMaxFieldChars || name.front() == '/') return false;
  if (name.find("..") != std::string_view::npos) return false;
  for (char c : name) {
    if (!data_name_char(c)) return false;
  }
  return true;
}

}  // namespace

std::string description_text(const RiderIdentity& r) {
  std::string full = r.bike_model + "|" + r.rider_texture + "|" + r.bike_texture + "|" +
                     r.wheel_texture + "|" + r.head_texture + "\n" + r.number + "\n" + r.name;
  if (full.size() <= kMaxDescriptionBytes) return full;
  return r.bike_model + "\n" + r.number + "\n" + r.name;
}

std::string printable_text(std::string_view text, size_t limit) {
  std::string out(text.substr(0, std::min(text.size(), limit)));
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return out;
}

bool upload_name_allowed(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letter && c != '_' && c != '.') return false;
  }
  return true;
}

std::optional<RiderIdentity> parse_description(std::string_view text) {
  std::vector<std::string_view> lines = split(text, '\n');
  if (lines.size() != 3) return std::nullopt;
  std::vector<std::string_view> gear = split(lines[0], '|');
  if (gear.size() != 1 && gear.size() != 5) return std::nullopt;
  RiderIdentity r;
  if (!plain_data_name(gear[0], false)) return std::nullopt;
  r.bike_model = gear[0];
  if (gear.size() == 5) {
    for (size_t i = 1; i < 5; ++i) {
      if (!plain_data_name(gear[i], true)) return std::nullopt;
    }
    r.rider_texture = gear[1];
    r.bike_texture = gear[2];
    r.wheel_texture = gear[3];
    r.head_texture = gear[4];
  }
  if (lines[2].size() > kMaxNameChars) return std::nullopt;
  r.number = printable_text(lines[1], kMaxNumberChars);
  r.name = printable_text(lines[2], kMaxNameChars);
  return r;
}

}  // namespace br
