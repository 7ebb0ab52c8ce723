// The cost of a world tick with N bikes standing on the default track, against the physics
// engine alone stepping the same bodies, joints and motors with the rider's two spring
// contacts and one plain ground contact per tyre. Times are this thread's processor time.
//   bench_world_tick [bikes=40] [seconds=10] [data directory]
// With BR_BENCH_DIAG set in the environment it also prints the state of the first bikes.
#include "shell/world_tick.h"

#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "bench_bikes.h"
#include "bench_home.h"
#include "bike/bike.h"
#include "bike/bike_step.h"
#include "bike/physics_world.h"
#include "track/terrain_queries.h"
#include "track/track_loader.h"
#include "world/world.h"

namespace {

// The processor time this thread has used (s): the figures are for one core, and other work
// on the machine then does not count against the simulation.
double cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Sets the bike upright at (x, z) with its tyres just clear of the ground.
void set_down(br::Bike& bike, const br::Terrain& t, double x, double z) {
  dMatrix3 upright;
  dRSetIdentity(upright);
  place_bike(bike, {x, 0, z}, upright, {0, 0, 0});
  double low = 1e9;
  for (const br::WheelContact& w : bike.wheels) {
    const dReal* c = dBodyGetPosition(w.body);
    double ground = br::terrain_height(t, static_cast<float>(c[0]), static_cast<float>(c[2]));
    low = std::min(low, c[1] - w.ring_radius - w.tube_radius - ground);
  }
  place_bike(bike, {x, 0.05 - low, z}, upright, {0, 0, 0});
}

// The joints' motors as a riding bike uses them: the fork and shock pushing, the brakes or
// the drive holding the wheels. Each is one more row for the engine to solve.
void engage_motors(br::Bike& bike) {
  dJointSetSliderParam(bike.joints[br::kJointForkSlider], dParamVel, 0);
  dJointSetSliderParam(bike.joints[br::kJointForkSlider], dParamFMax, 300);
  for (br::BikeJoint j : {br::kJointSwingarmPivot, br::kJointFrontAxle, br::kJointRearAxle}) {
    dJointSetHingeParam(bike.joints[j], dParamVel, 0);
    dJointSetHingeParam(bike.joints[j], dParamFMax, 300);
  }
}

// A soft contact between the rider body and the frame along the frame's own `axis`, as the
// rider's springs make two of each step.
void rider_spring(br::World& ref, br::Bike& bike, int axis) {
  dBodyID rider = bike.bodies[br::kBodyRider], frame = bike.bodies[br::kBodyFrame];
  dVector3 n;
  dBodyVectorToWorld(frame, axis == 0, axis == 1, axis == 2, n);
  const dReal* at = dBodyGetPosition(rider);
  dContact contact{};
  contact.surface.mode = dContactSoftERP | dContactSoftCFM;
  br::SoftContact soft = br::soft_contact(500, 50);
  contact.surface.soft_erp = soft.erp;
  contact.surface.soft_cfm = soft.cfm;
  for (int i = 0; i < 3; ++i) {
    contact.geom.pos[i] = at[i];
    contact.geom.normal[i] = n[i];
  }
  contact.geom.depth = 0.01;
  dJointID j = dJointCreateContact(ref.physics.world, ref.physics.contacts, &contact);
  dJointAttach(j, rider, frame);
}

// The engine alone: the same bodies, joints and motors, the rider's two spring contacts, and
// one plain contact per tyre against the level of the ground under it.
void bare_step(br::World& ref, const br::Terrain& t) {
  for (br::RiderSlot& slot : ref.slots) {
    if (!slot.bike) continue;
    rider_spring(ref, *slot.bike, 1);
    rider_spring(ref, *slot.bike, 2);
    for (const br::WheelContact& w : slot.bike->wheels) {
      const dReal* c = dBodyGetPosition(w.body);
      double ground = br::terrain_height(t, static_cast<float>(c[0]), static_cast<float>(c[2]));
      double depth = ground - (c[1] - w.ring_radius - w.tube_radius);
      if (depth <= 0) continue;
      dContact contact{};
      contact.surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
      contact.surface.mu = 1;
      br::SoftContact soft = br::soft_contact(5000, 500);
      contact.surface.soft_erp = soft.erp;
      contact.surface.soft_cfm = soft.cfm;
      contact.geom.pos[0] = c[0];
      contact.geom.pos[1] = ground;
      contact.geom.pos[2] = c[2];
      contact.geom.normal[1] = 1;
      contact.geom.depth = depth;
      dJointID j = dJointCreateContact(ref.physics.world, ref.physics.contacts, &contact);
      dJointAttach(j, w.body, nullptr);
    }
  }
  br::step_physics(ref);
}

// What the first bikes stand on and how: their joints and this step's contacts (each counted
// at both its bodies), whether they are upright, whether they have crashed. A bike lying
// down costs more than one standing, and the figures above mean little then.
void print_bike_states(br::World& w) {
  br::make_bike_contacts(w);
  for (int i = 0; i < 3 && w.slots[i].bike; ++i) {
    br::Bike& b = *w.slots[i].bike;
    int joints = 0, contacts = 0;
    for (dBodyID body : b.bodies) {
      for (int k = 0; k < dBodyGetNumJoints(body); ++k) {
        ++joints;
        if (dJointGetType(dBodyGetJoint(body, k)) == dJointTypeContact) ++contacts;
      }
    }
    dVector3 up;
    dBodyVectorToWorld(b.bodies[br::kBodyFrame], 0, 1, 0, up);
    std::printf("bike %d joint ends %d contact ends %d up_y %.2f crash %d\n", i, joints, contacts,
                up[1], b.state.crash_timer);
  }
  dJointGroupEmpty(w.physics.contacts);
}

}  // namespace

