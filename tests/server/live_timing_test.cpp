// The live timing API answered over HTTP on 127.0.0.1 while the server races scripted riders:
// what it says agrees with the server's own standings, finished races show in the history,
// and nothing a browser sends changes anything.
#include <nlohmann/json.hpp>

#include "live_timing_fixture.h"
#include "results.h"
#include "results_history.h"

namespace br_test {
namespace {

using nlohmann::json;

// Between passes the race thread stands still: the API must then say exactly what the
// server's own standings say, rider by rider.
void expect_agrees(const json& live, const brserver::Server& s) {
  const br::World& w = br::g_world;
  br::LapShape shape = br::lap_shape(w.track.timing);
  ASSERT_EQ(live["riders"].size(), w.order.size());
  EXPECT_EQ(live["race"], s.race.number);
  // Final results keep the clock at which they became final.
  int32_t clock = s.race.phase == brserver::Phase::kFinished ? s.board.read().step : s.step;
  EXPECT_EQ(live["clock_ms"], (clock - s.race.start_step) * 1000 / 128);
  for (size_t i = 0; i < w.order.size(); ++i) {
    const json& row = live["riders"][i];
    const br::RiderOrderEntry& e = w.order[i];
    EXPECT_EQ(row["position"], i + 1);
    EXPECT_EQ(row["slot"], e.slot);
    EXPECT_EQ(row["name"], s.race.riders[static_cast<size_t>(e.slot)].name);
    EXPECT_EQ(row["laps"], br::laps_completed(shape, e.progress));
  }
}

TEST_F(LiveTimingTest, TheApiFollowsTheServersStandingsAndKeepsFinishedRaces) {
  open_with_page();
  RawRider a(port()), b(port());
  start_race({{&a, "Anna"}, {&b, "Bert"}});
  json live = get("/api/live");
  EXPECT_EQ(live["phase"], "racing");
  EXPECT_EQ(live["track"], "rabbithill");
  EXPECT_EQ(live["laps_left"], 1);
  expect_agrees(live, s_);

  ride({&a, &b}, 48);  // past the gate drop
  int last = last_position();
  std::array<uint32_t, 2> seq{};
  // Anna leads to the middle of the lap, then Bert passes her and finishes first.
  for (int g = 0; g <= last; ++g) {
    int32_t at = s_.race.start_step + 200 * (g + 1);
    bool anna_ahead = g < last / 2;
    record(a, seq[0], g, at + (anna_ahead ? 0 : 60));
    record(b, seq[1], g, at + (anna_ahead ? 30 : 0));
    ride({&a, &b}, 2);
    SCOPED_TRACE("gate " + std::to_string(g));
    expect_agrees(get("/api/live"), s_);
  }
  for (int k = 0; k < 10 && s_.race.phase == brserver::Phase::kRacing; ++k) pass(4.0 / 128);
  ASSERT_EQ(s_.race.phase, brserver::Phase::kFinished);

  live = get("/api/live");
  expect_agrees(live, s_);
  EXPECT_TRUE(live["final"]);
  EXPECT_EQ(live["laps_left"], 0);
  ASSERT_EQ(live["riders"].size(), 2u);
  const json& winner = live["riders"][0];
  EXPECT_EQ(winner["name"], "Bert");
  EXPECT_TRUE(winner["finished"]);
  EXPECT_EQ(winner["laps"], 1);
  EXPECT_EQ(winner["gap_ms"], 0);
  EXPECT_EQ(live["riders"][1]["gap_ms"], 60 * 1000 / 128);
  EXPECT_FALSE(winner["last_lap_ms"].is_null());

  // The history is read from the results file the server wrote.
  json history = get("/api/results");
  ASSERT_EQ(history["races"].size(), 1u);
  const json& past = history["races"][0];
  EXPECT_EQ(past["race"], race_);
  EXPECT_EQ(past["track"], "rabbithill");
  ASSERT_EQ(past["riders"].size(), 2u);
  EXPECT_EQ(past["riders"][0]["name"], "Bert");
  EXPECT_EQ(past["riders"][1]["name"], "Anna");
  EXPECT_TRUE(past["riders"][1]["finished"]);
}

TEST_F(LiveTimingTest, BrowsersChangeNothingAndRidersTextStaysText) {
  open_with_page();
  RawRider a(port()), b(port());
  // Control characters are cleaned by the server; other bytes, even broken UTF-8, pass.
  const std::string markup = "<script>alert(1)</script>";
  start_race({{&a, markup}, {&b, "Br\xc3\x28no\xff"}});
  uint64_t version = s_.board.read().version;

  for (const char* method : {"POST", "PUT", "DELETE", "PATCH"}) {
    httplib::Request req;
    req.method = method;
    req.path = "/api/live";
    req.body = "{\"riders\":[]}";
    req.set_header("Content-Type", "application/json");
    httplib::Result r = http_->send(req);
    ASSERT_TRUE(r) << method;
    EXPECT_EQ(r->status, 405) << method;
  }
  EXPECT_EQ(http_->Get("/api/../etc/passwd")->status, 404);
  EXPECT_EQ(http_->Get("/admin")->status, 404);
  pass();
  EXPECT_EQ(s_.board.read().version, version);

  httplib::Result page = http_->Get("/");
  ASSERT_TRUE(page);
  EXPECT_NE(page->get_header_value("Content-Security-Policy").find("default-src 'self'"),
            std::string::npos);
  EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff");
  // The page loads nothing from elsewhere.
  EXPECT_EQ(page->body.find("http"), std::string::npos);
  EXPECT_EQ(http_->Get("/live.js")->body.find("innerHTML"), std::string::npos);

  httplib::Result live = http_->Get("/api/live");
  ASSERT_TRUE(live);
  json j = json::parse(live->body, nullptr, false);
  ASSERT_FALSE(j.is_discarded()) << live->body;
  std::vector<std::string> names;
  for (const json& row : j["riders"]) names.push_back(row["name"]);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names[0], markup);
  EXPECT_EQ(names[1], "Br\xef\xbf\xbd(no\xef\xbf\xbd");
}

// The reader of results files and the writer that makes them agree, and anything else in
// the folder is passed over.
TEST_F(LiveTimingTest, TheHistoryReadsBackWhatTheServerWrites) {
  open();
  RawRider a(port()), b(port());
  s_.config.laps = 2;
  set_up(a, "Anna | the | quick");
  set_up(b, "Bert");
  for (int i = 0; i < 800 && s_.race.phase == brserver::Phase::kWarmup; ++i) pass();
  std::string text = brserver::race_results_text(s_, 1234567890);
  brserver::PastRace race;
  ASSERT_TRUE(brserver::read_race_results_text(text, race));
  EXPECT_EQ(race.race, s_.race.number);
  EXPECT_EQ(race.laps, 2);
  EXPECT_EQ(race.track, "rabbithill");
  EXPECT_EQ(race.date, 1234567890);
  ASSERT_EQ(race.rows.size(), 2u);
  EXPECT_EQ(race.rows[0].name, "Anna | the | quick");
  EXPECT_EQ(race.rows[0].number, "7");
  EXPECT_EQ(race.rows[0].bike, "cr125");
  EXPECT_EQ(race.rows[0].total, "DNF");
  EXPECT_FALSE(race.rows[0].finished);
  EXPECT_FALSE(brserver::read_race_results_text("not results\r\n", race));
  EXPECT_FALSE(brserver::read_race_results_text("", race));

  std::string dir = home_.path().string() + "/results/";
  std::filesystem::create_directories(dir);
  auto put = [&](const std::string& name, const std::string& body) {
    std::ofstream(dir + name, std::ios::binary) << body;
  };
  std::string header = "Race=%u|Time=0.00|Laps=3|Track=foundry|Date=5\r\nNo. | Bike | ...\r\n";
  for (unsigned n : {3u, 12u, 100000u, 7u}) {
    char line[128];
    std::snprintf(line, sizeof line, header.c_str(), n);
    char name[32];
    std::snprintf(name, sizeof name, "race%05u.txt", n);
    put(name, std::string(line) + "   9 |        yz250 |    3 |   4:01.250 | Cleo\r\n");
  }
  put("race00099.txt", "garbage");
  put("race0001x.txt", header);
  put("notes.txt", header);
  std::filesystem::create_directories(dir + "race00500.txt");
  std::vector<brserver::PastRace> past = brserver::read_results_history(dir, 3);
  ASSERT_EQ(past.size(), 3u);
  EXPECT_EQ(past[0].race, 100000u);
  EXPECT_EQ(past[1].race, 12u);
  EXPECT_EQ(past[2].race, 7u);
  ASSERT_EQ(past[2].rows.size(), 1u);
  EXPECT_EQ(past[2].rows[0].total, "4:01.250");
  EXPECT_EQ(past[2].rows[0].laps, 3);
  EXPECT_TRUE(brserver::read_results_history(dir + "missing/", 3).empty());
}

TEST_F(LiveTimingTest, APortInUseIsReportedAndStoppingTwiceIsHarmless) {
  open_with_page();
  brserver::LiveTiming second(s_.board);
  brserver::LiveTimingSetup setup;
  setup.port = live_.port();
  std::string error;
  EXPECT_FALSE(second.start(setup, error));
  EXPECT_NE(error.find(std::to_string(live_.port())), std::string::npos);
  live_.stop();
  live_.stop();
  EXPECT_FALSE(http_->Get("/api/live"));
}

}  // namespace
}  // namespace br_test
