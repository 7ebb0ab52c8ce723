// Plays a tuning for a moment, as a bike's engine would over a few frames: what the files say
// about cycles, remaps, pipes and firing lists is only used once the engine runs.
#pragma once

#include <cmath>
#include <cstdlib>
#include <vector>

#include "audio/engine_sound.h"

namespace br_fuzz {

inline void play_tuning(const br::EngineTuning& tuning) {
  br::EngineSound s;
  s.tuning = tuning;
  if (!s.tuning.table) s.tuning.table = br::builtin_sound_table(false);
  std::vector<float> out(500);
  for (float rpm : {0.0f, 900.0f, 6000.0f, 14000.0f, 1e9f}) {
    for (float torque : {-100.0f, 0.0f, 40.0f}) {
      br::synthesise(s, rpm, br::engine_load(s.tuning, torque), out);
      for (float y : out) {
        if (!std::isfinite(y)) std::abort();
      }
    }
  }
}

}  // namespace br_fuzz
