#include "bike/object_contacts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "bike/crash.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "track/scenery.h"

namespace br {
namespace {

using V3 = std::array<double, 3>;

// The same firm push as between two bikes; the spheres' own factors scale it.
constexpr double kObjectSpring = 5000;  // lb/ft
constexpr double kObjectDamper = 250;   // lb per ft/s
constexpr double kHardHit = 20 * 20;    // (ft/s)^2

constexpr PartFile kShapeOf[kBodyCount] = {kFrameShape,     kFrontWheelShape, kRearWheelShape,
                                           kForkUpperShape, kForkLowerShape,  kSwingarmShape,
                                           kRiderShape};

double square(const V3& v) {
  return v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
}

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
      V3 cb = statue_point(st, sb);
      V3 d = {ca[0] - cb[0], ca[1] - cb[1], ca[2] - cb[2]};
      double sum = sa.radius + sb.radius;
      double dist2 = square(d);
      if (dist2 >= sum * sum) continue;
      double dist = std::sqrt(dist2);
      V3 n = dist > 1e-9 ? V3{d[0] / dist, d[1] / dist, d[2] / dist} : V3{0, 1, 0};
      double depth = sum - dist;
      SoftContact soft = soft_contact(kObjectSpring * sa.stiffness * sb.stiffness,
                                      kObjectDamper * sa.damping * sb.damping, w.step);
      dContact contact{};
      contact.surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
      contact.surface.mu = std::min(sa.friction, sb.friction);
      contact.surface.soft_erp = soft.erp;
      contact.surface.soft_cfm = soft.cfm;
      for (int i = 0; i < 3; ++i) {
        contact.geom.pos[i] = ca[i] - n[i] * (sa.radius - depth / 2);
        contact.geom.normal[i] = n[i];  // pushes the bike away from the statue
      }
      contact.geom.depth = depth;
      dJointID j = dJointCreateContact(w.physics.world, w.physics.contacts, &contact);
      dJointAttach(j, body, nullptr);
      ++made;
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
    const CollisionShape* shape = bike.parts.shapes[kShapeOf[part]];
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
      if (v[0] * v[0] + v[1] * v[1] + v[2] * v[2] > kHardHit && bike.state.crash_timer == 0 &&
          bike.state.collision_cooldown >= 0) {
        crash_rider(w, bike);
      }
    }
  }
  return made;
}

}  // namespace br
