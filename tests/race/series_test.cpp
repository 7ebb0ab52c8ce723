// Points series: reading series and standings files, places taken from the standings, round
// ranks and totals, the standings screen and the start line-up of later events.
#include "race/series.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "files/data_file.h"
#include "render/log_capture.h"
#include "support/data_dirs.h"
#include "support/temp_dir.h"

namespace br {
namespace {

std::optional<int> two_tracks(const std::string& dir) {
  if (dir == "rabbithill") return 0;
  if (dir == "foundry") return 1;
  return std::nullopt;
}

std::string points(int first) {
  std::string out;
  for (int i = 0; i < 40; ++i) out += std::to_string(i == 0 ? first : std::max(first - 2 * i, 0)) + " ";
  return out + "\n";
}

// Two computer riders numbered 20 and 33, then the player. Moto points 25 23 21 ...; round
// points 50 48 46 ...
std::string series_text(const std::vector<bool>& closes) {
  std::string out = "\"Test Cup\" 2 Amateur\n20 33\n" + std::to_string(closes.size()) + "\n";
  for (size_t i = 0; i < closes.size(); ++i) {
    out += "\"Moto " + std::to_string(i + 1) + "\" foundry 2 0\n" + points(25) +
           (closes[i] ? points(50) : points(0));
  }
  return out;
}

Series parsed(const std::vector<bool>& closes) {
  std::optional<Series> s = parse_series(series_text(closes), "test.series", two_tracks, false);
  EXPECT_TRUE(s);
  return s ? *s : Series{};
}

void set_places(Series& s, int event, std::vector<int> places) {
  s.events[static_cast<size_t>(event)].places = std::move(places);
}

TEST(SeriesFile, ReadsTheRidersEventsAndPoints) {
  Series s = parsed({false, true});
  EXPECT_EQ(s.name, "Test Cup");
  EXPECT_EQ(s.skill, 1);
  EXPECT_EQ(s.riders, (std::vector<int>{20, 33}));
  EXPECT_EQ(s.standings_file, "@test.series_standings");
  ASSERT_EQ(s.events.size(), 2u);
  EXPECT_EQ(s.events[1].name, "Moto 2");
  EXPECT_EQ(s.events[1].track, 1);
  EXPECT_EQ(s.events[1].laps, 2);
  EXPECT_EQ(s.events[0].moto_points[1], 23);
  EXPECT_FALSE(s.events[0].closes_round());
  EXPECT_TRUE(s.events[1].closes_round());
  EXPECT_EQ(s.events[0].places, (std::vector<int>{2, 2, 2}));  // nobody placed yet
}

TEST(SeriesFile, ASeriesThatBreaksOffOrNamesAnUnknownTrackIsDropped) {
  std::string whole = series_text({true, true});
  EXPECT_TRUE(parse_series(whole, "t", two_tracks, false));
  // Cut anywhere inside the event list.
  for (size_t cut : {whole.size() - 3, whole.size() / 2, whole.find("Moto 2") - 2}) {
    EXPECT_FALSE(parse_series(whole.substr(0, cut), "t", two_tracks, false)) << cut;
  }
  std::string elsewhere = whole;
  elsewhere.replace(elsewhere.find("foundry"), 7, "mudpit");
  EXPECT_FALSE(parse_series(elsewhere, "t", two_tracks, false));
  EXPECT_FALSE(parse_series("\"Big\" 160 Expert\n", "t", two_tracks, false));  // 161 riders
  EXPECT_FALSE(parse_series("\"Few\" 3 Novice\n20 21\n", "t", two_tracks, false));
  EXPECT_FALSE(parse_series("\"Odd\" 1 Novice 20 x", "t", two_tracks, false));  // no E
  EXPECT_EQ(parse_series("One 0 Pro 0", "t", two_tracks, false)->skill, 2);
}

TEST(StandingsFile, TakesWholeGroupsAndWhatIsValid) {
  Series s = parsed({true, true, true, true, true});
  // Two lines: the third event is next.
  EXPECT_EQ(parse_standings("1 2 3 \n3 1 2 \n", s), 2);
  EXPECT_EQ(s.events[1].places, (std::vector<int>{2, 0, 1}));
  // Line breaks do not matter; a group cut short is not taken.
  Series t = parsed({true, true, true});
  EXPECT_EQ(parse_standings("1 2\n3 3 1\n2 1", t), 2);
  // More groups than events: the events are filled and the rest left.
  EXPECT_EQ(parse_standings("1 2 3 1 2 3 1 2 3 1 2 3 1 2 3", t), 3);
  // Places outside the field count as not placed; a word that is no number ends the file.
  EXPECT_EQ(parse_standings("-4 99999999999 2 1 2 nan 3 1 2", t), 1);
  EXPECT_EQ(t.events[0].places, (std::vector<int>{2, 2, 1}));
  EXPECT_EQ(parse_standings("", t), 0);
}

TEST(RoundRanks, SumsOverTheRoundAndTiesGoToTheClosingMoto) {
  Series s = parsed({false, true});
  set_places(s, 0, {0, 1, 2});
  set_places(s, 1, {1, 0, 2});
  s.completed = 1;
  compute_round_ranks(s);
  std::vector<StandingsRow> rows = standings_rows(s, "999");
  EXPECT_EQ(standings_title(s), "Next Event: Moto 2");
  EXPECT_EQ(standings_header(s), (std::vector<std::string>{"No.", "Total", "Rd 1"}));
  // Only the first moto of the round is run.
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"20", "0", "- (1-)"}));
  EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"999", "0", "- (3-)"}));

  // 25 + 23 each for riders 20 and 33: the closing moto's winner, 33, takes the round.
  s.completed = 2;
  compute_round_ranks(s);
  EXPECT_EQ(s.events[1].round_ranks, (std::vector<int>{1, 0, 2}));
  rows = standings_rows(s, "999");
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"33", "50", "50 (2-1)"}));
  EXPECT_EQ(rows[1].cells, (std::vector<std::string>{"20", "48", "48 (1-2)"}));
  EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"999", "46", "46 (3-3)"}));
  EXPECT_EQ(standings_title(s), "Test Cup Final Standings");
}

