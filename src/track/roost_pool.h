// The dirt thrown up by the wheels: a fixed pool of particles, each owning one of the
// textureless billboards the track load reserves for them, so that flying dirt never
// allocates.
#pragma once

#include <vector>

namespace br {

constexpr int kRoostParticles = 2000;

struct RoostParticle {
  float x = 0, y = 0, z = 0;
  float vx = 0, vy = 0, vz = 0;  // ft/s
  int billboard = -1;
  int record = -1;  // the tile's roost record it came from
  int next = -1;    // link in the free or the active list
};

struct RoostPool {
  std::vector<RoostParticle> particles;
  int free_list = -1;
  int active_list = -1;
};

// The track loader's step: 2000 billboards at the terrain's corner, 1 by 1 ft and without a
// texture, one per particle, every particle free.
void create_roost_pool();

// Every particle back on the free list and its billboard hidden.
void reset_roost_pool();

}  // namespace br
