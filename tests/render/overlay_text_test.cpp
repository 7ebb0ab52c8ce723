// What the race overlay says: the pitboard, the results table with a penalised and a lapped
// rider, the information lines and the camera tour's ticker, read without a window.
#include "render/overlay_text.h"

#include <gtest/gtest.h>

#include "files/messages.h"
#include "overlay_races.h"

namespace br {
namespace {

using br_test::close_racing;
using br_test::final_results;
using br_test::set_rider;

class OverlayText : public ::testing::Test {
 protected:
  void SetUp() override {
    world_reset();
    message_area_clear(g_world);
    br_test::one_gate_track(g_world);
  }
  void TearDown() override {
    message_area_clear(g_world);
    world_reset();
  }
};

TEST(OverlayClock, FormatsWholeMillisecondsBothWays) {
  EXPECT_EQ(clock_tenths(83456), "1:23.4");
  EXPECT_EQ(clock_millis(83456), "1:23.456");
  EXPECT_EQ(clock_millis(600000 + 5007), "10:05.007");
  EXPECT_EQ(clock_tenths(-5), "0:00.0");
  // 10682 steps of 1/128 s are 83.453125 s: the millisecond is cut, never rounded up.
  EXPECT_EQ(steps_to_ms(10682, kSimStep), 83453);
  EXPECT_EQ(steps_to_ms(-3, kSimStep), 0);
}

TEST_F(OverlayText, ResultsTableListsEveryoneWithThePenaltyOnceFinal) {
  final_results(g_world);
  std::optional<ResultsTable> table = results_table(g_world);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->title, "Final Results");
  ASSERT_EQ(table->rows.size(), 3u);
  const ResultsRow& winner = table->rows[0];
  EXPECT_EQ(winner.position, "1");
  EXPECT_EQ(winner.number, " 12");
  EXPECT_EQ(winner.laps, "L3");
  EXPECT_EQ(winner.gap, "  0.000");
  EXPECT_EQ(winner.best, "1:23.453");
  EXPECT_EQ(winner.best_lap, "(2)");
  EXPECT_FALSE(winner.viewed);
  // A lap down: compared where both last were, the end of lap 2, 1018 steps apart.
  const ResultsRow& lapped = table->rows[1];
  EXPECT_EQ(lapped.number, "  3");
  EXPECT_EQ(lapped.laps, "L2");
  EXPECT_EQ(lapped.gap, "  7.953");
  EXPECT_EQ(lapped.best, "1:29.843");
  EXPECT_TRUE(lapped.viewed);
  // The penalised rider shows the laps he kept; his best lap is still one he rode.
  const ResultsRow& cutter = table->rows[2];
  EXPECT_EQ(cutter.number, "  7");
  EXPECT_EQ(cutter.laps, "L1");
  EXPECT_EQ(cutter.best, "1:23.593");
  EXPECT_EQ(table->total_time, "Total Race Time: 4:27.828");
  ASSERT_EQ(table->penalty_lines.size(), 1u);
  EXPECT_EQ(table->penalty_lines[0], "  7 penalized 2 laps 4.50 seconds for cutting track");
}

TEST_F(OverlayText, ResultsTableWaitsForTheLeaderAndThenShowsOnlyFinishers) {
  set_rider(g_world, 0, "1", "Ann", {12800, 25600}, false);
  set_rider(g_world, 1, "2", "Ben", {12900, 25800}, false);
  g_world.order = {{0, 2, 25600}, {1, 2, 25800}};
  EXPECT_FALSE(results_table(g_world));

  g_world.slots[0].timing.finished = true;
  std::optional<ResultsTable> table = results_table(g_world);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->title, "Unofficial Results");
  ASSERT_EQ(table->rows.size(), 1u);
  EXPECT_EQ(table->rows[0].number, "  1");
  // The first lap never counts, so two laps make the second the best.
  EXPECT_EQ(table->rows[0].best, "1:40.000");
  EXPECT_TRUE(table->total_time.empty());
  EXPECT_TRUE(table->penalty_lines.empty());
}

TEST_F(OverlayText, PitboardShowsPlaceGapAndLaps) {
  final_results(g_world);
  // The leader sees how far back the second is, as a positive gap.
  std::optional<Pitboard> leader = pitboard_for(g_world, 2);
  ASSERT_TRUE(leader);
  EXPECT_EQ(leader->number, "12");
  EXPECT_EQ(leader->place, "L4 P1");
  EXPECT_EQ(leader->gap, "+8.0 ");
  EXPECT_EQ(leader->last, "Last - 1:24.3 ");
  EXPECT_EQ(leader->best, "Best - 1:23.4");
  EXPECT_EQ(leader->close, "");
  // Everyone else sees the gap to the rider ahead, negative.
  std::optional<Pitboard> second = pitboard_for(g_world, 5);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->place, "L3 P2");
  EXPECT_EQ(second->gap, "-8.0 ");
  EXPECT_EQ(second->close, "");  // 8 s is too far to count as close
  EXPECT_FALSE(pitboard_for(g_world, 40));

  // A time trial shows the attempt's place only, and the session's attempt times.
  g_world.session.time_trial = true;
  g_world.session.last_lap_frames = 7808;
  g_world.session.best_lap_frames = 0;
  std::optional<Pitboard> trial = pitboard_for(g_world, 2);
  ASSERT_TRUE(trial);
  EXPECT_EQ(trial->place, "P1");
  EXPECT_EQ(trial->last, "Last - 1:01.0 ");
  EXPECT_EQ(trial->best, "");
}

