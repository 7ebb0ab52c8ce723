#include "bike/terrain_contacts.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "bike/crash.h"
#include "bike/physics_world.h"
#include "bike/tyre_model.h"
#include "track/terrain_queries.h"

namespace br {
namespace {

constexpr double kBodySpring = 2500;          // lb/ft, body shapes on the ground
constexpr double kBodyDamper = 250;           // lb per ft/s
constexpr double kHeadFirst = 5 * 5;          // (ft/s)^2: an upside-down landing faster throws him
constexpr double kMinDirection = 1.0 / 1024;  // squared length of a usable friction direction

constexpr PartFile kShapeOf[kBodyCount] = {kFrameShape,     kFrontWheelShape, kRearWheelShape,
                                           kForkUpperShape, kForkLowerShape,  kSwingarmShape,
                                           kRiderShape};
constexpr BikeBody kShapedBodies[] = {kBodyFrame, kBodyForkUpper, kBodyForkLower, kBodySwingarm,
                                      kBodyRider};

Vec3d sub(const Vec3d& a, const Vec3d& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec3d add_scaled(const Vec3d& a, const Vec3d& b, double s) {
  return {a[0] + b[0] * s, a[1] + b[1] * s, a[2] + b[2] * s};
}
double dot(const Vec3d& a, const Vec3d& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Vec3d cross(const Vec3d& a, const Vec3d& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Vec3d to_v3(const dReal* v) {
  return {v[0], v[1], v[2]};
}
Vec3d to_v3(const GroundPoint& p) {
  return {p.x, p.y, p.z};
}

// The point of triangle (a, b, c) nearest p.
Vec3d closest_on_triangle(const Vec3d& p, const Vec3d& a, const Vec3d& b, const Vec3d& c) {
  Vec3d ab = sub(b, a), ac = sub(c, a), ap = sub(p, a);
  double d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return a;
  Vec3d bp = sub(p, b);
  double d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return b;
  double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return add_scaled(a, ab, d1 / (d1 - d3));
  Vec3d cp = sub(p, c);
  double d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return c;
  double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return add_scaled(a, ac, d2 / (d2 - d6));
  double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
    return add_scaled(b, sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6)));
  }
  double denom = 1.0 / (va + vb + vc);
  return add_scaled(add_scaled(a, ab, vb * denom), ac, vc * denom);
}

// The torus against one triangle: the point of the tyre's centre ring nearest the ground
// plane stands in for the tyre, a sphere of the tube's radius there.
void torus_triangle(const GroundTriangle& tri, const Vec3d& centre, const Vec3d& axle, double ring,
                    double tube, TorusContact& best) {
  Vec3d a = to_v3(tri.corner[0]), b = to_v3(tri.corner[1]), c = to_v3(tri.corner[2]);
  Vec3d n = cross(sub(b, a), sub(c, a));
  double length = std::sqrt(dot(n, n));
  if (!(length > 0)) return;
  if (n[1] < 0) length = -length;  // face up
  n = {n[0] / length, n[1] / length, n[2] / length};

  // Down the ground normal within the wheel's plane; a wheel lying flat has no such way.
  Vec3d in_plane = add_scaled(n, axle, -dot(n, axle));
  double in_length = std::sqrt(dot(in_plane, in_plane));
  Vec3d ring_point = centre;
  if (in_length > 1e-9) ring_point = add_scaled(centre, in_plane, -ring / in_length);

  double height = dot(sub(ring_point, a), n);  // above the triangle's plane
  if (height >= tube) return;
  Vec3d q = closest_on_triangle(ring_point, a, b, c);
  Vec3d gap = sub(ring_point, q);
  double distance = std::sqrt(dot(gap, gap));
  double depth;
  if (height <= 0) {
    depth = tube - height;  // the ring itself is under the surface
  } else {
    if (distance >= tube) return;
    depth = tube - distance;
  }
  if (depth <= best.depth) return;
  best.depth = depth;
  best.normal = n;
  best.point = q;
}

double interpolate_friction(const TileType& tile, double speed) {
  return friction_at(tile, static_cast<float>(speed));
}

void make_ground_contact(World& w, dBodyID body, const Vec3d& point, const Vec3d& normal,
                         double depth, double mu, double k, double c, const Vec3d* direction,
                         dJointFeedback* feedback) {
  SoftContact soft = soft_contact(k, c, w.step);
  dContact contact{};
  contact.surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
  contact.surface.mu = mu;
  contact.surface.soft_erp = soft.erp;
  contact.surface.soft_cfm = soft.cfm;
  for (int i = 0; i < 3; ++i) {
    contact.geom.pos[i] = point[i];
    contact.geom.normal[i] = normal[i];
  }
  contact.geom.depth = depth;
  if (direction) {
    contact.surface.mode |= dContactFDir1;
    for (int i = 0; i < 3; ++i) contact.fdir1[i] = (*direction)[i];
  }
  dJointID j = dJointCreateContact(w.physics.world, w.physics.contacts, &contact);
  dJointAttach(j, body, nullptr);
  if (feedback) dJointSetFeedback(j, feedback);
}

}  // namespace

TorusContact torus_contact(const Terrain& t, const Vec3d& centre, const Vec3d& axle,
                           double ring_radius, double tube_radius) {
  TorusContact best;
  if (!t.loaded() || t.side < 2) return best;
  // A body already blown up by the solver must not feed its NaNs back through a contact.
  for (int i = 0; i < 3; ++i) {
    if (!std::isfinite(centre[i]) || !std::isfinite(axle[i])) return best;
  }
  double reach = ring_radius + tube_radius;
  int last = t.side - 2;  // cells per side minus one
  auto cell = [&](double v) {
    double c = std::floor(v / t.spacing);
    if (!std::isfinite(c)) return 0;
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(last)));
  };
  int c0 = cell(centre[0] - reach), c1 = cell(centre[0] + reach);
  int r0 = cell(centre[2] - reach), r1 = cell(centre[2] + reach);
  for (int row = r0; row <= r1; ++row) {
    for (int column = c0; column <= c1; ++column) {
      CellTriangles cell_tris = cell_triangles(t, column, row);
      for (const GroundTriangle& tri : cell_tris.triangle) {
        torus_triangle(tri, centre, axle, ring_radius, tube_radius, best);
      }
    }
  }
  return best;
}

