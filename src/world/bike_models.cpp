#include "world/bike_models.h"

namespace br {

std::string bike_model_alias(const std::string& name) {
  if (name == "crf250") return "crf250(2008)";
  if (name == "kx250f") return "kx250f(2008)";
  if (name == "rmz250") return "rmz250(2008)";
  if (name == "yz250f") return "yz250f(2008)";
  return name;
}

const char* bike_texture_prefix(const std::string& name) {
  for (const BikeModelName& m : kBikeModels) {
    if (name == m.name) return m.texture_prefix;
  }
  return "";
}

}  // namespace br
