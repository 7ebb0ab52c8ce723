#include "bikes.h"

#include "shell/bike_models.h"

namespace kit {

std::string bike_file_stem(const char* prefix) {
  std::string s = prefix;
  if (!s.empty() && s.back() == '-') s.pop_back();
  return s;
}

std::vector<std::string> bike_file_stems() {
  std::vector<std::string> stems;
  for (const br::BikeModelName& m : br::kBikeModels) {
    std::string s = bike_file_stem(m.texture_prefix);
    bool seen = false;
    for (const std::string& t : stems) seen |= t == s;
    if (!seen) stems.push_back(s);
  }
  return stems;
}

bool write_bikes(const std::string&) { return true; }
bool write_rider(const std::string&) { return true; }

}  // namespace kit
