// One race on a game server: brrace joins as a network client and the scripted pilot rides
// the slot the server gives it, in real time, until the server's race has its final results.
// Run many at once against one server and they are its load.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "race_run.h"
#include "world/world.h"

namespace brrace {

struct NetRaceSetup {
  std::string address;  // host[:port]
  std::string password;
  std::string name;      // the rider's name and number as the server lists them
  std::string number;
  double limit_seconds = 0;  // wall time before giving up
};

enum class NetRaceEnd { kFinal, kLimit, kNoConnection, kDisconnected };

struct NetRaceRun {
  NetRaceEnd end = NetRaceEnd::kNoConnection;
  int64_t steps = 0;  // world steps run
  double seconds = 0;  // wall time
};

// The hooks hear of the announced race only, not of the warm-up before it.
NetRaceRun run_network_race(br::World& w, const NetRaceSetup& setup, const RaceHooks& hooks);

}  // namespace brrace