double grip_factor(bool arcade, double lean) {
  if (!arcade) return 1.0;
  return 1.0 - 0.375 * std::min(1.0, 4 * std::fabs(lean) / std::numbers::pi);
}

double frame_lean(const Bike& bike) {
  dVector3 right, up;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 1, 0, 0, right);
  dBodyVectorToWorld(bike.bodies[kBodyFrame], 0, 1, 0, up);
  return std::atan2(-right[1], up[1]);
}

Vec3d rolling_resistance(const TileType& tile, const Vec3d& velocity, const Vec3d& normal,
                         double fraction) {
  Vec3d along = add_scaled(velocity, normal, -dot(velocity, normal));
  double speed = std::sqrt(dot(along, along));
  RollResist r = roll_resist_at(tile, static_cast<float>(speed));
  double coefficient = r.low + (r.high - r.low) * std::clamp(fraction, 0.0, 1.0);
  // Below 1 ft/s the push fades with speed, so a wheel at rest is not shoved about.
  if (speed > 1) along = {along[0] / speed, along[1] / speed, along[2] / speed};
  return {-coefficient * along[0], -coefficient * along[1], -coefficient * along[2]};
}

void tyre_contact(World& w, Bike& bike, int wheel) {
  WheelContact& wc = bike.wheels[wheel];
  const Terrain& t = w.track.terrain;
  wc.depth = 0;
  if (!wc.body || !t.loaded() || t.tiles.empty()) return;
  Vec3d centre = to_v3(dBodyGetPosition(wc.body));
  dVector3 axle;
  dBodyVectorToWorld(wc.body, wc.axle_local[0], wc.axle_local[1], wc.axle_local[2], axle);
  Vec3d axle_world = to_v3(axle);
  TorusContact hit = torus_contact(t, centre, axle_world, wc.ring_radius, wc.tube_radius);
  if (hit.depth <= 0) return;

  Vec3d n = upward_normal(hit.normal);
  dVector3 v;
  dBodyGetPointVel(wc.body, hit.point[0], hit.point[1], hit.point[2], v);
  wc.point = hit.point;
  wc.normal = n;
  wc.depth = hit.depth;
  wc.velocity = to_v3(v);

  int tile_index = tile_at(t, static_cast<float>(hit.point[0]), static_cast<float>(hit.point[2]));
  const TileType& tile =
      t.tiles[static_cast<size_t>(std::clamp<int>(tile_index, 0, int(t.tiles.size()) - 1))];
  double slip = std::sqrt(dot(wc.velocity, wc.velocity));
  double mu =
      interpolate_friction(tile, slip) * grip_factor(bike.setup.arcade_physics, frame_lean(bike));

  TyreSpring spring = tyre_spring(hit.depth, wc.tube_radius);

  Vec3d d = cross(n, wc.velocity);
  if (dot(d, d) < kMinDirection) d = cross(n, axle_world);
  double d_length = std::sqrt(dot(d, d));
  bool has_direction = d_length > 0;
  if (has_direction) d = {d[0] / d_length, d[1] / d_length, d[2] / d_length};

  make_ground_contact(w, wc.body, hit.point, n, hit.depth, mu, spring.k, spring.c,
                      has_direction ? &d : nullptr, &wc.feedback);

  double fraction = wc.tube_radius > 0 ? std::min(1.0, hit.depth / wc.tube_radius) : 1.0;
  Vec3d drag = rolling_resistance(tile, to_v3(dBodyGetLinearVel(wc.body)), n, fraction);
  dBodyAddForce(wc.body, drag[0], drag[1], drag[2]);
}

