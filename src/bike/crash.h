// Crashes: when the rider is thrown off, the crashed rider tied to his bike by ropes while he
// tumbles, and his return to the saddle once he has come to rest.
#pragma once

#include "bike/bike.h"

namespace br {

constexpr int kCrashTicks = 512;    // a crash lasts at least this long
constexpr int kRealignTicks = 511;  // from here down the bike is being stood up again

// The crash tests that need no contact: the rider body torn away from the frame (moving more
// than 31 ft/s apart), or slammed (more than 43 g over the last four steps). True when the
// rider is riding, may be thrown (cooldown not negative) and one of them holds.
bool rider_thrown(const World& w, const Bike& bike);

// Throws the rider off: the mount lets go, the hands' last places on the grips are kept, and
// the crash timer starts; the rider's slot marks the fall for the timing.
void crash_rider(World& w, Bike& bike);

// One step of a crashed rider: the ropes while he still moves, the countdown once he rests,
// and back on the bike when it runs out.
void step_crashed_rider(World& w, Bike& bike);

// A one-sided soft rope between two body points (in their bodies' frames), made only when
// they are farther apart than `length`.
void tie_rope(World& w, dBodyID a, const Vec3f& at_a, dBodyID b, const Vec3f& at_b, double length);

// End of the step: the grip points' places and speeds and the rider body's velocity ring.
void track_velocities(const World& w, Bike& bike);

// The forces the joints applied in the last step, summed as moments about the frame, are
// taken back from the frame, so rounding inside the joints cannot move the bike as a whole.
void cancel_drift(Bike& bike);

}  // namespace br
