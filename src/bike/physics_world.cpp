#include "bike/physics_world.h"

#include <ode/ode.h>

#include <cmath>

#include "bike/bike.h"

namespace br {

void physics_world_open(World& w) {
  if (w.physics.world) return;
  dInitODE2(0);
  w.physics.world = dWorldCreate();
  dWorldSetERP(w.physics.world, 0.2);
  dWorldSetCFM(w.physics.world, 1e-10);
  dWorldSetGravity(w.physics.world, 0, kGravity, 0);
  w.physics.space = dSimpleSpaceCreate(nullptr);
  w.physics.contacts = dJointGroupCreate(0);
}

void physics_world_close(World& w) {
  for (RiderSlot& slot : w.slots) slot.bike.reset();
  if (!w.physics.world) return;
  dJointGroupDestroy(w.physics.contacts);
  dSpaceDestroy(w.physics.space);
  dWorldDestroy(w.physics.world);
  w.physics = {};
  dCloseODE();
}

void step_physics(World& w) {
  if (!w.physics.world) return;
  dWorldStep(w.physics.world, w.step);
  dJointGroupEmpty(w.physics.contacts);
}

SoftContact soft_contact(double k, double c, double h) {
  SoftContact s;
  double d = h * k + c;
  if (d <= 0) return s;
  s.erp = h * k / d;
  s.cfm = 1.0 / d;
  return s;
}

MotorForce motor_force(double force) {
  constexpr double kOutOfReach = 100;
  return {force >= 0 ? kOutOfReach : 0.0, std::fabs(force)};
}

}  // namespace br
