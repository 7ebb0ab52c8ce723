#include "race_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace brrace {
namespace {

using Store = bool (*)(RaceOptions& o, const std::string& value, std::string& error);

struct OptionRow {
  const char* name;
  const char* value_name;  // nullptr for a flag
  const char* help;
  Store store;
};

bool whole_number(const std::string& text, long long low, long long high, long long& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  out = v;
  return true;
}

bool number(const std::string& text, double low, double high, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(v) || v < low || v > high) return false;
  out = v;
  return true;
}

// Longer races than these are for no one: a day of simulated time at most.
constexpr long long kMostLaps = 10000;
constexpr double kMostMinutes = 24 * 60;
constexpr size_t kMostNameChars = 31;
constexpr long long kMostRobots = 80;  // the roster

const OptionRow kOptions[] = {
    {"--track", "NAME", "the track directory to race on (default rabbithill)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       if (v.empty() || v.find('/') != std::string::npos) {
         error = "--track needs a track directory name";
         return false;
       }
       o.track = v;
       return true;
     }},
    {"--laps", "N", "laps of a race, or laps after the time limit with --minutes (default 5)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       long long n = 0;
       if (!whole_number(v, 0, kMostLaps, n)) {
         error = "--laps needs a whole number from 0 to 10000";
         return false;
       }
       o.laps = static_cast<int>(n);
       return true;
     }},
    {"--minutes", "M", "race to a time limit of M minutes, then --laps more laps",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       if (!number(v, 0, kMostMinutes, o.minutes)) {
         error = "--minutes needs a number of minutes from 0 to 1440";
         return false;
       }
       return true;
     }},
    {"--seed", "N", "the frame count the race is set up at, which picks the start (default 0)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       long long n = 0;
       if (!whole_number(v, 0, 0x7fffffff, n)) {
         error = "--seed needs a whole number from 0 to 2147483647";
         return false;
       }
       o.seed = static_cast<uint32_t>(n);
       return true;
     }},
    {"--pilot", nullptr, "add a rider ridden by the scripted pilot",
     [](RaceOptions& o, const std::string&, std::string&) { return o.pilot = true; }},
    {"--pilot-pace", "F", "the pilot's speeds scaled by F, from 0.5 to 1.5 (default 1)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       if (!number(v, 0.5, 1.5, o.pilot_pace)) {
         error = "--pilot-pace needs a number from 0.5 to 1.5";
         return false;
       }
       return true;
     }},
    {"--pilot-swing", "FEET", "the pilot rides up to FEET to the side, differently each lap",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       if (!number(v, 0, 8, o.pilot_swing)) {
         error = "--pilot-swing needs a number of feet from 0 to 8";
         return false;
       }
       return true;
     }},
    {"--robots", "N", "robots from the roster on the grid behind the pilot (default 0)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       long long n = 0;
       if (!whole_number(v, 0, kMostRobots, n)) {
         error = "--robots needs a whole number from 0 to 80";
         return false;
       }
       o.robots = static_cast<int>(n);
       return true;
     }},
    {"--skill", "LEVEL", "the robots' lines: novice, amateur or expert (default novice)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       const char* names[] = {"novice", "amateur", "expert"};
       for (int i = 0; i < 3; ++i) {
         if (v == names[i]) return o.skill = i, true;
       }
       error = "--skill needs novice, amateur or expert";
       return false;
     }},
    {"--practice", nullptr, "every robot a tester, trying the least-tried lines",
     [](RaceOptions& o, const std::string&, std::string&) { return o.practice = true; }},
    {"--learn", nullptr, "learn lines from the race and write the line file back",
     [](RaceOptions& o, const std::string&, std::string&) { return o.learn = true; }},
    {"--quiet", nullptr, "print only the standings, the ground and the timing lines",
     [](RaceOptions& o, const std::string&, std::string&) { return o.quiet = true; }},
    {"--series", "FILE",
     "run the next event of the points series FILE (e.g. novice.series), the player's bike "
     "ridden by the scripted pilot, and print its standings",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       std::string name = v.starts_with("@") ? v.substr(1) : v;
       if (!name.ends_with(".series") || name.size() <= 7) {
         error = "--series needs the name of a .series file";
         return false;
       }
       o.series = name;
       return true;
     }},
    {"--reset-series", nullptr, "start the series of --series over before its next event",
     [](RaceOptions& o, const std::string&, std::string&) { return o.reset_series = true; }},
    {"--limit", "SECONDS", "give up after this much simulated time (default: from the race)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       if (!number(v, 1, kMostMinutes * 60, o.limit_seconds)) {
         error = "--limit needs a number of seconds from 1 to 86400";
         return false;
       }
       return true;
     }},
    {"--connect", "ADDRESS", "race on the game server at HOST[:PORT] instead, in real time",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       if (v.empty()) {
         error = "--connect needs a server address";
         return false;
       }
       o.connect = v;
       return true;
     }},
    {"--password", "TEXT", "the game server's password",
     [](RaceOptions& o, const std::string& v, std::string&) {
       o.password = v;
       return true;
     }},
    {"--name", "NAME", "the rider's name on a game server (default Pilot)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       if (v.empty() || v.size() > kMostNameChars) {
         error = "--name needs a name of 1 to 31 characters";
         return false;
       }
       o.name = v;
       return true;
     }},
    {"--number", "N", "the rider's number plate on a game server (default 999)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       long long n = 0;
       if (!whole_number(v, 0, 999, n)) {
         error = "--number needs a whole number from 0 to 999";
         return false;
       }
       o.number = v;
       return true;
     }},
    {"--fake-lag", "MS", "hold every packet from the server this long (0 to 1000)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       long long n = 0;
       if (!whole_number(v, 0, 1000, n)) {
         error = "--fake-lag needs milliseconds from 0 to 1000";
         return false;
       }
       o.fake_lag_ms = static_cast<int>(n);
       return true;
     }},
    {"--fake-loss", "PERCENT", "drop this share of the packets from the server (0 to 100)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       long long n = 0;
       if (!whole_number(v, 0, 100, n)) {
         error = "--fake-loss needs a percentage from 0 to 100";
         return false;
       }
       o.fake_loss = static_cast<int>(n);
       return true;
     }},
    {"--record", "FILE", "record the race as a demo to FILE",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       if (v.empty()) {
         error = "--record needs a file name";
         return false;
       }
       o.record_file = v;
       return true;
     }},
    {"--positions", nullptr, "print every rider's position once a second of the race",
     [](RaceOptions& o, const std::string&, std::string&) { return o.positions = true; }},
    {"--erode", "X", "the wheels dig ruts at erosion rate X, 0 to 100 (default 0: none)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       double x = 0;
       if (!number(v, 0, 100, x)) {
         error = "--erode needs a number from 0 to 100";
         return false;
       }
       o.erode = static_cast<float>(x);
       return true;
     }},
    {"--roostfrequency", "N", "roost particles per 100 steps, 0 to 1000 (default 1000)",
     [](RaceOptions& o, const std::string& v, std::string& error) {
       long long n = 0;
       if (!whole_number(v, 0, 1000, n)) {
         error = "--roostfrequency needs a whole number from 0 to 1000";
         return false;
       }
       o.roost_frequency = static_cast<int>(n);
       return true;
     }},
};

}  // namespace

