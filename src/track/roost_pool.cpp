#include "track/roost_pool.h"

#include "track/scenery.h"
#include "world/world.h"

namespace br {

void create_roost_pool() {
  RoostPool& pool = g_world.track.roost;
  pool.particles.assign(kRoostParticles, RoostParticle{});
  for (RoostParticle& p : pool.particles) {
    p.billboard = create_billboard(0, 0, 0, 1, 1, "");
    Billboard& board = g_world.track.scenery.billboards[static_cast<size_t>(p.billboard)];
    // Flying dirt is not part of the track's own billboards file, and is drawn facing the
    // camera rather than standing upright.
    board.saved = false;
    board.particle = true;
  }
  reset_roost_pool();
}

void reset_roost_pool() {
  reset_roost_pool(g_world.track.roost, g_world.track.scenery.billboards);
}

void reset_roost_pool(RoostPool& pool, std::vector<Billboard>& boards) {
  int n = static_cast<int>(pool.particles.size());
  for (int i = 0; i < n; ++i) {
    RoostParticle& p = pool.particles[static_cast<size_t>(i)];
    p.next = i + 1 < n ? i + 1 : -1;
    p.tile = p.record = -1;
    // The billboards go with the scenery when a track is freed; the pool may outlive them.
    if (p.billboard >= 0 && p.billboard < static_cast<int>(boards.size())) {
      boards[static_cast<size_t>(p.billboard)].texture = 0;
    }
  }
  pool.free_list = n > 0 ? 0 : -1;
  pool.active_list = -1;
  pool.active = 0;
  pool.rng.seed(kRoostSeed);
}

int take_particle(RoostPool& pool) {
  int i = pool.free_list;
  if (i < 0) return -1;
  RoostParticle& p = pool.particles[static_cast<size_t>(i)];
  pool.free_list = p.next;
  p.next = pool.active_list;
  pool.active_list = i;
  ++pool.active;
  return i;
}

void release_particle(RoostPool& pool, int index, int previous) {
  RoostParticle& p = pool.particles[static_cast<size_t>(index)];
  if (previous < 0) {
    pool.active_list = p.next;
  } else {
    pool.particles[static_cast<size_t>(previous)].next = p.next;
  }
  p.next = pool.free_list;
  p.tile = p.record = -1;
  pool.free_list = index;
  --pool.active;
}

double roost_uniform(RoostPool& pool) {
  return (pool.rng() & 0x7fffffffu) * (1.0 / 2147483648.0);
}

uint32_t roost_draw(RoostPool& pool) {
  return static_cast<uint32_t>(pool.rng());
}

}  // namespace br
