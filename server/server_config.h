// bermrider-server's configuration: "key=value" lines like the game's own, "#" starting a
// comment. Unknown keys and unreadable values are reported and skipped; numbers are held to
// their ranges.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brserver {

constexpr int kMaxRiders = 160;
constexpr int kKnockoutEntries = 16;

struct ServerConfig {
  int port = 19800;                    // 0: any free port (the log names it)
  std::string address;                 // the interface to listen on; empty = every one
  std::string password;                // empty: anyone may join
  std::vector<std::string> tracks = {"rabbithill"};  // raced in turn
  int laps = 3;                        // 0 with a time limit: the laps after it
  double minutes = 0;                  // 0 = no time limit
  int max_riders = 40;                 // 1..160
  bool arcade = false;                 // riders may use arcade physics
  double off_course_bias = 10;         // seconds
  double off_course_scale = 1.5;
  std::vector<int> knockout;           // extra crash steps by crash count; empty = the game's
  double warmup = 30;                  // seconds of free riding before the first race
  double start_delay = 30;             // seconds from a race's announcement to its gate drop
  double pause = 20;                   // seconds between the final results and the next race
  double timeout = 10;                 // seconds of silence before a rider is dropped
  double race_limit = 0;               // minutes after the start that end any race; 0 = none
  int upload_max_kb = 1024;            // a file upload at most; 0 = no uploads
  int http_port = 0;                   // the live timing page; 0 = off
  std::string http_address = "127.0.0.1";  // where the page listens; 0.0.0.0 = everywhere
};

// Reads configuration text into `config`. Every line it could not use is described in
// `problems`, one line each.
void read_config_text(ServerConfig& config, std::string_view text, std::string& problems);

// Reads the file; false when it can't be read at all.
bool read_config_file(ServerConfig& config, const std::string& path, std::string& problems);

}  // namespace brserver
