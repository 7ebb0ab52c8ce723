// Contacts between two bikes: every sphere of one bike's shapes against every sphere of the
// other's, touching pairs pushing the two bodies apart (each bike on its own, so that bikes in a
// pack stay separate groups for the solver); then the rules that
// decide who may be thrown off by the touch.
#pragma once

#include "bike/bike.h"

namespace br {

// Bit (1 << BikeBody) for each body of a bike that was touched.
struct BikeHits {
  unsigned parts_a = 0, parts_b = 0;
  int contacts = 0;
  bool rider_a_hard = false;  // a's rider struck b faster than 20 ft/s relative
  bool rider_b_hard = false;
};

// A sphere around every shape of a bike, centred on its frame (ft, world).
struct BikeBound {
  std::array<double, 3> centre{};
  double radius = 0;
};
BikeBound bike_bound(const Bike& bike);
// True when nothing of one bike can reach the other.
bool bounds_apart(const BikeBound& a, const BikeBound& b);

// Makes this step's contacts between `a` and `b` in the world's contact group and reports
// what was hit. With `solid` false the touch is only reported: a ghost is passed through.
BikeHits bike_contacts(World& w, Bike& a, Bike& b, bool solid = true);

// A crashed rider tumbles against his own frame and upper fork instead of through them: the
// same sphere contacts as between bikes. Returns how many were made.
int rider_against_own_bike(World& w, Bike& bike);

// The collision cooldown rules after a contact: wheel to wheel, both moving, neither rider
// may be thrown for a while; a wheel driven into a riding bike protects the one who hit,
// and takes any protection from the one hit. Also notes the tick of the contact.
void apply_contact_rules(World& w, Bike& a, Bike& b, const BikeHits& hits);

// Notes a touch in this tick: the tick of the bike's latest contact, and of its first.
void note_touch(const World& w, Bike& bike);

// True when the two bikes touched in this tick or the one before.
bool in_contact(const World& w, const Bike& bike);

}  // namespace br
