#include "bike/rider_springs.h"

#include <algorithm>
#include <cmath>

#include "bike/physics_world.h"

namespace br {
namespace {

constexpr double kReferenceRiderMass = 4.6875;  // slugs; heavier riders get stiffer springs
constexpr double kReach = 0.75;                 // ft the rider moves before hitting the stops
constexpr double kStop = 2500;                  // lb/ft and lb per ft/s beyond the reach

double weight_scale(const Bike& bike) {
  return bike.entry.rider_mass / kReferenceRiderMass;
}

// The frame's axis `local` (frame coordinates) in the world.
std::array<double, 3> frame_axis(const Bike& bike, double x, double y, double z) {
  dVector3 out;
  dBodyVectorToWorld(bike.bodies[kBodyFrame], x, y, z, out);
  return {out[0], out[1], out[2]};
}

void make_contact(World& w, const Bike& bike, const RiderSpring& s,
                  const std::array<double, 3>& axis) {
  SoftContact soft = soft_contact(s.k, s.c, w.step);
  dContact contact{};
  contact.surface.mode = dContactSoftERP | dContactSoftCFM;
  contact.surface.mu = 0;
  contact.surface.soft_erp = soft.erp;
  contact.surface.soft_cfm = soft.cfm;
  const dReal* at = dBodyGetPosition(bike.bodies[kBodyRider]);
  for (int i = 0; i < 3; ++i) {
    contact.geom.pos[i] = at[i];
    contact.geom.normal[i] = s.direction * axis[i];
  }
  contact.geom.depth = s.depth;
  dJointID j = dJointCreateContact(w.physics.world, w.physics.contacts, &contact);
  dJointAttach(j, bike.bodies[kBodyRider], bike.bodies[kBodyFrame]);
}

}  // namespace

RiderOffset rider_offset(const Bike& bike) {
  const BikeEntry& e = bike.entry;
  dVector3 local;
  const dReal* at = dBodyGetPosition(bike.bodies[kBodyRider]);
  dBodyGetPosRelPoint(bike.bodies[kBodyFrame], at[0], at[1], at[2], local);
  // The bike faces negative z.
  return {-(local[2] - (e.rider_position.z - e.frame_position.z)),
          local[1] - (e.rider_position.y - e.frame_position.y)};
}

RiderSpring fore_aft_spring(const Bike& bike, double forward, double dab_weight, double lean) {
  double target = std::clamp(forward * (dab_weight / 2 + 0.5) - lean, -kReach, kReach);
  double error = forward - target;
  double m = weight_scale(bike);
  RiderSpring s;
  if (std::fabs(error) <= kReach) {
    s.k = (bike.setup.rider_z_spring * 600 + 100 * std::fabs(error)) * m;
    s.c = 0;
  } else {
    s.k = s.c = kStop * m;
  }
  s.active = s.k > 0;
  s.depth = std::fabs(error);
  s.direction = error > 0 ? -1 : 1;  // push back toward the target
  return s;
}

RiderSpring vertical_spring(const Bike& bike, double up, double dab_weight) {
  double m = weight_scale(bike);
  RiderSpring s;
  if (up >= -kReach && up <= 0.5) {
    s.k = bike.setup.rider_y_spring * 400 * m;
    s.c = bike.setup.rider_y_damping * 100 * m;
  } else {
    s.k = s.c = kStop * m;
  }
  s.active = s.k + s.c > 0;
  double depth = up + 1.0 / 8 - dab_weight / 2;
  s.depth = std::fabs(depth);
  s.direction = depth > 0 ? -1 : 1;
  return s;
}

void drive_rider_springs(World& w, Bike& bike, double dab_weight, double lean) {
  RiderOffset offset = rider_offset(bike);
  RiderSpring along = fore_aft_spring(bike, offset.forward, dab_weight, lean);
  if (along.active) make_contact(w, bike, along, frame_axis(bike, 0, 0, -1));
  RiderSpring up = vertical_spring(bike, offset.up, dab_weight);
  if (up.active) make_contact(w, bike, up, frame_axis(bike, 0, 1, 0));

  double m = weight_scale(bike);
  dJointID mount = bike.joints[kJointRiderMount];
  dJointSetHinge2Param(mount, dParamSuspensionERP, 0);
  dJointSetHinge2Param(mount, dParamSuspensionCFM, 1 / (m * (bike.setup.rider_z_damping * 30 + 5)));
}

}  // namespace br
