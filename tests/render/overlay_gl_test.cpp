// The race overlay drawn through the game's OpenGL path over the game's background, from
// standings written out by hand: the pitboard and information lines in the middle of a race,
// the results table after the finish. What was drawn is checked twice: the text runs against
// what the overlay's text says, and the picture against a reference.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "bike/bike.h"
#include "bike/physics_world.h"
#include "bike/shape_cache.h"
#include "files/messages.h"
#include "overlay_races.h"
#include "pilot/pilot.h"
#include "race/laps.h"
#include "race/session.h"
#include "reference_picture.h"
#include "render/overlay_draw.h"
#include "render/model_cache.h"
#include "render/render_gl.h"
#include "render/text_draw.h"
#include "support/data_dirs.h"
#include "support/gl_window.h"
#include "support/offscreen_frame.h"
#include "shell/startup_settings.h"
#include "shell/world_tick.h"
#include "track/scenery.h"
#include "track/track_list.h"
#include "track/track_loader.h"

namespace br {
namespace {

#ifdef BR_DEFAULT_DATA_DIR
class OverlayGl : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gl_.open("overlay test", 64)) GTEST_SKIP() << gl_.why();
    if (!br_test::OffscreenFrame::supported()) GTEST_SKIP() << "no framebuffer objects";
    br_test::use_data_directory(BR_DEFAULT_DATA_DIR);
    render_gl_install();
    world_reset();
    message_area_clear(g_world);
    load_game_fonts();
    ASSERT_NE(game_fonts().main.texture, 0u) << "no font in " << BR_DEFAULT_DATA_DIR;
    g_world.hud.pitboard = texture_load("!@pitboard.png");
  }
  void TearDown() override {
    if (gl_.is_open()) {
      free_all_bikes(g_world);
      physics_world_close(g_world);
      shape_cache_clear();
      if (g_world.track.loaded) free_track();
      model_delete_all();
      frame_.release();
      game_fonts() = GameFonts{};
      texture_delete_all();
      render_gl_uninstall();
      message_area_clear(g_world);
      world_reset();
    }
    gl_.close();
    br_test::restore_data_directories();
  }

  // The overlay over the game's sky-blue background, `width` x `height`.
  void draw(int width, int height, const OverlayReadings& readings = {}) {
    ASSERT_TRUE(frame_.begin(width, height, 0.0f));
    glClearColor(50.0f / 255.0f, 0.6f, 0.8f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    overlay_draw(g_world, g_world.viewed_slot, width, height, readings);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  std::vector<std::string> drawn() const {
    std::vector<std::string> texts;
    for (const DrawnText& t : overlay_drawn_texts()) texts.push_back(t.text);
    return texts;
  }

  br_test::GlWindow gl_;
  br_test::OffscreenFrame frame_;
};

// To make or refresh the references after the fonts, the pitboard picture or the layout
// change, run with BR_UPDATE_REFERENCE=1 and look at the pictures before committing them.
TEST_F(OverlayGl, DuringTheRaceThePitboardAndInformationLinesShow) {
  br_test::close_racing(g_world);
  g_world.settings.draw_fps.value = 1;
  g_world.settings.draw_time.value = 1;
  show_message("Saved \"screenshot001.png\"");
  OverlayReadings readings;
  readings.frames_per_second = 60;
  draw(640, 480, readings);

  std::optional<Pitboard> board = pitboard_for(g_world, 3);
  ASSERT_TRUE(board);
  std::vector<std::string> expected;
  for (const std::string& text :
       {board->number, board->place, board->gap, board->last, board->best, board->close}) {
    if (!text.empty()) expected.push_back(text);
  }
  std::vector<std::string> info = information_lines(g_world, readings, render_stats());
  expected.insert(expected.end(), info.begin(), info.end());
  EXPECT_EQ(drawn(), expected);
  EXPECT_EQ(expected[1], "L2 P4");
  EXPECT_EQ(expected[3], "Last - 0:11.7 ");
  EXPECT_EQ(expected.back(), "Saved \"screenshot001.png\"");
  br_test::expect_reference_picture(BR_TEST_SOURCE_DIR "/overlay_race.png", 640, 480,
                                    frame_.read());
}

TEST_F(OverlayGl, AfterTheFinishTheResultsTableListsEveryRider) {
  br_test::final_results(g_world);
  g_world.options.hud_shown = false;  // the table alone
  draw(640, 480);

  std::optional<ResultsTable> table = results_table(g_world);
  ASSERT_TRUE(table);
  std::vector<std::string> expected = {table->title};
  expected.insert(expected.end(), std::begin(kResultsHeads), std::end(kResultsHeads));
  for (const ResultsRow& r : table->rows) {
    for (const std::string& cell : {r.position, r.number, r.laps, r.gap, r.best, r.best_lap}) {
      expected.push_back(cell);
    }
  }
  expected.push_back(table->total_time);
  expected.insert(expected.end(), table->penalty_lines.begin(), table->penalty_lines.end());
  EXPECT_EQ(drawn(), expected);
  br_test::expect_reference_picture(BR_TEST_SOURCE_DIR "/overlay_results.png", 640, 480,
                                    frame_.read());
}

// Every run inside the frame, its lines as many times taller as the frame is.
void expect_inside(int width, int height, float line_scale) {
  for (const DrawnText& t : overlay_drawn_texts()) {
    float w = text_width(game_fonts().main, t.text) * t.line;
    EXPECT_GE(t.x, 0) << t.text;
    EXPECT_GE(t.y, 0) << t.text;
    EXPECT_LE(t.x + w, width) << t.text;
    EXPECT_LE(t.y + t.line, height) << t.text;
    EXPECT_GE(t.line, 6 * line_scale) << t.text;
  }
}

TEST_F(OverlayGl, ScalesFromTheSmallestWindowToTheLargest) {
  br_test::final_results(g_world);
  g_world.settings.draw_time.value = 1;
  std::vector<float> lines;
  for (auto [width, height, scale] : {std::tuple{640, 480, 1.0f}, std::tuple{2560, 1440, 3.0f}}) {
    draw(width, height);
    ASSERT_FALSE(overlay_drawn_texts().empty());
    expect_inside(width, height, scale);
    lines.push_back(overlay_drawn_texts().front().line / scale);
  }
  EXPECT_FLOAT_EQ(lines[0], lines[1]);
}

TEST_F(OverlayGl, TheCameraTourShowsTheTickerInsteadOfThePitboard) {
  br_test::final_results(g_world);
  g_world.view_mode = kViewCameraTour;
  g_world.world_time = 0;
  draw(640, 480);
  std::vector<std::string> texts = drawn();
  // The band starts with the leader and runs on through the order.
  std::vector<TickerCell> cells = ticker_cells(g_world);
  ASSERT_GE(texts.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 10),
            (std::vector<std::string>{cells[0].position, cells[0].number, cells[0].name,
                                      cells[0].lap, cells[0].gap, cells[1].position,
                                      cells[1].number, cells[1].name, cells[1].lap,
                                      cells[1].gap}));
  EXPECT_EQ(std::count(texts.begin(), texts.end(), pitboard_for(g_world, 5)->place), 0);
}

