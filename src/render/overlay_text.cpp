#include "render/overlay_text.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "files/messages.h"
#include "race/cutting_penalty.h"
#include "race/laps.h"

namespace br {
namespace {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
  char buffer[256];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buffer, sizeof buffer, fmt, args);
  va_end(args);
  return buffer;
}

const RiderSlot& slot_of(const World& w, const RiderOrderEntry& e) {
  return w.slots[static_cast<size_t>(e.slot)];
}

// The step the rider passed sequence position c at, or -1 when it was skipped or not reached.
int32_t gate_time(const RiderTiming& t, int c) {
  if (c < 0 || c >= t.gates_passed || c >= static_cast<int>(t.gate_times.size())) return -1;
  return t.gate_times[static_cast<size_t>(c)];
}

double seconds(int64_t steps, const World& w) {
  return static_cast<double>(steps) * w.step;
}

int position_in_order(const World& w, int slot) {
  for (size_t i = 0; i < w.order.size(); ++i) {
    if (w.order[i].slot == slot) return static_cast<int>(i);
  }
  return -1;
}

// Laps done by the standings' count, which a cutting penalty may have lowered.
int laps_done(const World& w, const RiderOrderEntry& e) {
  return laps_completed(lap_shape(w.track.timing), e.progress);
}

std::string close_riders(const World& w, int index) {
  const RiderOrderEntry& self = w.order[static_cast<size_t>(index)];
  int last_gate = self.progress - 1;
  int32_t mine = gate_time(slot_of(w, self).timing, last_gate);
  if (mine < 0) return "";
  // The nearest first, stopping at the first rider too far ahead; shown front first.
  std::vector<std::string> names;
  for (int i = index - 1; i >= 0; --i) {
    const RiderSlot& ahead = slot_of(w, w.order[static_cast<size_t>(i)]);
    int32_t theirs = gate_time(ahead.timing, last_gate);
    if (theirs < 0 || mine - theirs > kCloseRiderSteps) break;
    names.push_back(format(" %.5s (%.1f) ", ahead.identity.name.c_str(), seconds(mine - theirs, w)));
  }
  std::string line;
  for (auto it = names.rbegin(); it != names.rend(); ++it) line += *it;
  return line;
}

}  // namespace

int64_t steps_to_ms(int64_t steps, double step_seconds) {
  if (steps <= 0) return 0;
  // Steps of 1/128 s are exact in a double, so the floor is the true whole millisecond.
  return static_cast<int64_t>(std::floor(static_cast<double>(steps) * step_seconds * 1000.0));
}

std::string clock_tenths(int64_t ms) {
  ms = std::max<int64_t>(ms, 0);
  return format("%d:%02d.%d", static_cast<int>(ms / 60000), static_cast<int>(ms / 1000 % 60),
                static_cast<int>(ms % 1000 / 100));
}

std::string clock_millis(int64_t ms) {
  ms = std::max<int64_t>(ms, 0);
  return format("%d:%02d.%03d", static_cast<int>(ms / 60000), static_cast<int>(ms / 1000 % 60),
                static_cast<int>(ms % 1000));
}

int32_t order_gap_steps(const World& w, const RiderOrderEntry& self, const RiderOrderEntry& other) {
  if (self.progress == other.progress) {
    if (self.last_step == 0 || other.last_step == 0) return 0;
    return other.last_step - self.last_step;
  }
  int common = std::min(self.progress, other.progress) - 1;
  int32_t mine = gate_time(slot_of(w, self).timing, common);
  int32_t theirs = gate_time(slot_of(w, other).timing, common);
  if (mine < 0 || theirs < 0) return 0;
  return theirs - mine;
}

std::optional<Pitboard> pitboard_for(const World& w, int slot) {
  int index = position_in_order(w, slot);
  if (index < 0) return std::nullopt;
  const RiderOrderEntry& self = w.order[static_cast<size_t>(index)];
  const RiderSlot& rider = w.slots[static_cast<size_t>(slot)];
  const SessionState& session = w.session;
  LapShape shape = lap_shape(w.track.timing);

  Pitboard board;
  board.number = rider.identity.number;
  board.place = session.time_trial ? format("P%d", index + 1)
                                   : format("L%d P%d", laps_done(w, self) + 1, index + 1);
  // The rider ahead; the leader hears how far back the second is.
  int neighbour = index > 0 ? index - 1 : index + 1;
  int32_t gap = 0;
  if (neighbour < static_cast<int>(w.order.size())) {
    gap = order_gap_steps(w, self, w.order[static_cast<size_t>(neighbour)]);
  }
  board.gap = format("%+.1f ", seconds(gap, w));

  int32_t last = 0, best = 0;
  if (session.time_trial) {
    last = session.last_lap_frames;
    best = session.best_lap_frames;
  } else {
    last = lap_time_steps(shape, rider.timing, w.race_start_frame,
                          laps_completed(shape, rider.timing.gates_passed));
    best = best_lap(shape, rider.timing, w.race_start_frame).steps;
  }
  if (last > 0) board.last = "Last - " + clock_tenths(steps_to_ms(last, w.step)) + " ";
  if (best > 0) board.best = "Best - " + clock_tenths(steps_to_ms(best, w.step));
  if (!session.time_trial) board.close = close_riders(w, index);
  return board;
}