bool body_shape_contacts(World& w, Bike& bike) {
  const Terrain& t = w.track.terrain;
  if (!t.loaded()) return false;
  bool rider_touched = false;
  for (BikeBody part : kShapedBodies) {
    const CollisionShape* shape = bike.parts.shapes[kShapeOf[part]];
    if (!shape) continue;
    dBodyID body = bike.bodies[part];
    for (const ShapeSphere& s : shape->spheres) {
      dVector3 c;
      dBodyGetRelPointPos(body, s.x, s.y, s.z, c);
      SphereContact hit = sphere_contact(
          t, {static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2])},
          s.radius);
      if (!hit.found || !(hit.depth > 0)) continue;
      make_ground_contact(w, body, to_v3(hit.point), upward_normal(to_v3(hit.normal)), hit.depth,
                          s.friction, kBodySpring, kBodyDamper, nullptr, nullptr);
      if (part == kBodyRider) rider_touched = true;
    }
  }
  return rider_touched;
}

bool bike_touches_ground(const Terrain& t, const Bike& bike) {
  if (!t.loaded()) return false;
  for (const WheelContact& wc : bike.wheels) {
    if (!wc.body) continue;
    dVector3 axle;
    dBodyVectorToWorld(wc.body, wc.axle_local[0], wc.axle_local[1], wc.axle_local[2], axle);
    TorusContact hit = torus_contact(t, to_v3(dBodyGetPosition(wc.body)), to_v3(axle),
                                     wc.ring_radius, wc.tube_radius);
    if (hit.depth > 0) return true;
  }
  for (BikeBody part : kShapedBodies) {
    const CollisionShape* shape = bike.parts.shapes[kShapeOf[part]];
    if (!shape) continue;
    for (const ShapeSphere& s : shape->spheres) {
      dVector3 c;
      dBodyGetRelPointPos(bike.bodies[part], s.x, s.y, s.z, c);
      SphereContact hit = sphere_contact(
          t, {static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2])},
          s.radius);
      if (hit.found && hit.depth > 0) return true;
    }
  }
  return false;
}

void terrain_contacts(World& w, Bike& bike) {
  for (int wheel = 0; wheel < kWheelCount; ++wheel) tyre_contact(w, bike, wheel);
  bool rider_touched = body_shape_contacts(w, bike);
  if (!rider_touched || bike.state.crash_timer != 0 || bike.state.collision_cooldown < 0) return;
  dBodyID rider = bike.bodies[kBodyRider];
  dVector3 up;
  dBodyVectorToWorld(rider, 0, 1, 0, up);
  Vec3d v = to_v3(dBodyGetLinearVel(rider));
  if (up[1] < 0 && dot(v, v) > kHeadFirst) crash_rider(w, bike);
}

}  // namespace br
