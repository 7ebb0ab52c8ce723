// Playing demos: the header names the track and the riders the race controller builds; each
// step the reader keeps half a second of snapshots ahead of the clock in the riders'
// histories. Seeking moves the playback a whole number of seconds either way.
#pragma once

#include <string>

#include "world/world.h"

namespace br {

constexpr int32_t kReadAheadSteps = 64;    // version 6
constexpr int32_t kOldReadAheadSteps = 8;  // versions 4 and 5
constexpr int kMaxBlocksPerStep = 128;

// The file a chosen demo name opens: a data name ("@..."), a path that exists as given, or
// else a name in the data directories.
std::string demo_file_name(const std::string& chosen);

// Opens and parses a demo. On failure nothing is left open and the player is told why.
bool open_playback(World& w, const std::string& name);
void close_playback(World& w);
bool playing(const World& w);

// Who a demo's header says a rider is, as the rider slot keeps it.
RiderIdentity demo_rider_identity(const DemoRider& d);

// The demo rider of header position `ordinal` is driven in rider slot `slot`.
void bind_demo_rider(World& w, int ordinal, int slot);

// After each step (and once as a session starts): reads ahead into the histories.
void playback_step(World& w);

// Moves playback by a signed number of seconds: only while a demo plays, nothing is recorded
// and every rider is played back. `tick` runs one world step (skipping forward runs the world
// up to the target). False when the demo could not be moved.
using WorldTickFn = void (*)(World&);
bool seek_demo(World& w, double seconds, WorldTickFn tick);

}  // namespace br
