#include "bike/sphere_contact.h"

#include <algorithm>
#include <cmath>

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

bool touch_spheres(World& w, dBodyID body_a, const ShapeSphere& sa, const V3& ca, dBodyID body_b,
                   const ShapeSphere& sb, const V3& cb) {
  const double sum = sa.radius + sb.radius;
  const double dist2 = distance_squared(ca, cb);
  if (dist2 >= sum * sum) return false;
  const double dist = std::sqrt(dist2);
  const V3 d = {ca[0] - cb[0], ca[1] - cb[1], ca[2] - cb[2]};
  // Concentric spheres have no direction between them: push straight up.
  const V3 n = dist > 1e-9 ? V3{d[0] / dist, d[1] / dist, d[2] / dist} : V3{0, 1, 0};
  const double depth = sum - dist;
  const SoftContact soft = soft_contact(kSpring * sa.stiffness * sb.stiffness,
                                        kDamper * sa.damping * sb.damping, w.step);
  dContact contact{};
  contact.surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
  contact.surface.mu = std::min(sa.friction, sb.friction);
  contact.surface.soft_erp = soft.erp;
  contact.surface.soft_cfm = soft.cfm;
  for (int i = 0; i < 3; ++i) {
    contact.geom.pos[i] = ca[i] - n[i] * (sa.radius - depth / 2);
    contact.geom.normal[i] = n[i];
  }
  contact.geom.depth = depth;
  dJointID j = dJointCreateContact(w.physics.world, w.physics.contacts, &contact);
  dJointAttach(j, body_a, body_b);
  return true;
}

}  // namespace br