TEST(RoundRanks, OneMotoRoundsShowTheRankAndTotalsAddUp) {
  Series s = parsed({true, true, true});
  set_places(s, 0, {2, 1, 0});
  set_places(s, 1, {0, 2, 1});
  s.completed = 2;
  compute_round_ranks(s);
  std::vector<StandingsRow> rows = standings_rows(s, "7");
  // The player: 50 + 48; rider 20: 46 + 50; rider 33: 48 + 46.
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"7", "98", "50 (1)", "48 (2)", "-"}));
  EXPECT_EQ(rows[1].cells, (std::vector<std::string>{"20", "96", "46 (3)", "50 (1)", "-"}));
  EXPECT_EQ(rows[2].cells, (std::vector<std::string>{"33", "94", "48 (2)", "46 (3)", "-"}));
  // Equal totals: the better rank in the last round run goes first.
  set_places(s, 0, {0, 1, 2});
  set_places(s, 1, {1, 0, 2});
  compute_round_ranks(s);
  rows = standings_rows(s, "7");
  EXPECT_EQ(rows[0].total, 98);
  EXPECT_EQ(rows[1].total, 98);
  EXPECT_EQ(rows[0].cells[0], "33");
  // Starting over forgets every round.
  reset_series(s);
  EXPECT_EQ(standings_rows(s, "7")[0].total, 0);
  EXPECT_EQ(standings_title(s), "Next Event: Moto 1");
}

TEST(SeriesLineup, FirstInFileOrderThenTheWorstPlacesPickFirst) {
  Series s = parsed({true, true});
  Lineup first = series_lineup(s);
  EXPECT_EQ(first[0], kLineupRobotNumber + 20);
  EXPECT_EQ(first[1], kLineupRobotNumber + 33);
  EXPECT_EQ(first[2], kLineupHuman);
  // The player won, 20 was second, 33 was not placed: 33 picks first, then 20, then the player.
  set_places(s, 0, {1, 2, 0});
  s.completed = 1;
  Lineup next = series_lineup(s);
  EXPECT_EQ(next[6], kLineupRobotNumber + 33);
  EXPECT_EQ(next[8], kLineupRobotNumber + 20);
  EXPECT_EQ(next[10], kLineupHuman);
  EXPECT_EQ(next[0], kLineupEmpty);
  EXPECT_EQ(next[7], kLineupEmpty);
}

