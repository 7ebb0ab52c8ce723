// bermrider-server: the game server. One process runs one race at a time on one UDP port.
//   bermrider-server [--config FILE] [--port N]
// Its home (results, uploads, the log "server-log.txt") is the game's home directory; the
// tracks come from the game data, found as the game finds it.
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bike/physics_world.h"
#include "console.h"
#include "http_server.h"
#include "files/search_dirs.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "race.h"
#include "relay.h"
#include "server.h"
#include "track/scenery.h"
#include "track/track_list.h"
#include "track/track_loader.h"

namespace {

constexpr const char* kLogName = "server-log.txt";
constexpr double kPassSeconds = 1.0 / brserver::kStepsPerSecond;

volatile std::sig_atomic_t g_stop = 0;

void on_stop(int) {
  g_stop = 1;
}

void catch_stop_signals() {
  struct sigaction a {};
  a.sa_handler = on_stop;
  sigemptyset(&a.sa_mask);
  // No restarting: a signal must end the wait of the race thread's pass.
  a.sa_flags = 0;
  sigaction(SIGINT, &a, nullptr);
  sigaction(SIGTERM, &a, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

const char* kUsage =
    "Usage: bermrider-server [--config FILE] [--port N]\n"
    "  --config FILE  read the settings from FILE (key=value lines)\n"
    "  --port N       the UDP port, over the file's (0: any free one)\n"
    "  --help         this text\n"
    "  --version      the version\n"
    "Console commands on standard input: list, kick SLOT [WHY], restart, next, say TEXT,\n"
    "status, stop, help.\n";

struct Options {
  std::string config;
  int port = -1;  // -1 = the file's
};

// 0 to run; otherwise the exit status after the message.
int parse_options(const std::vector<std::string>& args, Options& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* name, std::string& out) {
      std::string prefix = std::string(name) + "=";
      if (a == name && i + 1 < args.size()) {
        out = args[++i];
        return true;
      }
      if (a.rfind(prefix, 0) == 0) {
        out = a.substr(prefix.size());
        return true;
      }
      return false;
    };
    std::string v;
    if (a == "--help") {
      std::fputs(kUsage, stdout);
      return -1;
    } else if (a == "--version") {
      std::printf("bermrider-server %s\n", BR_VERSION);
      return -1;
    } else if (value("--config", v)) {
      o.config = v;
    } else if (value("--port", v)) {
      char* end = nullptr;
      long port = std::strtol(v.c_str(), &end, 10);
      if (v.empty() || *end || port < 0 || port > 65535) {
        std::fprintf(stderr, "bermrider-server: bad port '%s'\n", v.c_str());
        return 1;
      }
      o.port = static_cast<int>(port);
    } else {
      std::fprintf(stderr, "bermrider-server: bad option '%s'\n%s", a.c_str(), kUsage);
      return 1;
    }
  }
  return 0;
}

double now_seconds() {
  return kota::clock_seconds(kota::clock_now());
}

bool stdin_readable() {
  pollfd p{STDIN_FILENO, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLIN | POLLHUP));
}

double processor_seconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int status = parse_options(std::vector<std::string>(argv + 1, argv + argc), options);
  if (status != 0) return status < 0 ? 0 : status;

  const std::string& home = br::home_directory();
  if (!home.empty()) {
    br::make_directories(home);
    kota::log_name_file((home + kLogName).c_str());
  }
  brserver::Server s;
  if (!options.config.empty()) {
    std::string problems;
    if (!brserver::read_config_file(s.config, options.config, problems)) {
      std::fprintf(stderr, "bermrider-server: can't read '%s'\n", options.config.c_str());
      return 1;
    }
    if (!problems.empty()) {
      std::fprintf(stderr, "bermrider-server: %s:\n%s", options.config.c_str(), problems.c_str());
      kota::log_printf("%s:\n%s", options.config.c_str(), problems.c_str());
    }
  }
  if (options.port >= 0) s.config.port = options.port;

  br::World& w = br::g_world;
  br::world_reset();
  br::install_scenery_steps();
  if (!br::build_startup_track_list()) {
    std::fputs("bermrider-server: no tracks found in the game data\n", stderr);
    return 1;
  }
  br::physics_world_open(w);

  std::string error;
  double started = now_seconds();
  if (!brserver::server_open(s, started, error)) {
    std::fprintf(stderr, "bermrider-server: %s\n", error.c_str());
    br::physics_world_close(w);
    return 1;
  }
  catch_stop_signals();

  // The page is a guest: when it can't start, the races still run.
  brserver::LiveTiming live(s.board);
  if (s.config.http_port != 0) {
    brserver::LiveTimingSetup setup;
    setup.address = s.config.http_address;
    setup.port = s.config.http_port;
    setup.results_dir = home.empty() ? "" : home + "results/";
    if (live.start(setup, error)) {
      brserver::server_log("Live timing on http://%s:%d/", setup.address.c_str(), live.port());
    } else {
      brserver::server_log("No live timing page: %s", error.c_str());
    }
  }

  bool console = true;
  std::string pending;
  while (!g_stop && !s.stopping) {
    double now = now_seconds();
    brserver::server_receive(s, now);
    brserver::race_tick(s, now);
    brserver::relay_tick(s, now);
    if (console && stdin_readable()) console = brserver::console_poll(s, pending, now);
    s.socket.wait(kPassSeconds, -1);
  }

  double ran = now_seconds() - started;
  live.stop();
  brserver::server_log("Stopping: telling the riders");
  brserver::server_close(s);
  double cpu = processor_seconds();
  brserver::server_log(
      "Ran %.1f s, processor %.1f s (%.1f%%); out %llu datagrams, %llu bytes; in %llu "
      "datagrams (%llu refused)",
      ran, cpu, ran > 0 ? 100 * cpu / ran : 0.0, static_cast<unsigned long long>(s.datagrams_out),
      static_cast<unsigned long long>(s.bytes_out),
      static_cast<unsigned long long>(s.datagrams_in),
      static_cast<unsigned long long>(s.refused_in));
  if (w.track.loaded) br::free_track();
  br::physics_world_close(w);
  kota::log_printf(nullptr);
  return 0;
}
