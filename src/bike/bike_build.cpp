#include <cmath>

#include "bike/bike.h"
#include "bike/physics_world.h"
#include "platform/log.h"

namespace br {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kTyreSpheres = 16;
// The rider mount's anchor lies this far ahead of the bike, so that turning about it moves
// the rider body almost straight up and down.
constexpr double kMountReach = -50;  // ft along z
constexpr double kSteeringLock = kPi / 4;
// A bike is built with its fork and swingarm exactly at full extension. The engine's solver
// fails ("LCP internal error") on a stop that is met exactly with no force across it, and
// then drops every contact of that step; this hair of clearance keeps such a stop out of the
// solution until the suspension really tops out.
constexpr double kStopClearance = 1e-6;  // ft or rad

std::array<double, 3> world_point(dBodyID body, double x, double y, double z) {
  dVector3 out;
  dBodyGetRelPointPos(body, x, y, z, out);
  return {out[0], out[1], out[2]};
}

// A hub sphere at the axle and a ring of spheres standing for the tyre, in the wheel's y-z
// plane, the first straight above the axle.
dMass wheel_mass(double tyre_mass, double ring_radius, double tube_radius, double hub_mass,
                 double hub_radius) {
  dMass total;
  dMassSetSphereTotal(&total, hub_mass, hub_radius);
  for (int i = 0; i < kTyreSpheres; ++i) {
    dMass piece;
    dMassSetSphereTotal(&piece, tyre_mass / kTyreSpheres, tube_radius);
    dMassTranslate(&piece, 0, ring_radius, 0);
    dMatrix3 r;
    dRFromAxisAndAngle(r, 1, 0, 0, i * kPi / 8);
    dMassRotate(&piece, r);
    dMassAdd(&total, &piece);
  }
  return total;
}

// Two legs along the fork axis.
dMass fork_mass(const BikeEntry& e) {
  double spacing = e.fork_leg_spacing;
  double length = e.fork_leg_length_factor * 2.0 / 3.0;
  dMass total, leg;
  dMassSetCylinderTotal(&total, e.fork_mass / 2, 2, spacing / 8, length);
  dMassTranslate(&total, spacing / 2, 0, 0);
  dMassSetCylinderTotal(&leg, e.fork_mass / 2, 2, spacing / 8, length);
  dMassTranslate(&leg, -spacing / 2, 0, 0);
  dMassAdd(&total, &leg);
  dMatrix3 r;
  dRFromAxisAndAngle(r, 1, 0, 0,
                     std::atan((e.fork_lower_position.z - e.steering_head.z) /
                               (e.fork_lower_position.y - e.steering_head.y)));
  dMassRotate(&total, r);
  return total;
}

// Two arms from the pivot to the rear axle.
dMass swingarm_mass(const BikeEntry& e) {
  double w = e.frame_box.x;
  double dy = e.rear_axle.y - e.swingarm_pivot.y;
  double dz = e.rear_axle.z - e.swingarm_pivot.z;
  double length = std::sqrt(dy * dy + dz * dz);
  dMass total, arm;
  dMassSetBoxTotal(&total, e.swingarm_half_mass, w / 4, w / 4, length);
  dMassTranslate(&total, w / 2, 0, 0);
  dMassSetBoxTotal(&arm, e.swingarm_half_mass, w / 4, w / 4, length);
  dMassTranslate(&arm, -w / 2, 0, 0);
  dMassAdd(&total, &arm);
  dMatrix3 r;
  dRFromAxisAndAngle(r, 1, 0, 0, -std::atan(dy / dz));
  dMassRotate(&total, r);
  return total;
}

// The engine wants each body's mass centred on its origin; the pieces above are symmetric,
// so this only removes rounding.
void centre_mass(dMass& m) {
  dMassTranslate(&m, -m.c[0], -m.c[1], -m.c[2]);
}

dBodyID make_body(dWorldID world, const Vec3f& at, dMass mass) {
  dBodyID body = dBodyCreate(world);
  dBodySetPosition(body, at.x, at.y, at.z);
  centre_mass(mass);
  dBodySetMass(body, &mass);
  return body;
}

void fork_axis(const BikeEntry& e, double out[3]) {
  double x = e.steering_head.x - e.fork_lower_position.x;
  double y = e.steering_head.y - e.fork_lower_position.y;
  double z = e.steering_head.z - e.fork_lower_position.z;
  double n = std::sqrt(x * x + y * y + z * z);
  out[0] = x / n;
  out[1] = y / n;
  out[2] = z / n;
}

dJointID make_hinge(dWorldID world, dBodyID a, dBodyID b, const Vec3f& anchor,
                    const double axis[3]) {
  dJointID j = dJointCreateHinge(world, nullptr);
  dJointAttach(j, a, b);
  dJointSetHingeAnchor(j, anchor.x, anchor.y, anchor.z);
  dJointSetHingeAxis(j, axis[0], axis[1], axis[2]);
  return j;
}

void build_joints(Bike& bike, dWorldID world) {
  const BikeEntry& e = bike.entry;
  auto& b = bike.bodies;
  const double across[3] = {1, 0, 0};
  double fork[3];
  fork_axis(e, fork);

  auto& j = bike.joints;
  j[kJointFrontAxle] =
      make_hinge(world, b[kBodyForkLower], b[kBodyFrontWheel], e.front_axle, across);
  j[kJointRearAxle] = make_hinge(world, b[kBodySwingarm], b[kBodyRearWheel], e.rear_axle, across);

  j[kJointSteering] = make_hinge(world, b[kBodyForkUpper], b[kBodyFrame], e.steering_head, fork);
  dJointSetHingeParam(j[kJointSteering], dParamLoStop, -kSteeringLock);
  dJointSetHingeParam(j[kJointSteering], dParamHiStop, kSteeringLock);

  j[kJointForkSlider] = dJointCreateSlider(world, nullptr);
  dJointAttach(j[kJointForkSlider], b[kBodyForkUpper], b[kBodyForkLower]);
  dJointSetSliderAxis(j[kJointForkSlider], fork[0], fork[1], fork[2]);
  dJointSetSliderParam(j[kJointForkSlider], dParamBounce, 0);
  dJointSetSliderParam(j[kJointForkSlider], dParamLoStop, -e.fork_travel);
  dJointSetSliderParam(j[kJointForkSlider], dParamHiStop, kStopClearance);

  j[kJointSwingarmPivot] =
      make_hinge(world, b[kBodySwingarm], b[kBodyFrame], e.swingarm_pivot, across);
  dJointSetHingeParam(j[kJointSwingarmPivot], dParamBounce, 0);
  dJointSetHingeParam(j[kJointSwingarmPivot], dParamLoStop, -e.swingarm_travel);
  dJointSetHingeParam(j[kJointSwingarmPivot], dParamHiStop, kStopClearance);

  // Attached by the reset of the working state, which carries it with the frame.
  j[kJointRiderMount] = dJointCreateHinge2(world, nullptr);

  for (int i = 0; i < kJointCount; ++i) dJointSetFeedback(j[i], &bike.feedback[i]);
}

void attach_rider_mount(Bike& bike) {
  const BikeEntry& e = bike.entry;
  dBodyID frame = bike.bodies[kBodyFrame];
  dJointID mount = bike.joints[kJointRiderMount];
  dJointAttach(mount, bike.bodies[kBodyRider], frame);
  auto anchor = world_point(frame, -e.frame_position.x, e.rider_position.y - e.frame_position.y,
                            kMountReach - e.frame_position.z);
  dJointSetHinge2Anchor(mount, anchor[0], anchor[1], anchor[2]);
  dVector3 axis1, axis2;
  dBodyVectorToWorld(frame, 0, M_SQRT1_2, M_SQRT1_2, axis1);
  dBodyVectorToWorld(frame, 1, 0, 0, axis2);
  dJointSetHinge2Axes(mount, axis1, axis2);
  dJointSetHinge2Param(mount, dParamLoStop, 0);
  dJointSetHinge2Param(mount, dParamHiStop, 0);
}

}  // namespace

