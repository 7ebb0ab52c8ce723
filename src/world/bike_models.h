// The bike models the setup offers, in the order the menus list them, with the prefix of
// each model's bike texture names. The list is drawn from the bike catalogue
// (bike/catalogue.h), which holds every model once.
#pragma once

#include <array>
#include <string>

namespace br {

struct BikeModelName {
  const char* name;
  const char* texture_prefix;
};

constexpr int kBikeModelCount = 45;
// Defined with the catalogue.
extern const std::array<BikeModelName, kBikeModelCount> kBikeModels;

// Old model names that stored files and peers still use, mapped to the model they meant.
std::string bike_model_alias(const std::string& name);

// The texture prefix of a model, or "" for a name not in the list.
const char* bike_texture_prefix(const std::string& name);

}  // namespace br