std::optional<ResultsTable> results_table(const World& w) {
  if (w.order.empty() || !slot_of(w, w.order.front()).timing.finished) return std::nullopt;
  bool final = w.session.results_final;
  LapShape shape = lap_shape(w.track.timing);
  ResultsTable table;
  table.title = final ? "Final Results" : "Unofficial Results";
  const RiderOrderEntry* above = nullptr;
  for (size_t i = 0; i < w.order.size(); ++i) {
    const RiderOrderEntry& e = w.order[i];
    const RiderSlot& rider = slot_of(w, e);
    if (!final && !rider.timing.finished) continue;
    ResultsRow row;
    row.position = format("%d", static_cast<int>(i) + 1);
    row.number = format("%3s", rider.identity.number.c_str());
    row.laps = format("L%d", laps_done(w, e));
    row.gap = format("%7.3f", above ? seconds(order_gap_steps(w, *above, e), w) : 0.0);
    BestLap best = best_lap(shape, rider.timing, w.race_start_frame);
    if (best.lap > 0) {
      row.best = clock_millis(steps_to_ms(best.steps, w.step));
      row.best_lap = format("(%d)", best.lap);
    }
    row.viewed = e.slot == w.viewed_slot;
    table.rows.push_back(std::move(row));
    above = &e;
  }
  if (final) {
    const RiderOrderEntry& winner = w.order.front();
    table.total_time = "Total Race Time: " +
                       clock_millis(steps_to_ms(winner.last_step - w.race_start_frame, w.step));
    for (const RiderOrderEntry& e : w.order) {
      std::string line = penalty_report(e, slot_of(w, e).identity.number, w.step);
      if (!line.empty()) table.penalty_lines.push_back(std::move(line));
    }
  }
  return table;
}

std::vector<std::string> render_stats_lines(const RenderStats& s) {
  auto line = [](const char* name, const RenderCounter& c) {
    return format("%s - %d max=%d", name, c.value, c.max);
  };
  return {line("Ground polygons", s.ground_polygons), line("Model polygons", s.model_polygons),
          line("Billboards", s.billboards),           line("Decals", s.decals),
          line("Texture Changes", s.texture_changes), line("Shader Changes", s.shader_changes)};
}

std::vector<std::string> information_lines(const World& w, const OverlayReadings& readings,
                                           const RenderStats& stats) {
  std::vector<std::string> lines;
  const Settings& s = w.settings;
  if (s.draw_fps.value) lines.push_back(format("FPS - %d", readings.frames_per_second));
  if (s.draw_time.value) {
    int64_t since_start = static_cast<int64_t>(w.frame) - w.race_start_frame;
    lines.push_back("Time - " + clock_tenths(steps_to_ms(since_start, w.step)) + " ");
  }
  if (s.draw_ping.value && w.connected && readings.ping_steps) {
    lines.push_back(format("Ping - %dms (%dms offset)",
                           static_cast<int>(std::lround(*readings.ping_steps * w.step * 1000)),
                           static_cast<int>(std::lround(readings.server_offset_steps * w.step * 1000))));
  }
  if (w.options.draw_render_stats) {
    for (std::string& line : render_stats_lines(stats)) lines.push_back(std::move(line));
  }
  for (int n = std::min(w.visible_messages, kMessageRingLines) - 1; n >= 0; --n) {
    std::string text = message_line(n);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    lines.push_back(std::move(text));
  }
  return lines;
}

int count_frame(FrameRate& rate, double now) {
  if (rate.window_start < 0) rate.window_start = now;
  double since = now - rate.window_start;
  if (since >= 1.0) {
    // After a stall of more than a second the last count says nothing about now.
    bool stalled = since >= 2.0;
    rate.per_second = stalled ? 0 : rate.frames;
    rate.window_start = stalled ? now : rate.window_start + 1.0;
    rate.frames = 0;
  }
  rate.frames += 1;
  return rate.per_second;
}

std::vector<TickerCell> ticker_cells(const World& w) {
  std::vector<TickerCell> cells;
  const RiderOrderEntry* above = nullptr;
  for (size_t i = 0; i < w.order.size(); ++i) {
    const RiderOrderEntry& e = w.order[i];
    const RiderSlot& rider = slot_of(w, e);
    TickerCell cell;
    cell.position = format("%d", static_cast<int>(i) + 1);
    cell.number = rider.identity.number;
    cell.name = rider.identity.name;
    cell.lap = format("Lap %d", laps_done(w, e) + 1);
    cell.gap = format("%7.3f", above ? seconds(order_gap_steps(w, *above, e), w) : 0.0);
    cells.push_back(std::move(cell));
    above = &e;
  }
  return cells;
}

float ticker_scroll(double world_time, size_t cells) {
  if (cells == 0 || world_time <= 0) return 0;
  double band = static_cast<double>(cells) * kTickerCellWidth;
  double scrolled = world_time / kTickerSecondsPerCell * kTickerCellWidth;
  return static_cast<float>(std::fmod(scrolled, band));
}

}  // namespace br
