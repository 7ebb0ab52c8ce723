// Contacts between two bikes: every sphere of one bike's shapes against every sphere of the
// other's, touching pairs becoming soft contacts between the two bodies; then the rules that
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

// Makes this step's contacts between `a` and `b` in the world's contact group and reports
// what was hit. Nothing is made between bikes whose bounding spheres are apart.
BikeHits bike_contacts(World& w, Bike& a, Bike& b);

// The collision cooldown rules after a contact: wheel to wheel, both moving, neither rider
// may be thrown for a while; a wheel driven into a riding bike protects the one who hit,
// and takes any protection from the one hit. Also notes the tick of the contact.
void apply_contact_rules(World& w, Bike& a, Bike& b, const BikeHits& hits);

// True when the two bikes touched in this tick or the one before.
bool in_contact(const World& w, const Bike& bike);

}  // namespace br
