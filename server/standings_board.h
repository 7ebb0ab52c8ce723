// The standings as the race thread last published them, for readers on other threads (the
// live timing page). The race thread publishes a whole, immutable copy after every change and
// the clock after every pass; a reader takes a reference to the latest copy. Publishing
// swaps a pointer under a lock held for no longer than that, so a reader, however slow or
// many, never holds up the race thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace brserver {

struct StandingRow {
  int slot = 0;
  std::string number;
  std::string name;
  std::string bike;
  int gates_passed = 0;
  int laps = 0;              // completed, by the standings' count (a penalty may lower it)
  int32_t last_step = 0;     // of the last gate passed, with any penalty
  int32_t last_lap = 0;      // steps, 0 = none
  int32_t best_lap = 0;      // steps, 0 = none
  int best_lap_number = 0;   // 0 = none
  int32_t gap_steps = 0;     // behind the leader at the last gate both passed
  int laps_down = 0;         // laps behind the leader
  int32_t penalty_steps = 0; // for cutting the track, once the results are final
  int laps_lost = 0;
  bool finished = false;
  bool connected = true;
};

enum class RacePhase { kWarmup, kRacing, kFinished };

struct StandingsView {
  uint32_t race = 0;
  std::string track;
  RacePhase phase = RacePhase::kWarmup;
  int32_t duration = 0;  // steps, 0 = none
  int32_t laps = 0;
  int32_t total_laps = 0;  // the lap that finishes the race; 0 while a timed race runs
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
    auto next = std::make_shared<StandingsView>(std::move(view));
    std::shared_ptr<const StandingsView> old;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      next->version = ++version_;
      old = std::exchange(view_, std::move(next));
    }
  }
  // The race clock moves every pass; the standings only when something happens.
  void publish_clock(int32_t step) { clock_.store(step, std::memory_order_relaxed); }

  std::shared_ptr<const StandingsView> latest() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return view_;
  }
  StandingsView read() const { return *latest(); }
  int32_t clock() const { return clock_.load(std::memory_order_relaxed); }

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const StandingsView> view_ = std::make_shared<StandingsView>();
  uint64_t version_ = 0;
  std::atomic<int32_t> clock_{0};
};

}  // namespace brserver
