// The standings as the race thread last published them, for readers on other threads (the
// live timing page). The race thread publishes a whole copy after every change; a reader
// takes a whole copy; nothing else is shared.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace brserver {

struct StandingRow {
  int slot = 0;
  std::string number;
  std::string name;
  std::string bike;
  int gates_passed = 0;
  int laps = 0;
  int32_t last_step = 0;     // of the last gate passed, with any penalty
  int32_t best_lap = 0;      // steps, 0 = none
  bool finished = false;
  bool connected = true;
};

struct StandingsView {
  uint32_t race = 0;
  std::string track;
  int32_t duration = 0;  // steps, 0 = none
  int32_t laps = 0;
  int32_t start_step = 0;
  int32_t step = 0;   // the race clock when published
  bool started = false;
  bool final = false;
  std::vector<StandingRow> rows;  // in running order
  uint64_t version = 0;  // grows with every publication
};

class StandingsBoard {
 public:
  void publish(StandingsView view) {
    std::lock_guard<std::mutex> lock(mutex_);
    view.version = ++version_;
    view_ = std::move(view);
  }
  StandingsView read() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return view_;
  }

 private:
  mutable std::mutex mutex_;
  StandingsView view_;
  uint64_t version_ = 0;
};

}  // namespace brserver