TEST(SeriesLineup, ALargeFieldFillsOutwardFromTheMiddleAndNeverPastTheGrid) {
  std::string text = "Big 44 Expert\n";
  for (int i = 0; i < 44; ++i) text += std::to_string(20 + i) + " ";
  text += "1 M foundry 1 0 " + points(25) + points(50);
  std::optional<Series> s = parse_series(text, "big.series", two_tracks, false);
  ASSERT_TRUE(s);
  // Place k for participant k: the last (the player, 44) picks first.
  std::vector<int> places(45);
  for (int k = 0; k < 45; ++k) places[size_t(k)] = k;
  set_places(*s, 0, places);
  s->completed = 1;
  Lineup l = series_lineup(*s);
  EXPECT_EQ(l[10], kLineupHuman);
  EXPECT_EQ(l[9], kLineupRobotNumber + 20 + 43);
  EXPECT_EQ(l[11], kLineupRobotNumber + 20 + 42);
  EXPECT_EQ(l[0], kLineupRobotNumber + 20 + 25);
  EXPECT_EQ(l[20], kLineupRobotNumber + 20 + 24);
  // Beyond the 40 entries of the pick table the field goes on at position 40.
  EXPECT_EQ(l[39], kLineupRobotNumber + 20 + 5);
  EXPECT_EQ(l[44], kLineupRobotNumber + 20 + 0);
  int taken = 0;
  for (int code : l) taken += code != kLineupEmpty;
  EXPECT_EQ(taken, 45);
}

// Places from a race's standings: the player by control kind, the computer riders by number.
class SeriesRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    w = std::make_unique<World>();
    s = parsed({true, true});
    add(0, "33", kControlRobot, true);
    add(1, "999", kControlLocal, false);
    add(2, "20", kControlRobot, true);
  }
  void add(int slot, const char* number, ControlKind kind, bool finished) {
    RiderSlot& r = w->slots[static_cast<size_t>(slot)];
    r.identity.number = number;
    r.control = kind;
    r.timing.finished = finished;
    RiderOrderEntry e;
    e.slot = slot;
    w->order.push_back(e);
  }
  std::unique_ptr<World> w;
  Series s;
};

TEST_F(SeriesRecord, FinalResultsPlaceEveryone) {
  w->session.results_final = true;
  take_event_places(*w, s, 0);
  EXPECT_EQ(s.events[0].places, (std::vector<int>{2, 0, 1}));
}

TEST_F(SeriesRecord, LeavingEarlyLeavesAnUnfinishedPlayerUnplaced) {
  take_event_places(*w, s, 0);
  EXPECT_EQ(s.events[0].places, (std::vector<int>{1, 0, 2}));
}

// The standings file on disk: written after each recorded event, read back at the next
// start-up, and never half-written.
class SeriesFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    game = dir.path() / "game";
    std::filesystem::create_directories(game);
    br_test::use_data_directory(game.string());
  }
  void TearDown() override {
    series_state() = SeriesState{};
    br_test::restore_data_directories();
  }
  void put(const std::string& name, const std::string& text) {
    std::ofstream(game / name) << text;
    br_test::use_data_directory(game.string());
  }
  br_test::TempDir dir;
  std::filesystem::path game;
};

TEST_F(SeriesFiles, StandingsOutliveARestartAndBrokenSeriesAreLeftOut) {
  auto w = std::make_unique<World>();
  w->track.list.dirs = {"rabbithill", "foundry"};
  put("cup.series", series_text({false, true, true}));
  put("broken.series", series_text({true}).substr(0, 40));
  br_test::LogCapture log;
  load_series(*w);
  EXPECT_EQ(log.count("points series 'broken.series' is broken"), 1);
  ASSERT_EQ(series_state().list.size(), 1u);
  Series& s = series_state().list[0];
  EXPECT_EQ(s.completed, 0);

  set_places(s, 0, {1, 0, 2});
  set_places(s, 1, {0, 2, 1});
  s.completed = 2;
  ASSERT_TRUE(write_standings(s));
  br_test::use_data_directory(game.string());  // as a new run finds the files
  load_series(*w);
  Series& back = series_state().list[0];
  EXPECT_EQ(back.completed, 2);
  EXPECT_EQ(back.events[1].places, (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(standings_rows(back, "9")[0].cells[2], "50 (2-1)");
  EXPECT_EQ(standings_title(back), "Next Event: Moto 3");
}

TEST_F(SeriesFiles, AStandingsFileWithJunkKeepsItsGoodLines) {
  auto w = std::make_unique<World>();
  w->track.list.dirs = {"foundry"};
  put("junk.series", series_text({true, true, true}));
  put("junk.series_standings", "1 2 3 \n2 x 1 \n");
  load_series(*w);
  ASSERT_EQ(series_state().list.size(), 1u);
  EXPECT_EQ(series_state().list[0].completed, 1);
  EXPECT_EQ(series_state().list[0].events[0].places, (std::vector<int>{0, 1, 2}));
}

}  // namespace
}  // namespace br
