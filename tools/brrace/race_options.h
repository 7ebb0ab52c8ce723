// brrace's command line: one table row per option, each with the function that stores it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brrace {

struct RaceOptions {
  std::string track = "rabbithill";
  int laps = 5;
  double minutes = 0;        // a race run to a time limit when above 0; laps then run after it
  uint32_t seed = 0;         // the frame counter the session is set up at, which seeds the shuffle
  bool pilot = false;        // one more rider, ridden by the scripted pilot
  double pilot_pace = 1.0;   // the pilot's speeds scaled
  double pilot_swing = 0.0;  // feet the pilot's line moves to the side, lap by lap
  int robots = 0;            // robots from the roster, dealt as the race controller deals them
  int skill = 0;             // robot skill: 0 novice, 1 amateur, 2 expert
  bool practice = false;     // every robot a tester, riding the least-tried lines
  bool learn = false;        // the line database learns and is written back after the race
  bool quiet = false;        // no lap lines; the standings and the timing line only
  std::string series;        // a ".series" data name: run its next event instead
  bool reset_series = false;  // start the series over first
  double limit_seconds = 0;  // simulated seconds before giving up; 0 = from the race length
  // A game server's race instead: joined as a network client, ridden by the pilot in real
  // time; the server decides the track and length, --limit counts wall seconds.
  std::string connect;  // host[:port]; empty = a race of our own
  std::string password;
  std::string name = "Pilot";
  std::string number = "999";
  int fake_lag_ms = 0;    // 0..1000, on every packet received
  int fake_loss = 0;      // percent of packets received that are dropped
  std::string record_file;   // the race recorded as a demo to this file; empty = none
  bool positions = false;    // every rider's position printed once a second
  std::optional<float> erode;           // 0..100; none: the ground stays as loaded
  std::optional<int> roost_frequency;   // 0..1000; none: the roost density setting
};

enum class ParseResult { kRun, kHelp, kBad };

// Reads `args` (without the program name) into `options`; `error` says what was wrong.
ParseResult parse_race_options(const std::vector<std::string>& args, RaceOptions& options,
                               std::string& error);

// The usage text, one line per option of the table.
std::string race_usage();

}  // namespace brrace
