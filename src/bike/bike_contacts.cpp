#include "bike/bike_contacts.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "bike/crash.h"
#include "bike/physics_world.h"
#include "bike/sphere_contact.h"

namespace br {
namespace {

using V3 = std::array<double, 3>;

constexpr unsigned kWheelsAndForks =
    (1u << kBodyFrontWheel) | (1u << kBodyRearWheel) | (1u << kBodyForkLower);

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

enum class Touch {
  kReportOnly,   // a ghost: nothing pushes
  kJoined,       // two bodies of one bike: a joint between them
  kSeparately,   // bodies of two bikes: each pushed alone, so the bikes stay apart for the solver
};

// The spheres of one body of `a` against one body of `b`.
int touch(World& w, dBodyID body_a, const CollisionShape& shape_a, dBodyID body_b,
          const CollisionShape& shape_b, Touch how) {
  V3 pa = to_v3(dBodyGetPosition(body_a));
  V3 pb = to_v3(dBodyGetPosition(body_b));
  V3 apart = {pa[0] - pb[0], pa[1] - pb[1], pa[2] - pb[2]};
  double reach = shape_a.bounding_radius + shape_b.bounding_radius;
  if (square(apart) > reach * reach) return 0;

  // b's sphere centres once, not once for every sphere of a: kept from call to call so that
  // no step allocates; the simulation is single-threaded.
  static std::vector<V3> centres_b;
  centres_b.clear();
  int made = 0;
  for (const ShapeSphere& sa : shape_a.spheres) {
    V3 ca = sphere_centre(body_a, sa);
    // A sphere of a clear of b's whole shape (a hair of margin for rounding) meets none of it.
    V3 to_b = {ca[0] - pb[0], ca[1] - pb[1], ca[2] - pb[2]};
    double near = sa.radius + shape_b.bounding_radius + 0.01;
    if (square(to_b) > near * near) continue;
    if (centres_b.empty()) {
      for (const ShapeSphere& sb : shape_b.spheres) centres_b.push_back(sphere_centre(body_b, sb));
    }
    for (size_t k = 0; k < shape_b.spheres.size(); ++k) {
      const ShapeSphere& sb = shape_b.spheres[k];
      const V3& cb = centres_b[k];
      bool touched = false;
      switch (how) {
        case Touch::kReportOnly: touched = spheres_overlap(sa, ca, sb, cb); break;
        case Touch::kJoined: touched = touch_spheres(w, body_a, sa, ca, body_b, sb, cb); break;
        case Touch::kSeparately:
          touched = push_spheres_apart(w, body_a, sa, ca, body_b, sb, cb);
          break;
      }
      made += touched ? 1 : 0;
    }
  }
  return made;
}

bool hit_hard(dBodyID rider, dBodyID other) {
  V3 at = to_v3(dBodyGetPosition(rider));
  V3 v = to_v3(dBodyGetLinearVel(rider));
  dVector3 ov;
  dBodyGetPointVel(other, at[0], at[1], at[2], ov);
  return square({v[0] - ov[0], v[1] - ov[1], v[2] - ov[2]}) > kHardHitSpeed2;
}

}  // namespace

BikeBound bike_bound(const Bike& bike) {
  const dReal* frame = dBodyGetPosition(bike.bodies[kBodyFrame]);
  BikeBound out{{frame[0], frame[1], frame[2]}, 0};
  for (int i = 0; i < kBodyCount; ++i) {
    const CollisionShape* shape = bike.parts.shapes[kBodyShapeFiles[i]];
    if (!shape) continue;
    V3 p = to_v3(dBodyGetPosition(bike.bodies[i]));
    V3 d = {p[0] - out.centre[0], p[1] - out.centre[1], p[2] - out.centre[2]};
    out.radius = std::max(out.radius, std::sqrt(square(d)) + shape->bounding_radius);
  }
  return out;
}

bool bounds_apart(const BikeBound& a, const BikeBound& b) {
  V3 d = {a.centre[0] - b.centre[0], a.centre[1] - b.centre[1], a.centre[2] - b.centre[2]};
  double reach = a.radius + b.radius;
  return !(square(d) <= reach * reach);  // NaN positions count as apart
}

BikeHits bike_contacts(World& w, Bike& a, Bike& b, bool solid) {
  BikeHits hits;
  for (int i = 0; i < kBodyCount; ++i) {
    const CollisionShape* shape_a = a.parts.shapes[kBodyShapeFiles[i]];
    if (!shape_a) continue;
    for (int j = 0; j < kBodyCount; ++j) {
      const CollisionShape* shape_b = b.parts.shapes[kBodyShapeFiles[j]];
      if (!shape_b) continue;
      int made = touch(w, a.bodies[i], *shape_a, b.bodies[j], *shape_b,
                       solid ? Touch::kSeparately : Touch::kReportOnly);
      if (made == 0) continue;
      hits.contacts += made;
      hits.parts_a |= 1u << i;
      hits.parts_b |= 1u << j;
      if (!solid) continue;  // nothing strikes a ghost
      if (i == kBodyRider && hit_hard(a.bodies[i], b.bodies[j])) hits.rider_a_hard = true;
      if (j == kBodyRider && hit_hard(b.bodies[j], a.bodies[i])) hits.rider_b_hard = true;
    }
  }
  return hits;
}

int rider_against_own_bike(World& w, Bike& bike) {
  const CollisionShape* rider = bike.parts.shapes[kBodyShapeFiles[kBodyRider]];
  if (!rider) return 0;
  int made = 0;
  for (int part : {kBodyFrame, kBodyForkUpper}) {
    const CollisionShape* shape = bike.parts.shapes[kBodyShapeFiles[part]];
    if (shape) {
      made += touch(w, bike.bodies[kBodyRider], *rider, bike.bodies[part], *shape, Touch::kJoined);
    }
  }
  return made;
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
  note_touch(w, a);
  note_touch(w, b);
  // A rider's body flung into the other bike throws him, unless he is protected.
  if (hits.rider_a_hard && a.state.crash_timer == 0 && a.state.collision_cooldown >= 0)
    crash_rider(w, a);
  if (hits.rider_b_hard && b.state.crash_timer == 0 && b.state.collision_cooldown >= 0)
    crash_rider(w, b);
}

void note_touch(const World& w, Bike& bike) {
  if (bike.state.first_hit_tick == kLongAgo) bike.state.first_hit_tick = w.frame;
  bike.state.last_hit_tick = w.frame;
}

bool in_contact(const World& w, const Bike& bike) {
  return bike.state.last_hit_tick >= w.frame - 1;
}

}  // namespace br