ParseResult parse_race_options(const std::vector<std::string>& args, RaceOptions& options,
                               std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") return ParseResult::kHelp;
    const OptionRow* row = nullptr;
    for (const OptionRow& r : kOptions) {
      if (arg == r.name) row = &r;
    }
    if (!row) {
      error = "unknown option '" + arg + "'";
      return ParseResult::kBad;
    }
    std::string value;
    if (row->value_name) {
      if (i + 1 >= args.size()) {
        error = std::string(row->name) + " needs " + row->value_name;
        return ParseResult::kBad;
      }
      value = args[++i];
    }
    if (!row->store(options, value, error)) return ParseResult::kBad;
  }
  if (options.reset_series && options.series.empty()) {
    error = "--reset-series goes with --series";
    return ParseResult::kBad;
  }
  return ParseResult::kRun;
}

std::string race_usage() {
  std::string out = "usage: brrace [OPTION]...\nRuns a race with no window and no sound.\n";
  for (const OptionRow& r : kOptions) {
    std::string left = std::string("  ") + r.name;
    if (r.value_name) left += std::string(" ") + r.value_name;
    left.resize(std::max<size_t>(left.size() + 2, 20), ' ');
    out += left + r.help + "\n";
  }
  out +=
      "Exit status: 0 when the race reached its final results, 1 on bad options or a track\n"
      "that cannot be raced, 2 when it did not finish within the limit, 3 when the game\n"
      "server could not be reached or ended the connection.\n";
  return out;
}

}  // namespace brrace
