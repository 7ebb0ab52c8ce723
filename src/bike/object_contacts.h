// A bike against the statues standing on the track: every sphere of the bike's shapes
// against every sphere of a nearby statue's shape, touching pairs becoming soft contacts with
// the unmoving statue.
#pragma once

#include "bike/bike.h"

namespace br {

// Makes this step's contacts between the bike and the statues near it; a riding rider whose
// body strikes a statue faster than 20 ft/s is thrown, unless his collision cooldown protects
// him. Returns the number of contacts made.
int object_contacts(World& w, Bike& bike);

}  // namespace br
