#include "bike/bike_contacts.h"

#include <algorithm>
#include <cmath>

#include "bike/crash.h"
#include "bike/physics_world.h"

namespace br {
namespace {

using V3 = std::array<double, 3>;

// A firm push between two machines; each sphere's own factors scale it.
constexpr double kBikeSpring = 5000;  // lb/ft
constexpr double kBikeDamper = 250;   // lb per ft/s
constexpr double kHardHit = 20 * 20;  // (ft/s)^2

constexpr unsigned kWheelsAndForks =
    (1u << kBodyFrontWheel) | (1u << kBodyRearWheel) | (1u << kBodyForkLower);

constexpr PartFile kShapeOf[kBodyCount] = {kFrameShape,     kFrontWheelShape, kRearWheelShape,
                                           kForkUpperShape, kForkLowerShape,  kSwingarmShape,
                                           kRiderShape};

V3 to_v3(const dReal* v) {
  return {v[0], v[1], v[2]};
}
double square(const V3& v) {
  return v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
}

double speed_squared(const Bike& bike) {
  return square(to_v3(dBodyGetLinearVel(bike.bodies[kBodyFrame])));
}

V3 sphere_centre(dBodyID body, const ShapeSphere& s) {
  dVector3 out;
  dBodyGetRelPointPos(body, s.x, s.y, s.z, out);
  return to_v3(out);
}

// The spheres of one body of `a` against one body of `b`.
int touch(World& w, dBodyID body_a, const CollisionShape& shape_a, dBodyID body_b,
          const CollisionShape& shape_b) {
  V3 pa = to_v3(dBodyGetPosition(body_a));
  V3 pb = to_v3(dBodyGetPosition(body_b));
  V3 apart = {pa[0] - pb[0], pa[1] - pb[1], pa[2] - pb[2]};
  double reach = shape_a.bounding_radius + shape_b.bounding_radius;
  if (square(apart) > reach * reach) return 0;

  int made = 0;
  for (const ShapeSphere& sa : shape_a.spheres) {
    V3 ca = sphere_centre(body_a, sa);
    for (const ShapeSphere& sb : shape_b.spheres) {
      V3 cb = sphere_centre(body_b, sb);
      V3 d = {ca[0] - cb[0], ca[1] - cb[1], ca[2] - cb[2]};
      double sum = sa.radius + sb.radius;
      double dist2 = square(d);
      if (dist2 >= sum * sum) continue;
      double dist = std::sqrt(dist2);
      V3 n = dist > 1e-9 ? V3{d[0] / dist, d[1] / dist, d[2] / dist} : V3{0, 1, 0};
      double depth = sum - dist;
      SoftContact soft = soft_contact(kBikeSpring * sa.stiffness * sb.stiffness,
                                      kBikeDamper * sa.damping * sb.damping, w.step);
      dContact contact{};
      contact.surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
      contact.surface.mu = std::min(sa.friction, sb.friction);
      contact.surface.soft_erp = soft.erp;
      contact.surface.soft_cfm = soft.cfm;
      for (int i = 0; i < 3; ++i) {
        // Halfway through the overlap; the normal pushes a's body away from b's.
        contact.geom.pos[i] = ca[i] - n[i] * (sa.radius - depth / 2);
        contact.geom.normal[i] = n[i];
      }
      contact.geom.depth = depth;
      dJointID j = dJointCreateContact(w.physics.world, w.physics.contacts, &contact);
      dJointAttach(j, body_a, body_b);
      ++made;
    }
  }
  return made;
}

bool hit_hard(dBodyID rider, dBodyID other) {
  V3 at = to_v3(dBodyGetPosition(rider));
  V3 v = to_v3(dBodyGetLinearVel(rider));
  dVector3 ov;
  dBodyGetPointVel(other, at[0], at[1], at[2], ov);
  return square({v[0] - ov[0], v[1] - ov[1], v[2] - ov[2]}) > kHardHit;
}

}  // namespace

BikeHits bike_contacts(World& w, Bike& a, Bike& b) {
  BikeHits hits;
  for (int i = 0; i < kBodyCount; ++i) {
    const CollisionShape* shape_a = a.parts.shapes[kShapeOf[i]];
    if (!shape_a) continue;
    for (int j = 0; j < kBodyCount; ++j) {
      const CollisionShape* shape_b = b.parts.shapes[kShapeOf[j]];
      if (!shape_b) continue;
      int made = touch(w, a.bodies[i], *shape_a, b.bodies[j], *shape_b);
      if (made == 0) continue;
      hits.contacts += made;
      hits.parts_a |= 1u << i;
      hits.parts_b |= 1u << j;
      if (i == kBodyRider && hit_hard(a.bodies[i], b.bodies[j])) hits.rider_a_hard = true;
      if (j == kBodyRider && hit_hard(b.bodies[j], a.bodies[i])) hits.rider_b_hard = true;
    }
  }
  return hits;
}

void apply_contact_rules(World& w, Bike& a, Bike& b, const BikeHits& hits) {
  if (hits.contacts == 0) return;
  constexpr double kMoving = 10 * 10, kRolling = 5 * 5;  // (ft/s)^2
  bool a_hit_with_wheel = (hits.parts_a & kWheelsAndForks) != 0;
  bool b_hit_with_wheel = (hits.parts_b & kWheelsAndForks) != 0;
  if (a_hit_with_wheel && b_hit_with_wheel) {
    for (Bike* bike : {&a, &b}) {
      if (speed_squared(*bike) >= kMoving) {
        bike->state.collision_cooldown = std::max(bike->state.collision_cooldown, 192);
      }
    }
  } else {
    auto rammed = [](Bike& hitter, Bike& hit) {
      if (hit.state.crash_timer != 0 || speed_squared(hit) < kRolling) return;
      if (speed_squared(hitter) >= kMoving) {
        hitter.state.collision_cooldown = std::max(hitter.state.collision_cooldown, 256);
      }
      if (hit.state.collision_cooldown < 0) {
        hit.state.collision_cooldown = std::min(hit.state.collision_cooldown, -640);
      }
    };
    if (a_hit_with_wheel) rammed(a, b);
    if (b_hit_with_wheel) rammed(b, a);
  }
  for (Bike* bike : {&a, &b}) {
    if (bike->state.first_hit_tick == kLongAgo) bike->state.first_hit_tick = w.frame;
    bike->state.last_hit_tick = w.frame;
  }
  // A rider's body flung into the other bike throws him, unless he is protected.
  if (hits.rider_a_hard && a.state.crash_timer == 0 && a.state.collision_cooldown >= 0)
    crash_rider(w, a);
  if (hits.rider_b_hard && b.state.crash_timer == 0 && b.state.collision_cooldown >= 0)
    crash_rider(w, b);
}

bool in_contact(const World& w, const Bike& bike) {
  return bike.state.last_hit_tick >= w.frame - 1;
}

}  // namespace br
