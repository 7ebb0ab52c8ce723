// The points-series files: a ".series" file describes the riders, the events and their
// points tables; its standings file holds one line of finishing places per event run.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace br {

constexpr int kSeriesPointPlaces = 40;     // entries of each points table
constexpr int kMaxSeriesParticipants = 160;  // the computer riders and the player

struct SeriesEvent {
  std::string name;
  std::string track_dir;
  int track = -1;  // index into the track list
  // Race set-up: the laps (at least 1) and, when above 0, the minutes of a timed race.
  int laps = 0;
  int minutes = 0;
  std::array<int, kSeriesPointPlaces> moto_points{};
  std::array<int, kSeriesPointPlaces> round_points{};  // first 0: the event closes no round
  std::vector<int> places;       // R + 1 participants, 0-based; R = not placed
  std::vector<int> round_ranks;  // R + 1, 0-based; set on events that close a round
  bool closes_round() const { return round_points[0] != 0; }
};

struct Series {
  std::string file;  // the data name, without "@"
  std::string name;
  int skill = 2;            // 0 Novice, 1 Amateur, 2 Expert
  std::vector<int> riders;  // the computer riders' numbers; the player is participant R
  std::vector<SeriesEvent> events;
  int completed = 0;  // events whose places are known
  std::string standings_file;
  int participants() const { return static_cast<int>(riders.size()) + 1; }
};

// The track index of a directory name, or nothing when the track list lacks it.
using TrackLookup = std::function<std::optional<int>(const std::string&)>;

// Reads a ".series" file's text; nothing when it breaks off or names an unknown track.
std::optional<Series> parse_series(std::string_view text, const std::string& file,
                                   const TrackLookup& track_index, bool debug_log);

// Reads the standings into the events' places: whole groups of R + 1 numbers, at most one per
// event, stopping at the first word that is not a number. A place outside 1..R+1 counts as
// not placed. Returns the number of groups taken.
int parse_standings(std::string_view text, Series& series);

// The completed events' places, one line each, 1-based.
std::string format_standings(const Series& series);

}  // namespace br
