#include "bike/sphere_contact.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "bike/physics_world.h"

namespace br {

const PartFile kBodyShapeFiles[kBodyCount] = {kFrameShape,     kFrontWheelShape, kRearWheelShape,
                                              kForkUpperShape, kForkLowerShape,  kSwingarmShape,
                                              kRiderShape};

namespace {

constexpr double kSpring = 5000;  // lb/ft
constexpr double kDamper = 250;   // lb per ft/s

using V3 = std::array<double, 3>;

double distance_squared(const V3& a, const V3& b) {
  const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
  return dx * dx + dy * dy + dz * dz;
}

}  // namespace

bool spheres_overlap(const ShapeSphere& sa, const V3& ca, const ShapeSphere& sb, const V3& cb) {
  const double sum = sa.radius + sb.radius;
  return distance_squared(ca, cb) < sum * sum;
}

namespace {

// Where two overlapping spheres touch: the normal pushes a away from b, the point lies halfway
// through the overlap.
struct Overlap {
  V3 normal;
  V3 point;
  double depth = 0;
};

std::optional<Overlap> overlap(const ShapeSphere& sa, const V3& ca, const ShapeSphere& sb,
                               const V3& cb) {
  const double sum = sa.radius + sb.radius;
  const double dist2 = distance_squared(ca, cb);
  if (dist2 >= sum * sum) return std::nullopt;
  const double dist = std::sqrt(dist2);
  const V3 d = {ca[0] - cb[0], ca[1] - cb[1], ca[2] - cb[2]};
  Overlap o;
  // Concentric spheres have no direction between them: push straight up.
  o.normal = dist > 1e-9 ? V3{d[0] / dist, d[1] / dist, d[2] / dist} : V3{0, 1, 0};
  o.depth = sum - dist;
  for (int i = 0; i < 3; ++i) o.point[i] = ca[i] - o.normal[i] * (sa.radius - o.depth / 2);
  return o;
}

dContact soft_touch(World& w, const ShapeSphere& sa, const ShapeSphere& sb, const Overlap& o) {
  const SoftContact soft = soft_contact(kSpring * sa.stiffness * sb.stiffness,
                                        kDamper * sa.damping * sb.damping, w.step);
  dContact contact{};
  contact.surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
  contact.surface.mu = std::min(sa.friction, sb.friction);
  contact.surface.soft_erp = soft.erp;
  contact.surface.soft_cfm = soft.cfm;
  for (int i = 0; i < 3; ++i) {
    contact.geom.pos[i] = o.point[i];
    contact.geom.normal[i] = o.normal[i];
  }
  contact.geom.depth = o.depth;
  return contact;
}

// `body` alone is pushed along `normal`, against `other` taken as an obstacle that keeps its
// present motion through the step: the damper and the friction work on the speed between the
// two, as a joint between them would, but the two stay in separate groups for the solver.
void push_against_moving(World& w, dContact contact, dBodyID body, dBodyID other) {
  const dReal* p = contact.geom.pos;
  const dReal* n = contact.geom.normal;
  dVector3 u;
  dBodyGetPointVel(other, p[0], p[1], p[2], u);
  const double along = n[0] * u[0] + n[1] * u[1] + n[2] * u[2];
  const V3 slide = {u[0] - along * n[0], u[1] - along * n[1], u[2] - along * n[2]};
  const double slide_speed = std::sqrt(slide[0] * slide[0] + slide[1] * slide[1] +
                                       slide[2] * slide[2]);
  contact.surface.mode |= dContactMotionN;
  contact.surface.motionN = along;
  // The first friction direction follows the obstacle's sliding, so the second sees none of it.
  if (slide_speed > 1e-9) {
    contact.surface.mode |= dContactFDir1 | dContactMotion1;
    for (int i = 0; i < 3; ++i) contact.fdir1[i] = slide[i] / slide_speed;
    contact.surface.motion1 = slide_speed;
  }
  dJointID j = dJointCreateContact(w.physics.world, w.physics.contacts, &contact);
  dJointAttach(j, body, nullptr);
}

}  // namespace

bool touch_spheres(World& w, dBodyID body_a, const ShapeSphere& sa, const V3& ca, dBodyID body_b,
                   const ShapeSphere& sb, const V3& cb) {
  const std::optional<Overlap> o = overlap(sa, ca, sb, cb);
  if (!o) return false;
  dContact contact = soft_touch(w, sa, sb, *o);
  dJointID j = dJointCreateContact(w.physics.world, w.physics.contacts, &contact);
  dJointAttach(j, body_a, body_b);
  return true;
}

bool push_spheres_apart(World& w, dBodyID body_a, const ShapeSphere& sa, const V3& ca,
                        dBodyID body_b, const ShapeSphere& sb, const V3& cb) {
  const std::optional<Overlap> o = overlap(sa, ca, sb, cb);
  if (!o) return false;
  // Both contacts are made from the velocities before either is pushed, so the order in
  // which pairs are met changes nothing but the order of the solver's rows.
  dContact on_a = soft_touch(w, sa, sb, *o);
  dContact on_b = on_a;
  for (int i = 0; i < 3; ++i) on_b.geom.normal[i] = -on_a.geom.normal[i];
  push_against_moving(w, on_a, body_a, body_b);
  push_against_moving(w, on_b, body_b, body_a);
  return true;
}

}  // namespace br
