// Robot riding styles: which strategy a robot races with when close to others and when well
// in the lead, and how quickly it reacts to the gate.
#pragma once

#include <string>

namespace br {

struct Personality {
  const char* name;
  int close_strategy;   // racing in the pack, or leading by little
  int leading_strategy;  // leading the race by more than the threshold
  double lead_seconds;   // the threshold
  double reaction_min, reaction_max;  // seconds from the gate dropping to the clutch
};

constexpr int kPersonalityCount = 5;
constexpr int kTesterPersonality = 4;

// 0 is a person, who has no auto pilot.
const Personality& personality(int index);

// Looked up among the robots' styles (1 to 4); an unknown name logs and rides as rider_alpha.
int personality_index(const std::string& name);
const char* personality_name(int index);

}  // namespace br
