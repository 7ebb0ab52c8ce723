// How late the server's race steps come, with and without browsers polling its live timing
// page. The race thread runs as bermrider-server's does (receive, race, relay, wait for the
// next step) with RIDERS racing: each sends a state every fourth step (relayed to all the
// others over 127.0.0.1) and passes a timing gate every few seconds (a new standings copy).
// A step is late by the time from when it was due to the pass that ran it; as the program's,
// the loop waits a whole step after each pass (or less when a datagram comes), so lateness up
// to one step (7.8 ms) is its design: what counts is whether browsers add to it. Then the same
// again with BROWSERS threads asking for /api/live every 0.4 s, as the page does.
//   bench_live_timing_jitter [riders=20] [seconds=20] [browsers=50] [data directory]
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench_home.h"
#include "bike/physics_world.h"
#include "http_server.h"
#include "files/search_dirs.h"
#include "net/description.h"
#include "platform/clock.h"
#include "race/laps.h"
#include "race.h"
#include "relay.h"
#include "server.h"
#include "track/scenery.h"
#include "track/track_list.h"
#include "track/track_loader.h"

namespace {

constexpr double kPassSeconds = 1.0 / brserver::kStepsPerSecond;
constexpr double kGateEverySeconds = 3.0;   // per rider, staggered
constexpr int kPagePollMs = 400;            // as the page's script

double now_seconds() {
  return kota::clock_seconds(kota::clock_now());
}

// Riders who are already through their handshake and on the grid: what they send is put
// straight into their slots, and what the server sends them goes to one socket that drops it.
void seat_riders(brserver::Server& s, int riders, const kota::UdpAddress& sink, double now) {
  for (int i = 0; i < riders; ++i) {
    brserver::Client& c = s.clients[static_cast<size_t>(i)];
    c.used = true;
    c.address = sink;
    c.key = 1;
    c.stage = brserver::Stage::kRacing;
    c.identity.bike_model = "cr125";
    c.identity.number = std::to_string(i + 1);
    c.identity.name = "Rider " + std::to_string(i + 1);
    c.description = br::description_text(c.identity);
    c.joined = c.last_heard = now;
    c.relayed.assign(brserver::kSlots, INT32_MIN);
    for (int j = 0; j < riders; ++j) {
      if (j != i) c.known.set(static_cast<size_t>(j));
    }
  }
  brserver::announce_race(s, now, false);
  for (int i = 0; i < riders; ++i) {
    brserver::Client& c = s.clients[static_cast<size_t>(i)];
    c.restart_pending = false;
    c.generation = s.race.number;
  }
}

struct Lateness {
  std::vector<double> ms;        // one per step
  std::vector<double> gaps_ms;   // between passes
};

void run_race(brserver::Server& s, int riders, double seconds, Lateness& out) {
  br::LapShape shape = br::lap_shape(br::g_world.track.timing);
  std::vector<int> gates(static_cast<size_t>(riders), 0);
  double begin = now_seconds(), last_pass = begin;
  int32_t last_step = s.step;
  while (true) {
    double now = now_seconds();
    if (now - begin >= seconds) break;
    out.gaps_ms.push_back((now - last_pass) * 1000);
    last_pass = now;
    brserver::server_receive(s, now);
    brserver::race_tick(s, now);
    // Every step this pass ran was due at the race epoch plus its number of steps.
    for (int32_t k = last_step + 1; k <= s.step; ++k) {
      out.ms.push_back((now - (s.race.epoch + k * kPassSeconds)) * 1000);
    }
    last_step = s.step;
    for (int i = 0; i < riders; ++i) {
      brserver::Client& c = s.clients[static_cast<size_t>(i)];
      c.last_heard = now;
      brserver::rider_heard(s, c, now);  // or the results go final without them
      c.timing_to_relay.clear();
      c.outbox = br::ReliableOutbox{};
      if (s.step % brserver::kRelayEverySteps == 0) {
        c.has_state = true;
        c.state_step = s.step;
      }
      double due = s.race.epoch + s.race.start_step * kPassSeconds +
                   (gates[static_cast<size_t>(i)] + 1) * kGateEverySeconds + i * 0.1;
      if (s.step > s.race.start_step && now >= due && shape.timed()) {
        int& g = gates[static_cast<size_t>(i)];
        brserver::rider_timing_record(s, c, static_cast<uint32_t>(g), s.step, now);
        ++g;
      }
    }
    brserver::relay_tick(s, now);
    s.socket.wait(kPassSeconds, -1);
  }
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5));
  return v[i];
}

