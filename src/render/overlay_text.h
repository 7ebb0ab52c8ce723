// What the race overlay says, without drawing it: the pitboard's lines, the results table's
// rows, the information lines and the running-order ticker's cells, all from the timing and
// the world record. The game places and draws them (overlay_draw.h); tests read them here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "render/render_stats.h"
#include "world/world.h"

namespace br {

// Whole milliseconds of a step count, never negative.
int64_t steps_to_ms(int64_t steps, double step_seconds);
// "m:ss.t" and "m:ss.mmm" of whole milliseconds.
std::string clock_tenths(int64_t ms);
std::string clock_millis(int64_t ms);

// How far `other` is from `self` in the running order, in steps: positive when `other` is
// behind. Riders on the same gate compare their last gates' steps (penalties included);
// otherwise both are compared at the last gate both have passed. 0 when a time is missing.
int32_t order_gap_steps(const World& w, const RiderOrderEntry& self, const RiderOrderEntry& other);

// The viewed rider's pitboard; empty lines are not drawn.
struct Pitboard {
  std::string number;
  std::string place;  // "L3 P2", or "P2" in a time trial
  std::string gap;    // "+1.3 "
  std::string last;   // "Last - 1:02.3 " or empty
  std::string best;   // "Best - 1:01.9" or empty
  // The riders just ahead who were at most 3 s ahead at the last gate, " Alber (1.2) " each.
  std::string close;
};

constexpr int32_t kCloseRiderSteps = 384;  // 3 s

// None when the slot is not in the running order.
std::optional<Pitboard> pitboard_for(const World& w, int slot);

struct ResultsRow {
  std::string position;  // "%d"
  std::string number;    // "%3s"
  std::string laps;      // "L%d"
  std::string gap;       // "%7.3f" seconds behind the rider above
  std::string best;      // "1:01.234", empty without a best lap
  std::string best_lap;  // "(4)", empty without a best lap
  bool viewed = false;
};

struct ResultsTable {
  std::string title;  // "Final Results" or "Unofficial Results"
  std::vector<ResultsRow> rows;
  std::string total_time;                  // "Total Race Time: ..." once final, else empty
  std::vector<std::string> penalty_lines;  // once final, one per penalised rider
};

inline constexpr const char* kResultsHeads[] = {"Pos.", "No.", "Lap", "Gap", "Best Time", "BLap"};

// None until the rider at the head of the order has finished. Before the results are final
// only the riders who have finished are listed.
std::optional<ResultsTable> results_table(const World& w);

// What the information lines need that the world record does not keep.
struct OverlayReadings {
  int frames_per_second = 0;
  // While connected: the round trip to the server and how far its clock runs ahead of ours.
  std::optional<int32_t> ping_steps;
  int32_t server_offset_steps = 0;
};

// Top left, one a line: frame rate, race time, ping, render statistics (each when its
// setting asks for it), then the shown messages, oldest first.
std::vector<std::string> information_lines(const World& w, const OverlayReadings& readings,
                                           const RenderStats& stats);

std::vector<std::string> render_stats_lines(const RenderStats& stats);

// The frame rate shown: the frames drawn in the latest whole second of wall time.
struct FrameRate {
  double window_start = -1;  // seconds; negative before the first frame
  int frames = 0;
  int per_second = 0;
};
// Counts a frame drawn at `now` seconds and returns the rate to show.
int count_frame(FrameRate& rate, double now);

// The camera tour's band: one cell per rider in the running order.
struct TickerCell {
  std::string position;
  std::string number;
  std::string name;
  std::string lap;  // "Lap %d"
  std::string gap;  // "%7.3f"
};

constexpr float kTickerCellWidth = 21.5f;     // line heights
constexpr double kTickerSecondsPerCell = 2.0;

std::vector<TickerCell> ticker_cells(const World& w);
// How far the band has scrolled at `world_time`, in line heights, wrapped to the band's
// length so that after the last rider comes the first again.
float ticker_scroll(double world_time, size_t cells);

}  // namespace br