void BikeDeleter::operator()(Bike* bike) const {
  free_bike(bike);
}

BikePtr build_bike(World& w, const std::string& model, int mode, const std::string& number,
                   const std::string& rider_texture, const std::string& head_texture,
                   const std::string& bike_texture, const std::string& wheel_texture) {
  physics_world_open(w);
  dWorldID world = w.physics.world;
  BikePtr bike(new Bike);
  Bike& k = *bike;
  k.entry = find_bike_model(model);
  k.mode = mode;
  k.number = number.substr(0, kMaxNumberLength);
  const BikeEntry& e = k.entry;

  std::array<std::string, kBikeTextureCount> custom;
  custom[kTextureBike] = bike_texture;
  custom[kTextureWheels] = wheel_texture;
  custom[kTextureRider] = rider_texture;
  custom[kTextureHead] = head_texture;
  k.parts = load_bike_parts(e, k.number, custom);

  double d = kRiderMassShare;
  dMass m;
  dMassSetBoxTotal(&m, e.frame_mass + (1 - d) * e.rider_mass, e.frame_box.x, e.frame_box.y,
                   e.frame_box.z);
  k.bodies[kBodyFrame] = make_body(world, e.frame_position, m);
  k.bodies[kBodyFrontWheel] =
      make_body(world, e.front_axle,
                wheel_mass(e.front_tyre_mass, e.front_ring_radius, e.front_tube_radius,
                           e.front_hub_mass, e.front_hub_radius));
  k.bodies[kBodyRearWheel] =
      make_body(world, e.rear_axle,
                wheel_mass(e.rear_tyre_mass, e.rear_ring_radius, e.rear_tube_radius,
                           e.rear_hub_mass, e.rear_hub_radius));
  k.bodies[kBodyForkUpper] = make_body(world, e.steering_head, fork_mass(e));
  k.bodies[kBodyForkLower] = make_body(world, e.fork_lower_position, fork_mass(e));
  k.bodies[kBodySwingarm] = make_body(world, e.swingarm_position, swingarm_mass(e));
  dMassSetSphereTotal(&m, d * e.rider_mass, 1);
  k.bodies[kBodyRider] = make_body(world, e.rider_position, m);
  // Wheels spin fast enough for the ordinary rotation update to go astray.
  dBodySetFiniteRotationMode(k.bodies[kBodyFrontWheel], 1);
  dBodySetFiniteRotationMode(k.bodies[kBodyRearWheel], 1);

  k.total_mass = 0;
  for (dBodyID body : k.bodies) {
    dMass bm;
    dBodyGetMass(body, &bm);
    k.total_mass += bm.mass;
  }

  k.wheels[kFrontWheel].body = k.bodies[kBodyFrontWheel];
  k.wheels[kFrontWheel].ring_radius = e.front_ring_radius;
  k.wheels[kFrontWheel].tube_radius = e.front_tube_radius;
  k.wheels[kRearWheel].body = k.bodies[kBodyRearWheel];
  k.wheels[kRearWheel].ring_radius = e.rear_ring_radius;
  k.wheels[kRearWheel].tube_radius = e.rear_tube_radius;

  build_joints(k, world);
  k.setup = default_setup(e);
  reset_working_state(k);
  return bike;
}