void print(const char* what, const Lateness& l) {
  double sum = 0;
  int over_1ms = 0, over_4ms = 0;
  for (double x : l.ms) {
    sum += x;
    over_1ms += x > 1.0;
    over_4ms += x > 4.0;
  }
  std::printf("%-22s steps %6zu  late ms: mean %.3f  p50 %.3f  p99 %.3f  p99.9 %.3f  max %.3f"
              "  (>1 ms: %d, >4 ms: %d)\n",
              what, l.ms.size(), l.ms.empty() ? 0.0 : sum / l.ms.size(), percentile(l.ms, 0.5),
              percentile(l.ms, 0.99), percentile(l.ms, 0.999), percentile(l.ms, 1.0), over_1ms,
              over_4ms);
  std::printf("%-22s passes %5zu  gap ms: p50 %.3f  p99 %.3f  p99.9 %.3f  max %.3f\n", "",
              l.gaps_ms.size(), percentile(l.gaps_ms, 0.5), percentile(l.gaps_ms, 0.99),
              percentile(l.gaps_ms, 0.999), percentile(l.gaps_ms, 1.0));
}

}  // namespace

int main(int argc, char** argv) {
  int riders = argc > 1 ? std::atoi(argv[1]) : 20;
  double seconds = argc > 2 ? std::atof(argv[2]) : 20;
  int browsers = argc > 3 ? std::atoi(argv[3]) : 50;
  std::string data = argc > 4 ? argv[4] : BR_DEFAULT_DATA_DIR;
  riders = std::clamp(riders, 1, brserver::kSlots);

  BenchHome home(data);
  br::world_reset();
  br::install_scenery_steps();
  if (!br::build_startup_track_list()) {
    std::fprintf(stderr, "no tracks in %s\n", data.c_str());
    return 1;
  }
  br::physics_world_open(br::g_world);
  brserver::Server s;
  s.config.port = 0;
  s.config.address = "127.0.0.1";
  s.config.laps = 1000;  // the race outlasts the benchmark
  s.config.start_delay = 1;
  s.config.timeout = 1e6;
  std::string error;
  if (!brserver::server_open(s, now_seconds(), error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  kota::UdpSocket sink;
  if (!sink.open(0, kota::udp_loopback(0).host, error)) {
    std::fprintf(stderr, "sink: %s\n", error.c_str());
    return 1;
  }
  // The sink drops what it gets, so that the system's buffer never fills.
  std::atomic<bool> done{false};
  std::thread drain([&] {
    uint8_t buffer[2048];
    kota::UdpAddress from;
    while (!done) {
      while (sink.receive(buffer, sizeof buffer, from)) {
      }
      sink.wait(0.01, -1);
    }
  });
  seat_riders(s, riders, kota::udp_loopback(sink.local_port()), now_seconds());

  brserver::LiveTiming live(s.board);
  brserver::LiveTimingSetup setup;
  setup.results_dir = br::home_directory() + "results/";
  if (!live.start(setup, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::printf("%d riders on %s, %.0f s each run, %d browsers polling every %d ms\n", riders,
              s.race.track.c_str(), seconds, browsers, kPagePollMs);

  Lateness quiet;
  run_race(s, riders, seconds, quiet);
  print("no browsers", quiet);

  std::atomic<bool> polling{true};
  std::atomic<uint64_t> answered{0}, failed{0};
  std::vector<double> latencies_ms;
  std::mutex latencies_mutex;
  std::vector<std::thread> crowd;
  for (int b = 0; b < browsers; ++b) {
    crowd.emplace_back([&, b] {
      httplib::Client client("127.0.0.1", live.port());
      std::this_thread::sleep_for(std::chrono::milliseconds(b * kPagePollMs / std::max(1, browsers)));
      while (polling) {
        auto asked = std::chrono::steady_clock::now();
        httplib::Result r = client.Get("/api/live");
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count();
        if (r && r->status == 200) {
          ++answered;
          std::lock_guard<std::mutex> lock(latencies_mutex);
          latencies_ms.push_back(ms);
        } else {
          ++failed;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPagePollMs));
      }
    });
  }
  Lateness crowded;
  run_race(s, riders, seconds, crowded);
  polling = false;
  for (std::thread& t : crowd) t.join();
  std::string label = std::to_string(browsers) + " browsers polling";
  print(label.c_str(), crowded);
  std::printf("browsers: %llu answers (%.0f a second), %llu failed; answer ms p50 %.2f p99 %.2f "
              "max %.2f\n",
              static_cast<unsigned long long>(answered.load()), answered / seconds,
              static_cast<unsigned long long>(failed.load()), percentile(latencies_ms, 0.5),
              percentile(latencies_ms, 0.99), percentile(latencies_ms, 1.0));
  std::printf("standings published %llu times; server sent %llu datagrams\n",
              static_cast<unsigned long long>(s.board.read().version),
              static_cast<unsigned long long>(s.datagrams_out));

  live.stop();
  done = true;
  drain.join();
  server_close(s);
  if (br::g_world.track.loaded) br::free_track();
  br::physics_world_close(br::g_world);
  return 0;
}