int main(int argc, char** argv) {
  int bikes = argc > 1 ? std::atoi(argv[1]) : 40;
  double seconds = argc > 2 ? std::atof(argv[2]) : 10;
  std::string data = argc > 3 ? argv[3] : "";
#ifdef BR_DEFAULT_DATA_DIR
  if (data.empty()) data = BR_DEFAULT_DATA_DIR;
#endif
  if (data.empty() || bikes < 1 || bikes > br::kRiderSlots || !(seconds > 0)) {
    std::fprintf(stderr, "usage: bench_world_tick [bikes 1-160] [seconds] [data directory]\n");
    return 1;
  }
  const BenchHome home(data);
  if (!home.ok()) return 1;
  br::world_reset();
  if (!br::load_track("rabbithill")) {
    std::fprintf(stderr, "rabbithill does not load from %s\n", data.c_str());
    return 1;
  }
  br::World& w = br::g_world;
  const br::Terrain& t = w.track.terrain;
  br::physics_world_open(w);
  auto ref = std::make_unique<br::World>();
  br::physics_world_open(*ref);

  // A grid of bikes across the middle of the track, 12 ft apart.
  int per_row = static_cast<int>(std::ceil(std::sqrt(bikes)));
  for (int i = 0; i < bikes; ++i) {
    double x = t.extent * 0.3 + 12.0 * (i % per_row), z = t.extent * 0.3 + 12.0 * (i / per_row);
    for (br::World* target : {&w, ref.get()}) {
      if (!build_bench_bike(*target, i)) return 1;
      set_down(*target->slots[i].bike, t, x, z);
      if (target == ref.get()) engage_motors(*target->slots[i].bike);
    }
  }

  // The two worlds take turns a second at a time, so that other work on the machine weighs on
  // both alike.
  int ticks = static_cast<int>(seconds / br::kSimStep);
  constexpr int kTurn = 128;
  double game = 0, bare = 0;
  for (int done = 0; done < ticks; done += kTurn) {
    int n = std::min(kTurn, ticks - done);
    double start = cpu_seconds();
    for (int i = 0; i < n; ++i) br::world_tick(w);
    game += cpu_seconds() - start;
    start = cpu_seconds();
    for (int i = 0; i < n; ++i) bare_step(*ref, t);
    bare += cpu_seconds() - start;
  }

  if (std::getenv("BR_BENCH_DIAG")) print_bike_states(w);
  double us_per_tick = game * 1e6 / ticks;
  double us_per_bike = us_per_tick / bikes;
  double ref_per_bike = bare * 1e6 / ticks / bikes;
  std::printf(
      "world_tick bikes=%d us_per_tick=%.1f us_per_bike=%.2f ode_ref_us_per_bike=%.2f "
      "ratio=%.2f realtime_x=%.2f\n",
      bikes, us_per_tick, us_per_bike, ref_per_bike, us_per_bike / ref_per_bike,
      br::kSimStep * 1e6 / us_per_tick);
  br::physics_world_close(*ref);
  br::physics_world_close(w);
  br::free_track();
  return 0;
}
