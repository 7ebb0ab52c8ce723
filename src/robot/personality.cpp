#include "robot/personality.h"

#include "platform/log.h"

namespace br {
namespace {

constexpr Personality kPersonalities[kPersonalityCount] = {
    {"empty", 0, 0, 0.0, 0.0, 0.0},
    {"rider_alpha", 0, 0, 1.0, 0.2, 0.4},
    {"rider_bravo", 2, 1, 10.0, 0.2, 0.4},
    {"rider_charlie", 1, 0, 10.0, 0.0, 0.1},
    {"tester", 3, 3, 1.0, 0.2, 0.4},
};

}  // namespace

const Personality& personality(int index) {
  return kPersonalities[index >= 0 && index < kPersonalityCount ? index : 0];
}

int personality_index(const std::string& name) {
  for (int i = 1; i < kPersonalityCount; ++i) {
    if (name == kPersonalities[i].name) return i;
  }
  kota::log_printf("auto pilot personality '%s' not found\n", name.c_str());
  return 1;
}

const char* personality_name(int index) {
  return personality(index).name;
}

}  // namespace br
