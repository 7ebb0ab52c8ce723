// brrace's command line: what it accepts, and every way of getting it wrong.
#include "race_options.h"

#include <gtest/gtest.h>

namespace brrace {
namespace {

ParseResult parse(std::vector<std::string> args, RaceOptions& o, std::string& error) {
  return parse_race_options(args, o, error);
}

TEST(RaceOptions, ReadsEveryOption) {
  RaceOptions o;
  std::string error;
  ASSERT_EQ(parse({"--track", "foundry", "--laps", "2", "--minutes", "1.5", "--seed", "77",
                   "--pilot", "--quiet", "--limit", "600", "--record", "race.brdemo", "--positions",
                   "--erode", "12.5", "--roostfrequency", "250"},
                  o, error),
            ParseResult::kRun)
      << error;
  EXPECT_EQ(o.track, "foundry");
  EXPECT_EQ(o.laps, 2);
  EXPECT_DOUBLE_EQ(o.minutes, 1.5);
  EXPECT_EQ(o.seed, 77u);
  EXPECT_TRUE(o.pilot);
  EXPECT_TRUE(o.quiet);
  EXPECT_DOUBLE_EQ(o.limit_seconds, 600);
  EXPECT_EQ(o.record_file, "race.brdemo");
  EXPECT_TRUE(o.positions);
  EXPECT_EQ(o.erode, 12.5f);
  EXPECT_EQ(o.roost_frequency, 250);
  RaceOptions defaults;
  EXPECT_EQ(parse({}, defaults, error), ParseResult::kRun);
  EXPECT_EQ(defaults.track, "rabbithill");
  EXPECT_FALSE(defaults.pilot);
  EXPECT_FALSE(defaults.erode || defaults.roost_frequency);
  EXPECT_EQ(parse({"--pilot", "--help"}, defaults, error), ParseResult::kHelp);
  EXPECT_NE(race_usage().find("--minutes M"), std::string::npos);
}

TEST(RaceOptions, RefusesWhatItCannotUse) {
  const std::vector<std::vector<std::string>> bad = {
      {"--lap", "2"},
      {"--laps"},
      {"--laps", "two"},
      {"--laps", "2x"},
      {"--laps", "-1"},
      {"--laps", "99999"},
      {"--laps", ""},
      {"--minutes", "nan"},
      {"--minutes", "inf"},
      {"--minutes", "-2"},
      {"--seed", "-5"},
      {"--seed", "1e3"},
      {"--track", ""},
      {"--track", "../x"},
      {"--limit", "0"},
      {"--record"},
      {"--record", ""},
      {"--erode", "101"},
      {"--erode", "nan"},
      {"--roostfrequency", "1001"},
      {"--roostfrequency", "2.5"},
      {"rabbithill"},
      {"--laps", "99999999999999999999"},
  };
  for (const auto& args : bad) {
    RaceOptions o;
    std::string error;
    EXPECT_EQ(parse(args, o, error), ParseResult::kBad) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

}  // namespace
}  // namespace brrace
