#include "bike/bike_step.h"

#include <algorithm>
#include <vector>

#include "bike/assists.h"
#include "bike/bike_contacts.h"
#include "bike/controls.h"
#include "bike/crash.h"
#include "bike/drivetrain.h"
#include "bike/object_contacts.h"
#include "bike/rider_springs.h"
#include "bike/slow_speed.h"
#include "bike/suspension.h"
#include "bike/terrain_contacts.h"

namespace br {
namespace {

constexpr double kRiderDownRate = 8;  // per second, up and down

double frame_speed_squared(const Bike& bike) {
  const dReal* v = dBodyGetLinearVel(bike.bodies[kBodyFrame]);
  return v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
}

double distance_squared_from_origin(const Bike& bike) {
  const dReal* p = dBodyGetPosition(bike.bodies[kBodyFrame]);
  return p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
}

void sort_farthest_first(std::vector<Bike*>& bikes) {
  std::sort(bikes.begin(), bikes.end(), [](const Bike* a, const Bike* b) {
    return distance_squared_from_origin(*a) > distance_squared_from_origin(*b);
  });
}

}  // namespace

void make_connected_contacts(World& w) {
  if (!w.physics.world) return;
  int local = w.local_slot;
  Bike* mine = local >= 0 && local < kRiderSlots ? w.slots[local].bike.get() : nullptr;
  if (!mine) return;
  static std::vector<Bike*> remote;
  remote.clear();
  for (int i = 0; i < kRiderSlots; ++i) {
    RiderSlot& slot = w.slots[i];
    if (i == local || !slot.bike || slot.control != kControlPlayedBack) continue;
    if (w.frame - slot.last_server_frame >= kStaleServerTicks) continue;
    remote.push_back(slot.bike.get());
  }
  if (mine->state.presence > kBarelyPresent) {
    terrain_contacts(w, *mine);
    object_contacts(w, *mine);
  }
  if (w.session.race_position == kNoRacePosition) return;  // warming up: riders pass through
  sort_farthest_first(remote);
  BikeBound near = bike_bound(*mine);
  for (Bike* other : remote) {
    bool solid = other->state.presence > kBarelyPresent;
    if (!bounds_apart(near, bike_bound(*other))) {
      BikeHits hits = bike_contacts(w, *mine, *other, solid);
      if (solid) {
        apply_contact_rules(w, *mine, *other, hits);
      } else if (hits.contacts > 0) {
        note_touch(w, *mine);
        note_touch(w, *other);
      }
    }
    if (solid) {
      terrain_contacts(w, *other);
      object_contacts(w, *other);
    }
  }
}

void make_bike_contacts(World& w) {
  if (!w.physics.world) return;
  if (w.connected) {
    make_connected_contacts(w);
    return;
  }
  // Kept from tick to tick so that no step allocates; the simulation is single-threaded.
  static std::vector<Bike*> bikes;
  static std::vector<BikeBound> bounds;
  bikes.clear();
  bounds.clear();
  for (RiderSlot& slot : w.slots) {
    if (!slot.bike || slot.control == kControlPlayedBack) continue;
    Bike& bike = *slot.bike;
    if (bike.state.presence <= kBarelyPresent) continue;  // its bodies are switched off
    terrain_contacts(w, bike);
    object_contacts(w, bike);
    bikes.push_back(&bike);
  }
  sort_farthest_first(bikes);
  // Most pairs are far apart: one test of the whole bikes spares their 49 pairs of bodies.
  for (const Bike* bike : bikes) bounds.push_back(bike_bound(*bike));
  for (size_t i = 0; i < bikes.size(); ++i) {
    for (size_t j = i + 1; j < bikes.size(); ++j) {
      if (bounds_apart(bounds[i], bounds[j])) continue;
      BikeHits hits = bike_contacts(w, *bikes[i], *bikes[j]);
      apply_contact_rules(w, *bikes[i], *bikes[j], hits);
    }
  }
}

void step_bike(World& w, Bike& bike) {
  BikeWorkingState& s = bike.state;
  if (s.presence <= kBarelyPresent) {
    track_velocities(w, bike);
    return;
  }
  if (!s.stopped_after_start && w.frame - w.race_start_frame >= kStartGraceTicks &&
      frame_speed_squared(bike) < kStoppedSpeed * kStoppedSpeed) {
    s.stopped_after_start = true;
  }
  bool down = s.crash_timer > 0 || bike.controls.dab > 0 ||
              frame_speed_squared(bike) < kStoppedSpeed * kStoppedSpeed;
  float ramp = static_cast<float>(kRiderDownRate * w.step);
  s.rider_down = std::clamp(s.rider_down + (down ? ramp : -ramp), 0.0f, 1.0f);
  if (s.collision_cooldown > 0) s.collision_cooldown -= 1;
  if (s.collision_cooldown < 0) s.collision_cooldown += 1;

  if (rider_thrown(w, bike)) crash_rider(w, bike);
  step_crashed_rider(w, bike);

  // Putting a foot down or holding the bike overrides the rider's own brakes and dab for
  // this step only.
  BikeControls own = bike.controls;
  slow_speed_actions(w, bike);
  // A thrown rider hangs on the ropes, not on the springs that seat him.
  if (s.crash_timer == 0) drive_rider_springs(w, bike, dab(bike), lean(bike));
  drive_suspension(bike);
  steer(w, bike);
  roll_support(bike);
  auto_shift(w, bike);
  drive_rear_wheel(bike, w.step);
  apply_brakes(bike);
  damp_steering(bike);
  if (s.crash_timer == 0) cancel_drift(bike);
  handle_fall(w, bike);
  bike.controls.front_brake = own.front_brake;
  bike.controls.rear_brake = own.rear_brake;
  bike.controls.dab = own.dab;
  track_velocities(w, bike);
}

}  // namespace br