void place_bike(Bike& bike, const std::array<double, 3>& origin, const dMatrix3 rotation,
                const std::array<double, 3>& velocity) {
  const BikeEntry& e = bike.entry;
  const Vec3f* built[kBodyCount] = {&e.frame_position, &e.front_axle,          &e.rear_axle,
                                    &e.steering_head,  &e.fork_lower_position, &e.swingarm_position,
                                    &e.rider_position};
  for (int i = 0; i < kBodyCount; ++i) {
    dVector3 p = {built[i]->x, built[i]->y, built[i]->z, 0};
    dVector3 moved;
    dMultiply0_331(moved, rotation, p);
    dBodySetPosition(bike.bodies[i], origin[0] + moved[0], origin[1] + moved[1],
                     origin[2] + moved[2]);
    dBodySetRotation(bike.bodies[i], rotation);
    dBodySetLinearVel(bike.bodies[i], velocity[0], velocity[1], velocity[2]);
    dBodySetAngularVel(bike.bodies[i], 0, 0, 0);
    dBodySetForce(bike.bodies[i], 0, 0, 0);
    dBodySetTorque(bike.bodies[i], 0, 0, 0);
  }
  reset_working_state(bike);
}

void reset_working_state(Bike& bike) {
  BikeWorkingState& s = bike.state;
  float presence = s.presence;
  s = BikeWorkingState{};
  s.presence = presence;  // the race controller's to set
  for (dJointFeedback& f : bike.feedback) f = dJointFeedback{};
  for (WheelContact& wheel : bike.wheels) {
    wheel.feedback = dJointFeedback{};
    wheel.depth = 0;
  }

  seat_rider(bike);
  // The slam test compares with the velocities of the last four steps; a bike placed at
  // speed (a replay, a network rider, a respawn) has been moving at it all along, not
  // stopped dead a moment ago.
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyRider]);
  s.rider_velocities.fill({v[0], v[1], v[2]});
}

void seat_rider(Bike& bike) {
  const BikeEntry& e = bike.entry;
  dBodyID frame = bike.bodies[kBodyFrame];
  dBodyID rider = bike.bodies[kBodyRider];
  dJointAttach(bike.joints[kJointRiderMount], nullptr, nullptr);
  auto at =
      world_point(frame, e.rider_position.x - e.frame_position.x,
                  e.rider_position.y - e.frame_position.y, e.rider_position.z - e.frame_position.z);
  dVector3 velocity;
  dBodyGetPointVel(frame, at[0], at[1], at[2], velocity);
  dBodySetPosition(rider, at[0], at[1], at[2]);
  dBodySetRotation(rider, dBodyGetRotation(frame));
  dBodySetLinearVel(rider, velocity[0], velocity[1], velocity[2]);
  const dReal* spin = dBodyGetAngularVel(frame);
  dBodySetAngularVel(rider, spin[0], spin[1], spin[2]);
  attach_rider_mount(bike);
}

void free_bike(Bike* bike) {
  if (!bike) return;
  for (dJointID& j : bike->joints) {
    if (j) dJointDestroy(j);
    j = nullptr;
  }
  for (dBodyID& b : bike->bodies) {
    if (b) dBodyDestroy(b);
    b = nullptr;
  }
  release_bike_parts(bike->parts);
  delete bike;
}

void free_all_bikes(World& w) {
  kota::log_printf("Deallocating bikes\n");
  for (RiderSlot& slot : w.slots) slot.bike.reset();
  w.order.clear();
  kota::log_printf("Finished deallocating bikes\n");
}

}  // namespace br