TEST_F(OverlayText, PitboardNamesTheRidersCloseAhead) {
  close_racing(g_world);
  std::optional<Pitboard> board = pitboard_for(g_world, 3);
  ASSERT_TRUE(board);
  EXPECT_EQ(board->place, "L2 P4");
  EXPECT_EQ(board->gap, "-1.6 ");
  // Front first; the leader, 5.5 s ahead, is too far to count.
  EXPECT_EQ(board->close, " Leona (2.3)  Secon (1.6) ");
  EXPECT_EQ(pitboard_for(g_world, 0)->close, "");
  // Nothing to compare before the first gate.
  set_rider(g_world, 3, "4", "Me", {}, false);
  g_world.order.back() = {3, 0, 0};
  EXPECT_EQ(pitboard_for(g_world, 3)->close, "");
  EXPECT_EQ(pitboard_for(g_world, 3)->gap, "+0.0 ");
}

TEST_F(OverlayText, InformationLinesFollowTheirSettings) {
  RenderStats stats;
  OverlayReadings readings;
  readings.frames_per_second = 59;
  EXPECT_TRUE(information_lines(g_world, readings, stats).empty());

  g_world.settings.draw_fps.value = 1;
  g_world.settings.draw_time.value = 1;
  g_world.settings.draw_ping.value = 1;
  g_world.race_start_frame = 1000;
  g_world.frame = 900;
  std::vector<std::string> lines = information_lines(g_world, readings, stats);
  ASSERT_EQ(lines.size(), 2u);  // no ping while not connected
  EXPECT_EQ(lines[0], "FPS - 59");
  EXPECT_EQ(lines[1], "Time - 0:00.0 ");

  g_world.frame = 1000 + 7808 + 20;
  g_world.connected = true;
  readings.ping_steps = 13;
  readings.server_offset_steps = -1;
  g_world.options.draw_render_stats = 1;
  stats.decals = {4, 9};
  stats.shader_changes = {2, 3};
  show_message("Saved \"screenshot%03d.png\"\n", 1);
  show_message("second");
  lines = information_lines(g_world, readings, stats);
  ASSERT_EQ(lines.size(), 3u + 6u + 2u);
  EXPECT_EQ(lines[1], "Time - 1:01.1 ");
  EXPECT_EQ(lines[2], "Ping - 102ms (-8ms offset)");
  EXPECT_EQ(lines[3], "Ground polygons - 0 max=0");
  EXPECT_EQ(lines[6], "Decals - 4 max=9");
  EXPECT_EQ(lines[8], "Shader Changes - 2 max=3");
  // Messages oldest first, without the line feed a message may end in.
  EXPECT_EQ(lines[9], "Saved \"screenshot001.png\"");
  EXPECT_EQ(lines[10], "second");
}

TEST_F(OverlayText, TickerRunsThroughTheOrderAndWraps) {
  final_results(g_world);
  std::vector<TickerCell> cells = ticker_cells(g_world);
  ASSERT_EQ(cells.size(), 3u);
  EXPECT_EQ(cells[0].position, "1");
  EXPECT_EQ(cells[0].name, "Alexander");
  EXPECT_EQ(cells[0].lap, "Lap 4");
  EXPECT_EQ(cells[0].gap, "  0.000");
  EXPECT_EQ(cells[1].number, "3");
  EXPECT_EQ(cells[1].gap, "  7.953");
  EXPECT_EQ(cells[2].name, "Bob");
  // One cell every two seconds; after the third cell the band starts again.
  EXPECT_FLOAT_EQ(ticker_scroll(0, 3), 0);
  EXPECT_FLOAT_EQ(ticker_scroll(1, 3), kTickerCellWidth / 2);
  EXPECT_FLOAT_EQ(ticker_scroll(5, 3), kTickerCellWidth * 2.5f);
  EXPECT_FLOAT_EQ(ticker_scroll(7, 3), kTickerCellWidth * 0.5f);
  EXPECT_FLOAT_EQ(ticker_scroll(7, 0), 0);
}

TEST(FrameRate, CountsTheFramesOfEachWholeSecond) {
  FrameRate rate;
  EXPECT_EQ(count_frame(rate, 10.0), 0);
  for (int i = 1; i < 30; ++i) count_frame(rate, 10.0 + i / 30.0);
  EXPECT_EQ(count_frame(rate, 11.01), 30);
  EXPECT_EQ(count_frame(rate, 11.5), 30);
  // A stall of several seconds shows as no frames rather than an old rate.
  EXPECT_EQ(count_frame(rate, 15.0), 0);
}

}  // namespace
}  // namespace br
