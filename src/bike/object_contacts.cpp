#include "bike/object_contacts.h"

#include <array>
#include <vector>

#include "bike/crash.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "bike/sphere_contact.h"
#include "track/scenery.h"

namespace br {
namespace {

using V3 = std::array<double, 3>;

V3 statue_point(const Statue& st, const ShapeSphere& s) {
  const auto& r = st.orientation;
  return {r[0] * s.x + r[1] * s.y + r[2] * s.z + st.x, r[3] * s.x + r[4] * s.y + r[5] * s.z + st.y,
          r[6] * s.x + r[7] * s.y + r[8] * s.z + st.z};
}

int touch_statue(World& w, dBodyID body, const CollisionShape& shape, const Statue& st,
                 const StatueShape& statue_shape) {
  int made = 0;
  for (const ShapeSphere& sa : shape.spheres) {
    dVector3 c;
    dBodyGetRelPointPos(body, sa.x, sa.y, sa.z, c);
    V3 ca = {c[0], c[1], c[2]};
    for (const ShapeSphere& sb : statue_shape.spheres) {
      // A statue stands still: its spheres are fixed to the world.
      made += touch_spheres(w, body, sa, ca, nullptr, sb, statue_point(st, sb)) ? 1 : 0;
    }
  }
  return made;
}

}  // namespace

int object_contacts(World& w, Bike& bike) {
  const Scenery& scenery = w.track.scenery;
  if (scenery.statues.empty()) return 0;
  static std::vector<int> nearby;  // reused: this runs for every bike every step
  int made = 0;
  for (int part = 0; part < kBodyCount; ++part) {
    const CollisionShape* shape = bike.parts.shapes[kBodyShapeFiles[part]];
    if (!shape) continue;
    dBodyID body = bike.bodies[part];
    const dReal* at = dBodyGetPosition(body);
    statues_near(static_cast<float>(at[0]), static_cast<float>(at[1]), static_cast<float>(at[2]),
                 shape->bounding_radius, nearby);
    for (int index : nearby) {
      const Statue& st = scenery.statues[static_cast<size_t>(index)];
      if (st.shape < 0 || st.shape >= static_cast<int>(scenery.shapes.size())) continue;
      int touched =
          touch_statue(w, body, *shape, st, scenery.shapes[static_cast<size_t>(st.shape)]);
      made += touched;
      if (touched == 0 || part != kBodyRider) continue;
      const dReal* v = dBodyGetLinearVel(body);
      if (v[0] * v[0] + v[1] * v[1] + v[2] * v[2] > kHardHitSpeed2 && bike.state.crash_timer == 0 &&
          bike.state.collision_cooldown >= 0) {
        crash_rider(w, bike);
      }
    }
  }
  return made;
}

}  // namespace br
