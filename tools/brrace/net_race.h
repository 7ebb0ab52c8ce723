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

// The wall clock a network race runs on, in seconds from its start; tests give their own.
struct NetClock {
  std::function<double()> now;
  std::function<void(double)> sleep;
};

// The real one.
NetClock wall_clock();

// The hooks hear of the announced race only, not of the warm-up before it.
NetRaceRun run_network_race(br::World& w, const NetRaceSetup& setup, const RaceHooks& hooks);

// One pass of the loop: runs `step` until `simulated` reaches `target` (seconds) or it returns
// false, servicing the connection before each step at the time that step was due, `now` less
// the time still to run. After a stall the packets that came in meanwhile then reach the world
// at the pace of its steps, the lag of a bad network counted in them, rather than all after
// the last one. Returns false when `step` ended the pass.
bool catch_up(br::World& w, double now, double target, double& simulated,
              const std::function<bool()>& step);

// After our final results: services the connection until the own rider's last messages are
// acknowledged, giving up once the server has acknowledged none for `patience` seconds.
// True when everything went through.
bool deliver_outbox(br::World& w, const NetClock& clock, double patience);

}  // namespace brrace
