// The dirt thrown up by the wheels: a fixed pool of particles, each owning one of the
// textureless billboards the track load reserves for them, so that flying dirt never
// allocates.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace br {

struct Billboard;

constexpr int kRoostParticles = 2000;

struct RoostParticle {
  float x = 0, y = 0, z = 0;
  float vx = 0, vy = 0, vz = 0;  // ft/s
  int billboard = -1;
  int tile = -1;  // the tile and its roost record the particle came from
  int record = -1;
  int next = -1;  // link in the free or the active list
};

// Roost is only seen, never felt: it draws its numbers from a generator of its own, so that a
// race runs step for step the same whether or not dirt flies, and at any roost density.
constexpr uint32_t kRoostSeed = 0x526f6f73;

struct RoostPool {
  std::vector<RoostParticle> particles;
  int free_list = -1;
  int active_list = -1;
  int active = 0;  // particles in flight
  std::mt19937 rng{kRoostSeed};
};

// The track loader's step: 2000 billboards at the terrain's corner, 1 by 1 ft and without a
// texture, one per particle, every particle free.
void create_roost_pool();

// Every particle back on the free list and its billboard hidden; the generator starts over.
void reset_roost_pool();
void reset_roost_pool(RoostPool& pool, std::vector<Billboard>& boards);

// Takes a free particle onto the active list; -1 when every one is in flight.
int take_particle(RoostPool& pool);
// Puts an active particle back on the free list; `previous` is the one before it on the active
// list, -1 when it is the first.
void release_particle(RoostPool& pool, int index, int previous);

// A uniform number in [0, 1) from the pool's generator, and a raw 32-bit draw.
double roost_uniform(RoostPool& pool);
uint32_t roost_draw(RoostPool& pool);

}  // namespace br
