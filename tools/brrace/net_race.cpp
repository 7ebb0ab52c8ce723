#include "net_race.h"

#include <array>
#include <chrono>
#include <memory>
#include <thread>

#include "net/client.h"
#include "pilot/pilot.h"
#include "race/laps.h"
#include "shell/frame_loop.h"
#include "shell/world_tick.h"

namespace brrace {
namespace {

// The server acknowledges one message at a time, each a round trip through the bad network
// away: a queue that is still moving is worth waiting for, a silent server is not.
constexpr double kDeliverPatience = 5.0;  // seconds without an acknowledgement

// The server's warm-up is free riding with the gate down from the start; a race it announces
// drops the gate later. Only the announced race counts.
bool announced_race(const br::World& w) {
  return w.session.loaded && w.race_start_frame > 0;
}

}  // namespace

NetClock wall_clock() {
  auto began = std::make_shared<std::chrono::steady_clock::time_point>(
      std::chrono::steady_clock::now());
  NetClock c;
  c.now = [began] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - *began).count();
  };
  c.sleep = [](double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  };
  return c;
}

bool catch_up(br::World& w, double now, double target, double& simulated,
              const std::function<bool()>& step) {
  while (simulated < target) {
    simulated += w.step;
    br::net_service(w, now - (target - simulated));
    if (!step()) return false;
  }
  return true;
}

bool deliver_outbox(br::World& w, const NetClock& clock, double patience) {
  // The step that made the results final may have added the own finishing record, which
  // only the next service queues: at least one service, then until everything is through.
  double moved = clock.now();
  size_t left = w.net.outbox.queue.size();
  do {
    double now = clock.now();
    if (w.net.outbox.queue.size() < left) {
      left = w.net.outbox.queue.size();
      moved = now;
    }
    if (now - moved >= patience) return false;
    br::net_service(w, now);
    clock.sleep(w.step);
  } while (!w.net.outbox.queue.empty() && w.net.socket.is_open());
  return w.net.outbox.queue.empty();
}

NetRaceRun run_network_race(br::World& w, const NetRaceSetup& setup, const RaceHooks& hooks) {
  NetRaceRun run;
  br::BikeSetup& own = w.settings.setup;
  if (!setup.name.empty()) own.name.value = setup.name;
  if (!setup.number.empty()) own.number.value = setup.number;
  if (!br::net_connect(w, setup.address, setup.password)) return run;

  const NetClock clock = wall_clock();
  br::Pilot pilot;
  const br::Bike* piloted = nullptr;
  br::LapShape shape;
  std::array<int, br::kRiderSlots> laps{};
  double target = 0, simulated = 0, previous = 0;  // seconds
  run.end = NetRaceEnd::kLimit;
  // One world step; false once the race is over for us, one way or the other.
  auto step = [&]() {
    if (!w.net.socket.is_open()) {
      run.end = NetRaceEnd::kDisconnected;
      return false;
    }
    if (!w.session.loaded || w.last_server_frame <= 0) return true;
    if (w.local_slot >= 0) {
      const br::BikePtr& bike = w.slots[static_cast<size_t>(w.local_slot)].bike;
      // A new race builds a new bike: the pilot takes it from where it stands.
      if (bike.get() != piloted) {
        pilot = br::pilot_take(w, w.local_slot);
        piloted = bike.get();
        shape = br::lap_shape(w.track.timing);
        laps.fill(0);
      }
      br::pilot_drive(pilot, w);
    }
    br::world_tick(w);
    ++run.steps;
    if (!announced_race(w)) return true;
    if (hooks.after_step) hooks.after_step(w);
    for (int i = 0; i < br::kRiderSlots; ++i) {
      const br::RiderSlot& s = w.slots[static_cast<size_t>(i)];
      if (!s.bike) continue;
      int done = br::laps_completed(shape, s.timing.gates_passed);
      for (int k = laps[static_cast<size_t>(i)] + 1; k <= done; ++k) {
        if (hooks.lap_done) hooks.lap_done(w, i, k);
      }
      laps[static_cast<size_t>(i)] = done;
    }
    if (w.session.results_final) {
      run.end = NetRaceEnd::kFinal;
      return false;
    }
    return true;
  };
  while (setup.limit_seconds <= 0 || clock.now() < setup.limit_seconds) {
    double now = clock.now();
    double advance = now - previous;
    previous = now;
    // Like the game, a client behind the server's clock catches up and one ahead waits.
    advance = br::network_adjusted_advance(advance, w.last_server_frame, w.frame,
                                           w.race_start_frame, w.step);
    target += advance;
    if (!catch_up(w, now, target, simulated, step)) {
      run.seconds = clock.now();
      // Our results are final; leaving at once would have the server rank us on what it
      // heard before our last timing records.
      if (run.end == NetRaceEnd::kFinal) deliver_outbox(w, clock, kDeliverPatience);
      return run;
    }
    // One step's wait: the next pass measures how long it really was.
    clock.sleep(w.step);
  }
  run.seconds = clock.now();
  return run;
}

}  // namespace brrace
