#include "http_server.h"

#include <httplib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "http_json.h"
#include "http_page.h"
#include "results_history.h"

namespace brserver {
namespace {

constexpr const char* kJsonType = "application/json; charset=utf-8";
constexpr time_t kSocketTimeoutSeconds = 5;
// Browsers poll twice a second; a connection kept open would hold one of the few workers.
constexpr size_t kRequestsPerConnection = 1;
constexpr size_t kMaxRequestBody = 4096;  // nothing here takes a body
constexpr int kStartWaitMs = 5000;

}  // namespace

struct LiveTiming::State {
  explicit State(const StandingsBoard& b) : board(b) {}

  const StandingsBoard& board;
  httplib::Server http;
  std::thread thread;
  int port = 0;
  std::string results_dir;
  std::atomic<uint64_t> requests{0};

  // The past races, read again from the results files at most once a refresh period.
  std::mutex history_mutex;
  std::string history;
  std::chrono::steady_clock::time_point history_read{};
  bool history_known = false;

  std::string history_text() {
    std::lock_guard<std::mutex> lock(history_mutex);
    auto now = std::chrono::steady_clock::now();
    if (!history_known ||
        now - history_read > std::chrono::duration<double>(kHistoryRefreshSeconds)) {
      history = history_json(read_results_history(results_dir, kHistoryRaces));
      history_read = now;
      history_known = true;
    }
    return history;
  }

  void routes() {
    http.set_default_headers({
        // Only what this server sends may run or load on the page.
        {"Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Cache-Control", "no-store"},
    });
    // The library's default also shares the port with any other program that asks
    // (SO_REUSEPORT): a second server on the same port would answer half the browsers.
    http.set_socket_options([](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    http.set_keep_alive_max_count(kRequestsPerConnection);
    http.set_read_timeout(kSocketTimeoutSeconds, 0);
    http.set_write_timeout(kSocketTimeoutSeconds, 0);
    http.set_payload_max_length(kMaxRequestBody);
    http.new_task_queue = [] { return new httplib::ThreadPool(kHttpWorkers); };

    auto serve = [this](const char* body, const char* type) {
      return [this, body, type](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, type);
        ++requests;
      };
    };
    http.Get("/", serve(kLivePageHtml, "text/html; charset=utf-8"));
    http.Get("/live.js", serve(kLivePageScript, "text/javascript; charset=utf-8"));
    http.Get("/style.css", serve(kLivePageStyle, "text/css; charset=utf-8"));
    http.Get("/api/live", [this](const httplib::Request&, httplib::Response& res) {
      std::shared_ptr<const StandingsView> view = board.latest();
      res.set_content(live_json(*view, board.clock()), kJsonType);
      ++requests;
    });
    http.Get("/api/results", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(history_text(), kJsonType);
      ++requests;
    });
    // Nothing can be changed from a browser.
    auto refuse = [](const httplib::Request&, httplib::Response& res) {
      res.status = 405;
      res.set_header("Allow", "GET, HEAD");
    };
    http.Post(".*", refuse);
    http.Put(".*", refuse);
    http.Patch(".*", refuse);
    http.Delete(".*", refuse);
  }
};

LiveTiming::LiveTiming(const StandingsBoard& board) : state_(std::make_unique<State>(board)) {}

LiveTiming::~LiveTiming() {
  stop();
}

bool LiveTiming::start(const LiveTimingSetup& setup, std::string& error) {
  State& s = *state_;
  if (s.thread.joinable()) {
    error = "the live timing page is already running";
    return false;
  }
  s.results_dir = setup.results_dir;
  s.routes();
  int port = setup.port == 0 ? s.http.bind_to_any_port(setup.address)
                             : (s.http.bind_to_port(setup.address, setup.port) ? setup.port : -1);
  if (port <= 0) {
    error = "can't open TCP port " + std::to_string(setup.port) + " on " + setup.address;
    return false;
  }
  s.port = port;
  s.thread = std::thread([&s] {
    // A thread's nice value is its own on Linux, and the workers started from here inherit
    // it.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kHttpNice);
    s.http.listen_after_bind();
  });
  // A stop before the listening loop runs would go unnoticed by it.
  for (int i = 0; i < kStartWaitMs && !s.http.is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void LiveTiming::stop() {
  State& s = *state_;
  if (!s.thread.joinable()) return;
  s.http.stop();
  s.thread.join();
}

int LiveTiming::port() const {
  return state_->port;
}

uint64_t LiveTiming::requests() const {
  return state_->requests.load();
}

}  // namespace brserver
