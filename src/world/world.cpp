#include "world/world.h"

namespace br {

World g_world;

void world_reset() {
  g_world = World{};
}

double random_uniform() {
  return (g_world.rng() & 0x7fffffffu) * (1.0 / 2147483648.0);
}

void random_seed(uint32_t seed) {
  g_world.rng.seed(seed);
}

}  // namespace br
