// The live timing page: an HTTP server on a thread of its own (and a few workers), answering
// from the standings the race thread publishes. It only reads: nothing a browser sends
// changes the race. Its threads run at a lower priority than the race thread, so that a
// crowd of browsers can't make the race late.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "standings_board.h"

namespace brserver {

constexpr int kHttpWorkers = 4;
constexpr int kHttpNice = 10;               // below the race thread
constexpr size_t kHistoryRaces = 10;         // past races shown
constexpr double kHistoryRefreshSeconds = 1.0;

struct LiveTimingSetup {
  std::string address = "127.0.0.1";
  int port = 0;             // 0: any free port
  std::string results_dir;  // the server's results folder, ending in '/'
};

class LiveTiming {
 public:
  explicit LiveTiming(const StandingsBoard& board);
  ~LiveTiming();
  LiveTiming(const LiveTiming&) = delete;
  LiveTiming& operator=(const LiveTiming&) = delete;

  // Binds the port here and now (so that a port in use is reported to the caller) and
  // starts answering on the page's thread. False with the reason in `error`.
  bool start(const LiveTimingSetup& setup, std::string& error);
  // Stops answering and joins the threads; harmless when not started.
  void stop();

  int port() const;
  uint64_t requests() const;  // answered so far

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace brserver
