#include "track/roost_pool.h"

#include "track/scenery.h"
#include "world/world.h"

namespace br {

void create_roost_pool() {
  RoostPool& pool = g_world.track.roost;
  pool.particles.assign(kRoostParticles, RoostParticle{});
  for (RoostParticle& p : pool.particles) {
    p.billboard = create_billboard(0, 0, 0, 1, 1, "");
    // Flying dirt is not part of the track's own billboards file.
    g_world.track.scenery.billboards[static_cast<size_t>(p.billboard)].saved = false;
  }
  reset_roost_pool();
}

void reset_roost_pool() {
  RoostPool& pool = g_world.track.roost;
  std::vector<Billboard>& boards = g_world.track.scenery.billboards;
  int n = static_cast<int>(pool.particles.size());
  for (int i = 0; i < n; ++i) {
    RoostParticle& p = pool.particles[static_cast<size_t>(i)];
    p.next = i + 1 < n ? i + 1 : -1;
    p.record = -1;
    // The billboards go with the scenery when a track is freed; the pool may outlive them.
    if (p.billboard >= 0 && p.billboard < static_cast<int>(boards.size())) {
      boards[static_cast<size_t>(p.billboard)].texture = 0;
    }
  }
  pool.free_list = n > 0 ? 0 : -1;
  pool.active_list = -1;
}

}  // namespace br