// Pictures of a real race for whoever looks at the overlay: not compared, since every change
// to the riding would change their numbers; the texts are checked against the standings.
void keep_picture(const char* name, int width, int height, const std::vector<uint8_t>& rgb) {
  br_test::write_file(name, br_test::encode_png_pixels(width, height, 3, rgb));
}

// A rider ridden by the scripted pilot over two laps of the foundry, from the gate to the final
// results, through the same session, physics and timing as the game. Robots join the line-up
// once they ride: from the other grid places the pilot never reaches the first gate.
TEST_F(OverlayGl, ARaceRunToItsEndShowsThePitboardThenTheResults) {
  World& w = g_world;
  ASSERT_TRUE(load_generic_shapes());
  apply_startup_presets(w.settings);
  install_scenery_steps();
  ASSERT_TRUE(build_startup_track_list());
  physics_world_open(w);
  w.settings.track.value = "foundry";
  w.settings.track_choice.select("foundry");  // what a session reads once the list is built
  Lineup lineup{};
  lineup[0] = kLineupHuman;
  SessionStart start;
  start.lineup = &lineup;
  start.laps = 2;
  ASSERT_TRUE(start_session(w, start));
  w.hud.tach = texture_load("!@tach.png");
  w.hud.shifter = texture_load("!@shifter.png");
  w.view_mode = kViewChase;
  std::vector<Pilot> pilots;
  for (int i = 0; i < kRiderSlots; ++i) {
    if (w.slots[static_cast<size_t>(i)].bike) pilots.push_back(pilot_take(w, i));
  }
  ASSERT_EQ(pilots.size(), 1u);

  LapShape shape = lap_shape(w.track.timing);
  bool seen_racing = false;
  for (int step = 0; step < 200 * 128 && !w.session.results_final; ++step) {
    for (Pilot& p : pilots) pilot_drive(p, w);
    world_tick(w);
    // Halfway round the first lap: the pitboard of the viewed rider.
    if (!seen_racing && w.order.front().progress == shape.first / 2 + 1) {
      seen_racing = true;
      draw(640, 480);
      int place = 0;
      while (w.order[static_cast<size_t>(place)].slot != w.viewed_slot) ++place;
      std::vector<std::string> texts = drawn();
      ASSERT_GE(texts.size(), 3u);
      EXPECT_EQ(texts[0], w.slots[static_cast<size_t>(w.viewed_slot)].identity.number);
      EXPECT_EQ(texts[1], "L1 P" + std::to_string(place + 1));
      keep_picture("overlay_race_live.png", 640, 480, frame_.read());
    }
  }
  ASSERT_TRUE(seen_racing);
  ASSERT_TRUE(w.session.results_final) << "the race did not end";

  draw(640, 480);
  std::optional<ResultsTable> table = results_table(w);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->title, "Final Results");
  // A row for every finisher, in the order of the standings, each drawn as it says.
  ASSERT_EQ(table->rows.size(), w.order.size());
  std::vector<std::string> expected;
  for (size_t i = 0; i < w.order.size(); ++i) {
    const RiderSlot& rider = w.slots[static_cast<size_t>(w.order[i].slot)];
    EXPECT_TRUE(rider.timing.finished);
    const ResultsRow& row = table->rows[i];
    EXPECT_EQ(row.position, std::to_string(i + 1));
    char number[8];
    std::snprintf(number, sizeof number, "%3s", rider.identity.number.c_str());
    EXPECT_EQ(row.number, number);
    EXPECT_EQ(row.laps, "L2");
    for (const std::string& cell : {row.position, row.number, row.laps, row.gap, row.best,
                                    row.best_lap}) {
      if (!cell.empty()) expected.push_back(cell);
    }
  }
  std::vector<std::string> texts = drawn();
  auto rows = std::find(texts.begin(), texts.end(), "Final Results");
  ASSERT_LT(rows + 1 + std::size(kResultsHeads) + expected.size(), texts.end());
  rows += 1 + std::size(kResultsHeads);
  EXPECT_EQ(std::vector<std::string>(rows, rows + static_cast<long>(expected.size())), expected);
  keep_picture("overlay_race_results.png", 640, 480, frame_.read());
}
#endif

}  // namespace
}  // namespace br
