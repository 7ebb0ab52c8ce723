#include "net_race.h"

#include <array>
#include <chrono>
#include <thread>

#include "net/client.h"
#include "pilot/pilot.h"
#include "race/laps.h"
#include "shell/frame_loop.h"
#include "shell/world_tick.h"

namespace brrace {
namespace {

constexpr double kDeliverSeconds = 5.0;  // wall time for the last messages to be acknowledged

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The server's warm-up is free riding with the gate down from the start; a race it announces
// drops the gate later. Only the announced race counts.
bool announced_race(const br::World& w) {
  return w.session.loaded && w.race_start_frame > 0;
}

// The own rider's last timing records may still be on their way when our results are
// final; leaving at once would have the server rank us on what it heard before them.
void deliver_outbox(br::World& w, std::chrono::steady_clock::time_point began) {
  // The step that made the results final may have added the own finishing record, which
  // only the next service queues: at least one service, then until everything is through.
  const double until = seconds_since(began) + kDeliverSeconds;
  do {
    double now = seconds_since(began);
    if (now >= until) return;
    br::net_service(w, now);
    std::this_thread::sleep_for(std::chrono::duration<double>(w.step));
  } while (!w.net.outbox.queue.empty() && w.net.socket.is_open());
}

}  // namespace

NetRaceRun run_network_race(br::World& w, const NetRaceSetup& setup, const RaceHooks& hooks) {
  NetRaceRun run;
  br::BikeSetup& own = w.settings.setup;
  if (!setup.name.empty()) own.name.value = setup.name;
  if (!setup.number.empty()) own.number.value = setup.number;
  if (!br::net_connect(w, setup.address, setup.password)) return run;

  auto began = std::chrono::steady_clock::now();
  br::Pilot pilot;
  const br::Bike* piloted = nullptr;
  br::LapShape shape;
  std::array<int, br::kRiderSlots> laps{};
  double target = 0, simulated = 0, previous = 0;  // seconds
  run.end = NetRaceEnd::kLimit;
  while (setup.limit_seconds <= 0 || seconds_since(began) < setup.limit_seconds) {
    double now = seconds_since(began);
    double advance = now - previous;
    previous = now;
    // Like the game, a client behind the server's clock catches up and one ahead waits.
    advance = br::network_adjusted_advance(advance, w.last_server_frame, w.frame,
                                           w.race_start_frame, w.step);
    target += advance;
    while (simulated < target) {
      simulated += w.step;
      br::net_service(w, now);
      if (!w.net.socket.is_open()) {
        run.end = NetRaceEnd::kDisconnected;
        run.seconds = seconds_since(began);
        return run;
      }
      if (!w.session.loaded || w.last_server_frame <= 0) continue;
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
      if (!announced_race(w)) continue;
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
        run.seconds = seconds_since(began);
        deliver_outbox(w, began);
        return run;
      }
    }
    // One step's wait: the next pass measures how long it really was.
    std::this_thread::sleep_for(std::chrono::duration<double>(w.step));
  }
  run.seconds = seconds_since(began);
  return run;
}

}  // namespace brrace
