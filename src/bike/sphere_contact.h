// Soft contacts between collision spheres: a bike's bodies against another bike's, or against
// the statues beside the track. Both kinds push alike.
#pragma once

#include <ode/ode.h>

#include <array>

#include "bike/bike.h"
#include "bike/catalogue.h"
#include "bike/shape_format.h"
#include "world/world.h"

namespace br {

// The collision shape of each body, in body order.
extern const PartFile kBodyShapeFiles[kBodyCount];

// A rider struck faster than this is thrown off: relative speed squared, (ft/s)^2.
constexpr double kHardHitSpeed2 = 20 * 20;

// When sphere `sa` centred at `ca` on `body_a` overlaps sphere `sb` centred at `cb` on
// `body_b` (null: the fixed world), attaches a soft contact halfway through the overlap whose
// normal pushes body_a away from body_b, and returns true. A firm push, 5000 lb/ft and
// 250 lb per ft/s, scaled by each sphere's own factors.
bool touch_spheres(World& w, dBodyID body_a, const ShapeSphere& sa, const std::array<double, 3>& ca,
                   dBodyID body_b, const ShapeSphere& sb, const std::array<double, 3>& cb);

// The same overlap between bodies of two different bikes, made as two one-sided contacts: each
// body is pushed away from the other as from an obstacle moving with the other's present
// velocity. A contact joint between the two would put both bikes in one group for the solver,
// and a pack of bikes pressed together on the grid would then cost the cube of its size.
bool push_spheres_apart(World& w, dBodyID body_a, const ShapeSphere& sa,
                        const std::array<double, 3>& ca, dBodyID body_b, const ShapeSphere& sb,
                        const std::array<double, 3>& cb);

// Whether two spheres overlap, without touching anything.
bool spheres_overlap(const ShapeSphere& sa, const std::array<double, 3>& ca, const ShapeSphere& sb,
                     const std::array<double, 3>& cb);

}  // namespace br
