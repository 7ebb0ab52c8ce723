// What ruts cost: the world tick of N bikes riding away from the default track's grid, with
// erosion off and on in alternate turns of one second in one run, so that other work on the
// machine weighs on both alike. Roost flies at the game's default density in both. The bikes
// hold their heading at full throttle and go back to the grid every few seconds. With --robots
// the robots race on rabbithill instead, on their own lines, from the gate on; the first
// seconds after the gate (the pack leaving it) count too. Times are this thread's processor
// time.
//   bench_erosion [--robots] [bikes=40] [seconds=20] [erode=50] [data directory]
#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "bench_bikes.h"
#include "bench_home.h"
#include "bike/bike.h"
#include "bike/controls.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "headless.h"
#include "race/grid.h"
#include "race/session.h"
#include "shell/world_tick.h"
#include "track/scenery.h"
#include "track/terrain_deform.h"
#include "track/track_loader.h"
#include "world/world.h"

namespace {

double cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

constexpr int kTurn = 128;        // ticks per turn of one configuration
constexpr int kRegrid = 6 * 128;  // ticks between returns to the grid

void to_grid(br::World& w, int bikes) {
  for (int i = 0; i < bikes; ++i) {
    br::GridSpot spot = br::grid_spot(i, w.track.timing.starts, w.track.terrain.extent);
    br::place_on_ground(*w.slots[i].bike, w.track.terrain, spot.x, spot.z, spot.heading);
  }
}

double heading(const br::Bike& bike) {
  dVector3 f;
  dBodyVectorToWorld(bike.bodies[br::kBodyFrame], 0, 0, -1, f);
  return std::atan2(-f[0], -f[2]);
}

// A race of `bikes` robots on rabbithill, set up as the game sets one up.
bool start_robot_race(br::World& w, int bikes) {
  std::string error;
  if (!brrace::headless_start(w, error) || !w.stock_shapes ||
      !brrace::choose_track(w, "rabbithill")) {
    return false;
  }
  br::Lineup lineup{};
  for (int i = 0; i < bikes && i < br::kLineupSize; ++i) {
    lineup[static_cast<size_t>(i)] = br::kLineupRobot;
  }
  br::SessionStart start;
  start.lineup = &lineup;
  start.laps = 1;
  return br::start_session(w, start);
}

// Seconds from the session's start to the gate dropping, run untimed.
constexpr double kRobotWarmUp = 16.0;

}  // namespace

int main(int argc, char** argv) {
  const bool robots = argc > 1 && std::string(argv[1]) == "--robots";
  if (robots) {
    --argc;
    ++argv;
  }
  int bikes = argc > 1 ? std::atoi(argv[1]) : 40;
  double seconds = argc > 2 ? std::atof(argv[2]) : 20;
  float erode = argc > 3 ? static_cast<float>(std::atof(argv[3])) : 50.0f;
  std::string data = argc > 4 ? argv[4] : "";
#ifdef BR_DEFAULT_DATA_DIR
  if (data.empty()) data = BR_DEFAULT_DATA_DIR;
#endif
  if (data.empty() || bikes < 1 || bikes > br::kRiderSlots || !(seconds > 0) || !(erode > 0)) {
    std::fprintf(
        stderr,
        "usage: bench_erosion [--robots] [bikes 1-160] [seconds] [erode 0-100] [data directory]\n");
    return 1;
  }
  const BenchHome home(data);
  if (!home.ok()) return 1;
  br::World& w = br::g_world;
  std::vector<double> lines(static_cast<size_t>(bikes));
  if (robots) {
    if (!start_robot_race(w, bikes)) {
      std::fprintf(stderr, "a race of robots does not start on rabbithill from %s\n", data.c_str());
      return 1;
    }
    for (int done = 0; done < static_cast<int>(kRobotWarmUp / br::kSimStep); ++done) {
      br::world_tick(w);
    }
  } else {
    br::world_reset();
    br::install_scenery_steps();
    if (!br::load_track("rabbithill")) {
      std::fprintf(stderr, "rabbithill does not load from %s\n", data.c_str());
      return 1;
    }
    w.track.scenery.statues.clear();  // the starting gates stay down
    br::register_statues();
    br::physics_world_open(w);
    for (int i = 0; i < bikes; ++i) {
      if (!build_bench_bike(w, i)) return 1;
    }
    to_grid(w, bikes);
    for (int i = 0; i < bikes; ++i) lines[static_cast<size_t>(i)] = heading(*w.slots[i].bike);
  }

  int ticks = static_cast<int>(seconds / br::kSimStep);
  double time[2] = {0, 0};
  int counted[2] = {0, 0};
  for (int done = 0; done < ticks; ++done) {
    if (!robots && done % kRegrid == 0 && done > 0) to_grid(w, bikes);
    int on = (done / kTurn) % 2;
    w.options.erode = on ? erode : 0.0f;
    for (int i = 0; i < bikes && !robots; ++i) {
      br::Bike& bike = *w.slots[i].bike;
      double off = std::remainder(lines[static_cast<size_t>(i)] - heading(bike), 2 * M_PI);
      br::set_steering(bike, static_cast<float>(std::clamp(-2 * off, -0.3, 0.3)));
      br::set_throttle(bike, 1);
    }
    double start = cpu_seconds();
    br::world_tick(w);
    time[on] += cpu_seconds() - start;
    counted[on] += 1;
  }

  br::TerrainChange change = br::terrain_change(w.track.terrain);
  double off_us = time[0] * 1e6 / counted[0], on_us = time[1] * 1e6 / counted[1];
  std::printf(
      "erosion %s=%d erode=%.0f us_per_tick_off=%.1f us_per_tick_on=%.1f extra=%.1f%% "
      "changed_samples=%d deepest_cut_ft=%.3f roost_in_flight=%d\n",
      robots ? "robots" : "bikes", bikes, erode, off_us, on_us, (on_us / off_us - 1) * 100,
      change.samples, change.deepest_cut, w.track.roost.active);
  br::physics_world_close(w);
  br::free_track();
  return 0;
}
